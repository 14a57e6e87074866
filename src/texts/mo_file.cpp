#include "mo_file.hpp"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

namespace palvarin {
namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kMagicSwapped = 0xde120495;

// The words of the file's header and tables, in the byte order its magic number gives.
class Words {
 public:
  explicit Words(std::string_view bytes) : bytes_(bytes) {}
  bool Read(std::size_t offset, std::uint32_t& word) const {
    if (offset > bytes_.size() || bytes_.size() - offset < 4) return false;
    word = 0;
    for (int i = 0; i < 4; ++i) {
      const auto byte = static_cast<std::uint8_t>(bytes_[offset + static_cast<std::size_t>(i)]);
      word |= static_cast<std::uint32_t>(byte) << (swapped_ ? 8 * (3 - i) : 8 * i);
    }
    return true;
  }
  void SetSwapped(bool swapped) { swapped_ = swapped; }
  // The string of the table entry at `entry` (a length and an offset).
  bool String(std::size_t entry, std::string& text) const {
    std::uint32_t length = 0, offset = 0;
    if (!Read(entry, length) || !Read(entry + 4, offset)) return false;
    if (offset > bytes_.size() || bytes_.size() - offset < length) return false;
    text.assign(bytes_.substr(offset, length));
    return true;
  }

 private:
  std::string_view bytes_;
  bool swapped_ = false;
};

// "Plural-Forms: nplurals=3; plural=(n==1 ? 0 : ...);" of the header entry.
void ReadPluralForms(std::string_view header, MoFile& mo) {
  const std::size_t line = header.find("Plural-Forms:");
  if (line == std::string_view::npos) return;
  std::string_view forms = header.substr(line);
  forms = forms.substr(0, forms.find('\n'));
  if (const std::size_t at = forms.find("nplurals="); at != std::string_view::npos) {
    mo.pluralForms = std::atoi(std::string(forms.substr(at + 9)).c_str());
  }
  if (const std::size_t at = forms.find("plural=", forms.find("nplurals=") + 9);
      at != std::string_view::npos) {
    std::string_view expression = forms.substr(at + 7);
    expression = expression.substr(0, expression.find(';'));
    mo.pluralExpression = std::string(expression);
  }
}

// Recursive descent over gettext's plural expressions: C's ?:, ||, &&, ==, !=, <, >, <=,
// >=, +, -, *, /, %, !, parentheses, decimal numbers and n.
class PluralParser {
 public:
  PluralParser(std::string_view text, unsigned long n) : text_(text), n_(n) {}
  std::optional<unsigned long> Evaluate() {
    const unsigned long value = Conditional();
    Skip();
    if (failed_ || at_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  void Skip() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }
  bool Take(std::string_view token) {
    Skip();
    if (text_.substr(at_, token.size()) != token) return false;
    at_ += token.size();
    return true;
  }
  unsigned long Conditional() {
    const unsigned long condition = Or();
    if (!Take("?")) return condition;
    const unsigned long then = Conditional();
    if (!Take(":")) failed_ = true;
    const unsigned long otherwise = Conditional();
    return condition ? then : otherwise;
  }
  unsigned long Or() {
    unsigned long value = And();
    while (Take("||")) value = (And() || value) ? 1 : 0;
    return value;
  }
  unsigned long And() {
    unsigned long value = Equality();
    while (Take("&&")) value = (Equality() && value) ? 1 : 0;
    return value;
  }
  unsigned long Equality() {
    unsigned long value = Relation();
    for (;;) {
      if (Take("==")) {
        value = value == Relation();
      } else if (Take("!=")) {
        value = value != Relation();
      } else {
        return value;
      }
    }
  }
  unsigned long Relation() {
    unsigned long value = Sum();
    for (;;) {
      if (Take("<=")) {
        value = value <= Sum();
      } else if (Take(">=")) {
        value = value >= Sum();
      } else if (Take("<")) {
        value = value < Sum();
      } else if (Take(">")) {
        value = value > Sum();
      } else {
        return value;
      }
    }
  }
  unsigned long Sum() {
    unsigned long value = Product();
    for (;;) {
      if (Take("+")) {
        value += Product();
      } else if (Take("-")) {
        value -= Product();
      } else {
        return value;
      }
    }
  }
  unsigned long Product() {
    unsigned long value = Unary();
    for (;;) {
      if (Take("*")) {
        value *= Unary();
      } else if (Take("/") || Take("%")) {
        const bool divide = text_[at_ - 1] == '/';
        const unsigned long divisor = Unary();
        if (divisor == 0) {
          failed_ = true;
          return 0;
        }
        value = divide ? value / divisor : value % divisor;
      } else {
        return value;
      }
    }
  }
  unsigned long Unary() {
    if (Take("!")) return !Unary();
    if (Take("(")) {
      const unsigned long value = Conditional();
      if (!Take(")")) failed_ = true;
      return value;
    }
    if (Take("n")) return n_;
    Skip();
    if (at_ >= text_.size() || !std::isdigit(static_cast<unsigned char>(text_[at_]))) {
      failed_ = true;
      return 0;
    }
    unsigned long value = 0;
    while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) {
      value = value * 10 + static_cast<unsigned long>(text_[at_++] - '0');
    }
    return value;
  }

  std::string_view text_;
  unsigned long n_;
  std::size_t at_ = 0;
  bool failed_ = false;
};

}  // namespace

std::optional<MoFile> ReadMoFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return std::nullopt;

  Words words(bytes);
  std::uint32_t magic = 0;
  if (!words.Read(0, magic)) return std::nullopt;
  if (magic == kMagicSwapped) {
    words.SetSwapped(true);
  } else if (magic != kMagic) {
    return std::nullopt;
  }
  std::uint32_t revision = 0, count = 0, originals = 0, translations = 0;
  if (!words.Read(4, revision) || !words.Read(8, count) || !words.Read(12, originals) ||
      !words.Read(16, translations) || (revision >> 16) > 1) {
    return std::nullopt;
  }
  MoFile mo;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string original, translation;
    if (!words.String(originals + 8 * std::size_t{i}, original) ||
        !words.String(translations + 8 * std::size_t{i}, translation)) {
      return std::nullopt;
    }
    if (original.empty()) {
      ReadPluralForms(translation, mo);
      continue;
    }
    // A plural entry is found by its singular.
    original.resize(std::min(original.size(), original.find('\0')));
    mo.texts.emplace(std::move(original), std::move(translation));
  }
  return mo;
}

std::optional<unsigned long> EvaluatePlural(std::string_view expression, unsigned long n) {
  return PluralParser(expression, n).Evaluate();
}

}  // namespace palvarin

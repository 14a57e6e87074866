#include "export/style_filter.hpp"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/utf8_text.hpp"

namespace palvarin {
namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first);
}

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lowered;
}

bool IsAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

bool FontFamilyIsSafe(std::string_view value) {
  if (value.empty() || value.size() > 200) return false;
  while (!value.empty()) {
    const std::size_t length = Utf8Length(value);
    if (length == 0) return false;
    const auto c = static_cast<unsigned char>(value[0]);
    if (length == 1 && !IsAsciiLetter(c) && !std::isdigit(c) && c != ' ' && c != ',' && c != '-' &&
        c != '_') {
      return false;
    }
    const std::uint32_t point = CodePoint(value.substr(0, length));
    if (IsControlCharacter(point) || IsBidiControl(point)) return false;
    value.remove_prefix(length);
  }
  return true;
}

bool ColorIsSafe(std::string_view value) {
  if (value.starts_with('#')) {
    const std::string_view digits = value.substr(1);
    return (digits.size() == 3 || digits.size() == 6) &&
           std::all_of(digits.begin(), digits.end(),
                       [](unsigned char c) { return std::isxdigit(c) != 0; });
  }
  return !value.empty() && value.size() <= 20 &&
         std::all_of(value.begin(), value.end(), [](unsigned char c) { return IsAsciiLetter(c); });
}

template <std::size_t N>
bool OneOf(std::string_view value, const std::array<std::string_view, N>& words) {
  return std::find(words.begin(), words.end(), value) != words.end();
}

bool WeightIsSafe(std::string_view value) {
  static constexpr std::array<std::string_view, 13> kWeights = {
      "normal", "bold", "bolder", "lighter", "100", "200", "300",
      "400",    "500",  "600",    "700",     "800", "900"};
  return OneOf(value, kWeights);
}

bool FontStyleIsSafe(std::string_view value) {
  static constexpr std::array<std::string_view, 3> kStyles = {"normal", "italic", "oblique"};
  return OneOf(value, kStyles);
}

bool DecorationIsSafe(std::string_view value) {
  static constexpr std::array<std::string_view, 4> kLines = {"none", "underline", "line-through",
                                                             "overline"};
  bool any = false;
  while (!(value = Trimmed(value)).empty()) {
    const std::size_t end = std::min(value.find(' '), value.size());
    if (!OneOf(value.substr(0, end), kLines)) return false;
    value.remove_prefix(end);
    any = true;
  }
  return any;
}

}  // namespace

std::string SafeStyle(std::string_view style) {
  std::string safe;
  while (!style.empty()) {
    const std::size_t end = std::min(style.find(';'), style.size());
    const std::string_view declaration = style.substr(0, end);
    style.remove_prefix(std::min(end + 1, style.size()));
    const std::size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string property = Lowered(Trimmed(declaration.substr(0, colon)));
    const std::string_view value = Trimmed(declaration.substr(colon + 1));
    // Keywords compare in lower case; a font's name keeps its letters.
    const std::string keyword = Lowered(value);
    bool keep = false;
    if (property == "font-family") {
      keep = FontFamilyIsSafe(value);
    } else if (property == "color") {
      keep = ColorIsSafe(keyword);
    } else if (property == "font-weight") {
      keep = WeightIsSafe(keyword);
    } else if (property == "font-style") {
      keep = FontStyleIsSafe(keyword);
    } else if (property == "text-decoration") {
      keep = DecorationIsSafe(keyword);
    }
    if (!keep) continue;
    ((((safe += property) += ':') += property == "font-family" ? std::string(value) : keyword)) +=
        ';';
  }
  return safe;
}

}  // namespace palvarin

#include "index_terms.hpp"

#include <unicode/utf8.h>

namespace palvarin {
namespace {

constexpr std::size_t kFirstSlots = 1024;  // a power of two
constexpr std::uint64_t kCharacterBits = 21;
constexpr std::uint64_t kCharacterMask = (std::uint64_t{1} << kCharacterBits) - 1;
constexpr std::uint64_t kWindowMask = (std::uint64_t{1} << 3 * kCharacterBits) - 1;

void AppendCharacter(std::string& text, std::uint64_t c) {
  std::uint8_t encoded[U8_MAX_LENGTH];
  std::int32_t size = 0;
  U8_APPEND_UNSAFE(encoded, size, static_cast<UChar32>(c));
  text.append(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(size));
}

// The byte offsets at which the characters of `word` start; none when it is no UTF-8 the
// tokenizer reads as it is.
std::optional<std::vector<std::size_t>> CharacterStarts(std::string_view word) {
  std::vector<std::size_t> starts;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(word.data());
  const auto length = static_cast<std::int32_t>(word.size());
  for (std::int32_t at = 0; at < length;) {
    starts.push_back(static_cast<std::size_t>(at));
    UChar32 c = 0;
    U8_NEXT(bytes, at, length, c);
    // Ill-formed, a NUL the index would not keep, or what SQLite reads as U+FFFD.
    if (c <= 0 || c == 0xFFFE || c == 0xFFFF) return std::nullopt;
  }
  return starts;
}

// A string of FTS5's query syntax: in double quotes, each of its own doubled.
void AppendQuoted(std::string& query, std::string_view text) {
  query += '"';
  for (const char c : text) query += c == '"' ? "\"\"" : std::string_view(&c, 1);
  query += "\" ";
}

}  // namespace

IndexText::IndexText() : slots_(kFirstSlots) {}

void IndexText::Add(std::string_view folded) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(folded.data());
  const auto length = static_cast<std::int32_t>(folded.size());
  for (std::int32_t at = 0; at < length;) {
    UChar32 c = 0;
    U8_NEXT(bytes, at, length, c);
    Feed(c > 0 ? static_cast<std::uint32_t>(c) : '\n');
  }
  Feed('\n');
}

void IndexText::Feed(std::uint32_t c) {
  window_ = (window_ << kCharacterBits | c) & kWindowMask;
  if (seen_ < 3) ++seen_;
  if (seen_ < 3 || !Insert(window_)) {
    resumed_ = false;
    return;
  }
  if (!resumed_) {
    AppendCharacter(text_, window_ >> 2 * kCharacterBits);
    AppendCharacter(text_, window_ >> kCharacterBits & kCharacterMask);
  }
  AppendCharacter(text_, c);
  resumed_ = true;
}

// Whether `key` is new. Asked for every character: the look-up is kept small enough to be
// inlined, the rarer insertion is not.
bool IndexText::Insert(std::uint64_t key) {
  const std::size_t mask = slots_.size() - 1;
  const std::uint64_t* const slots = slots_.data();
  for (std::size_t slot = (key * 0x9E3779B97F4A7C15u) >> 32 & mask;; slot = (slot + 1) & mask) {
    if (slots[slot] == key) return false;
    if (slots[slot] == 0) {
      Claim(slot, key);
      return true;
    }
  }
}

void IndexText::Claim(std::size_t slot, std::uint64_t key) {
  slots_[slot] = key;
  used_.push_back(static_cast<std::uint32_t>(slot));
  if (used_.size() * 2 > slots_.size()) Grow();
}

void IndexText::Grow() {
  std::vector<std::uint64_t> keys;
  keys.reserve(used_.size());
  for (const std::uint32_t slot : used_) keys.push_back(slots_[slot]);
  slots_.assign(slots_.size() * 2, 0);
  used_.clear();
  for (const std::uint64_t key : keys) Insert(key);
}

std::string IndexText::Take() {
  Feed('\n');
  for (const std::uint32_t slot : used_) slots_[slot] = 0;
  used_.clear();
  window_ = 0;
  seen_ = 0;
  resumed_ = false;
  std::string text = std::move(text_);
  text_.clear();
  return text;
}

IndexQuery MakeIndexQuery(const std::vector<std::string>& words) {
  IndexQuery query;
  std::string trigrams;
  for (const std::string& word : words) {
    const auto starts = CharacterStarts(word);
    if (!starts || starts->empty()) continue;
    if (starts->size() < 3) {
      query.starts.push_back(word);
      continue;
    }
    // Every third trigram and the last cover each character once or twice: enough to narrow
    // the histories down, as those found are checked word for word anyway.
    const std::size_t count = starts->size() - 2;
    std::vector<std::size_t> firsts;
    for (std::size_t first = 0; first < count; first += 3) firsts.push_back(first);
    if (firsts.back() != count - 1) firsts.push_back(count - 1);
    for (const std::size_t first : firsts) {
      const std::size_t end = first + 3 < starts->size() ? (*starts)[first + 3] : word.size();
      AppendQuoted(trigrams,
                   std::string_view(word).substr((*starts)[first], end - (*starts)[first]));
    }
  }
  if (!trigrams.empty()) {
    trigrams.pop_back();
    query.trigrams = std::move(trigrams);
  }
  return query;
}

}  // namespace palvarin

#include "search/case_fold.hpp"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <climits>
#include <cstdint>

namespace palvarin {
namespace {

// Folds a piece of at most INT32_MAX bytes, the most ICU's macros count.
void FoldPiece(std::string_view text, std::string& folded) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  for (std::int32_t at = 0; at < length;) {
    // Most texts are mostly ASCII, or kana and ideographs, which have no case (no character
    // from U+2CF3 to U+A63F folds): a run of them is copied at once and its capitals lowered.
    std::int32_t end = at;
    for (;;) {
      if (end < length && bytes[end] < 0x80) {
        ++end;
      } else if (end + 2 < length && bytes[end] >= 0xE3 && bytes[end] <= 0xE9 &&
                 (bytes[end + 1] & 0xC0) == 0x80 && (bytes[end + 2] & 0xC0) == 0x80) {
        end += 3;  // U+3000 to U+9FFF
      } else {
        break;
      }
    }
    if (end > at) {
      const std::size_t first = folded.size();
      folded.resize(first + static_cast<std::size_t>(end - at));
      char* out = folded.data() + first;
      for (; at < end; ++at) {
        const std::uint8_t c = bytes[at];
        *out++ = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
      }
      continue;
    }
    const std::int32_t start = at;
    UChar32 c = 0;
    U8_NEXT(bytes, at, length, c);
    const UChar32 fold = c < 0 ? c : u_foldCase(c, U_FOLD_CASE_DEFAULT);
    if (fold == c) {  // unchanged, an ill-formed sequence (c < 0) included
      folded.append(text.data() + start, static_cast<std::size_t>(at - start));
      continue;
    }
    std::uint8_t encoded[U8_MAX_LENGTH];
    std::int32_t size = 0;
    U8_APPEND_UNSAFE(encoded, size, fold);
    folded.append(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(size));
  }
}

// Whether a piece may end before `at` without cutting a character in two.
bool CharacterStartsAt(std::string_view text, std::size_t at) {
  return at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
}

}  // namespace

std::string FoldCase(std::string_view text) {
  std::string folded;
  FoldCase(text, folded);
  return folded;
}

void FoldCase(std::string_view text, std::string& folded) {
  folded.clear();
  folded.reserve(text.size());
  while (!text.empty()) {
    std::size_t piece = std::min<std::size_t>(text.size(), INT32_MAX);
    while (piece < text.size() && piece > INT32_MAX - 4 && !CharacterStartsAt(text, piece)) {
      --piece;
    }
    FoldPiece(text.substr(0, piece), folded);
    text.remove_prefix(piece);
  }
}

}  // namespace palvarin

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
    const std::int32_t start = at;
    UChar32 c = 0;
    U8_NEXT(bytes, at, length, c);
    UChar32 fold = c;
    if (c >= 'A' && c <= 'Z') {
      fold = c + ('a' - 'A');
    } else if (c >= 0x80) {
      fold = u_foldCase(c, U_FOLD_CASE_DEFAULT);
    }
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
  folded.reserve(text.size());
  while (!text.empty()) {
    std::size_t piece = std::min<std::size_t>(text.size(), INT32_MAX);
    while (piece < text.size() && piece > INT32_MAX - 4 && !CharacterStartsAt(text, piece)) {
      --piece;
    }
    FoldPiece(text.substr(0, piece), folded);
    text.remove_prefix(piece);
  }
  return folded;
}

}  // namespace palvarin

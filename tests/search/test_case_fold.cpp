// The folding takes shortcuts for ASCII, kana and ideographs: every character still folds as
// ICU's simple case folding says.
#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <string>
#include <vector>

#include "search/case_fold.hpp"

namespace palvarin {
namespace {

std::string Utf8(UChar32 c) {
  char bytes[U8_MAX_LENGTH];
  std::int32_t size = 0;
  U8_APPEND_UNSAFE(bytes, size, c);
  return std::string(bytes, static_cast<std::size_t>(size));
}

TEST(FoldCase, FoldsEveryCharacterAsIcuDoes) {
  std::vector<UChar32> wrong;
  for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
    if (U_IS_SURROGATE(c)) continue;
    const std::string expected = Utf8(u_foldCase(c, U_FOLD_CASE_DEFAULT));
    // Alone, and between a capital and an ideograph: at either end of a run copied at once.
    if (FoldCase(Utf8(c)) != expected || FoldCase("A" + Utf8(c) + "日") != "a" + expected + "日") {
      wrong.push_back(c);
    }
  }
  ASSERT_TRUE(wrong.empty()) << wrong.size() << " characters, the first U+" << std::hex
                             << wrong.front();
}

}  // namespace
}  // namespace palvarin

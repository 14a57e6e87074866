#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <vector>

#include "failure_text.hpp"

namespace palvarin {
namespace {

std::vector<std::string> Patterns(const Phrase& phrase) {
  std::vector<std::string> patterns;
  phrase.ForEachPattern([&patterns](std::string_view pattern) { patterns.emplace_back(pattern); });
  return patterns;
}

// The common reasons are patterns a catalogue can translate; in English they must stay the C
// library's own words, or every English failure text would change.
TEST(SystemReason, CommonReasonsAreTranslatableAndReadAsTheCLibraryInEnglish) {
  const struct {
    int code;
    bool translatable;
  } rows[] = {
      {ENOENT, true}, {EACCES, true}, {EPERM, true},      {ENOSPC, true},       {EDQUOT, true},
      {EROFS, true},  {EIO, true},    {ENOMEM, true},     {EEXIST, true},       {ENOTDIR, true},
      {EISDIR, true}, {ELOOP, true},  {EMFILE, true},     {ENAMETOOLONG, true}, {EBUSY, true},
      {EFBIG, true},  {EXDEV, false}, {ENOTEMPTY, false}, {12345, false},
  };
  for (const auto& row : rows) {
    const Phrase reason = SystemReason(row.code);
    EXPECT_EQ(reason.English(), std::generic_category().message(row.code)) << row.code;
    EXPECT_EQ(Patterns(reason).size(), row.translatable ? 1u : 0u) << row.code;
  }
}

TEST(FileFailure, CarriesTheCodeAndFillsThePatternWithPathAndReason) {
  const Result failure = FileFailure("cannot flush {0}: {1}", "/a/b.xml", ENOSPC);
  EXPECT_FALSE(failure);
  EXPECT_EQ(failure.code, ENOSPC);
  EXPECT_EQ(failure.description(), "cannot flush /a/b.xml: No space left on device");
  EXPECT_EQ(Patterns(failure.reason),
            (std::vector<std::string>{"cannot flush {0}: {1}", "No space left on device"}));
}

}  // namespace
}  // namespace palvarin

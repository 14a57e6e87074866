#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/phrase.hpp"

namespace palvarin {
namespace {

// A stand-in catalogue: each known pattern gets another wording, with its values reordered.
std::string_view Upside(std::string_view pattern) {
  if (pattern == "cannot read {0}: {1}") return "[{1}] {0} unread";
  if (pattern == "No such file or directory") return "missing";
  if (pattern == "{0}; {1} was left as it was") return "{1} kept / {0}";
  return pattern;
}

TEST(Phrase, WordsEveryPatternButNeverTheTextsThatFillThem) {
  const Phrase reason =
      Say("cannot read {0}: {1}", {std::string("/a/{1}.xml"), Say("No such file or directory")});
  const Phrase outer =
      Say("{0}; {1} was left as it was", {reason, std::string("No such file or directory")});
  const struct {
    const char* name;
    Phrase phrase;
    std::string english;
    std::string worded;
  } rows[] = {
      {"verbatim", std::string("cannot read {0}: {1}"), "cannot read {0}: {1}",
       "cannot read {0}: {1}"},
      {"pattern alone", Say("No such file or directory"), "No such file or directory", "missing"},
      {"values reordered", reason, "cannot read /a/{1}.xml: No such file or directory",
       "[missing] /a/{1}.xml unread"},
      {"nested", outer,
       "cannot read /a/{1}.xml: No such file or directory; No such file or directory was left as "
       "it was",
       "No such file or directory kept / [missing] /a/{1}.xml unread"},
      {"missing value stays a brace", Say("{0} and {1}", {std::string("one")}), "one and {1}",
       "one and {1}"},
      {"empty", Phrase(), "", ""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.phrase.English(), row.english) << row.name;
    EXPECT_EQ(row.phrase.Render(Upside), row.worded) << row.name;
  }
}

TEST(Phrase, IsEmptyOnlyWithoutPatternAndText) {
  EXPECT_TRUE(Phrase().empty());
  EXPECT_TRUE(Phrase(std::string()).empty());
  EXPECT_FALSE(Phrase(std::string("x")).empty());
  EXPECT_FALSE(Say("refused").empty());
}

TEST(Phrase, VisitsItsPatternsOutermostFirst) {
  const Phrase phrase =
      Say("{0}; {1} was left as it was",
          {Say("cannot read {0}: {1}", {std::string("/a"), Say("Permission denied")}),
           std::string("/out")});
  std::vector<std::string> seen;
  phrase.ForEachPattern([&seen](std::string_view pattern) { seen.emplace_back(pattern); });
  EXPECT_EQ(seen, (std::vector<std::string>{"{0}; {1} was left as it was", "cannot read {0}: {1}",
                                            "Permission denied"}));
}

}  // namespace
}  // namespace palvarin

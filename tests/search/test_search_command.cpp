// "--search" on the command line: one line per message, tab-separated; grep's exit statuses;
// what could not be searched on standard error in the user's language; no profile written.
#include <gtest/gtest.h>

#include "support/history_builder.hpp"
#include "support/palvarin_process.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using test::WriteFile;

class SearchCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(histories_);
    // A text of two lines with a tab and a C1 control character (CSI) in it.
    WriteFile(histories_ / "b.xml",
              test::HistoryText({{"2006/01/23", "12:00:00", "Lunch&#xD;&#xA;at\tnoon\u009b2J", 1},
                                 {"2006/01/23", "12:01:00", "no, dinner", 1, "Bob"}}));
    WriteFile(histories_ / "a.xml", test::OneMessageHistory("lunch?"));
    WriteFile(histories_ / "notes.xml", "<notes/>");
  }
  test::ProcessResult Run(const std::vector<std::string>& arguments,
                          const std::string& language = "C.UTF-8") {
    return test::RunPalvarin(
        arguments, folder_.Path(), profile_,
        {"XDG_CACHE_HOME=" + (folder_ / "cache").string(), "LANG=" + language, "TZ=Asia/Tokyo"});
  }

  test::TempFolder folder_;
  std::filesystem::path histories_ = folder_ / "histories";
  std::filesystem::path profile_ = folder_ / "profile.sqlite3";
};

TEST_F(SearchCommand, PrintsOneLinePerMessageByFileThenInHistoryOrder) {
  const auto run = Run({"--search=LUNCH", "--first", histories_.string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "a.xml\t2006-01-23 12:00:00\tAlice\tlunch?\n"
            "b.xml\t2006-01-23 12:00:00\tAlice\tLunch\\nat\\tnoon\\xc2\\x9b2J\n");
  EXPECT_EQ(run.err, "palvarin: not searched: " + (histories_ / "notes.xml").string() +
                         " is not a message history: its root element is <notes>, not <Log>\n");
  EXPECT_FALSE(std::filesystem::exists(profile_));
}

TEST_F(SearchCommand, SaysWhatWasNotSearchedInTheUsersLanguage) {
  const auto run = Run({"--search=dinner", "--first=" + histories_.string()}, "ja_JP.UTF-8");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "b.xml\t2006-01-23 12:01:00\tBob\tno, dinner\n");
  EXPECT_NE(run.err.find("palvarin: 検索できませんでした: "), std::string::npos) << run.err;
}

// A history cut off mid-entry is searched as far as its whole entries go, and said to be cut
// at every search: it never joins the index.
TEST_F(SearchCommand, ExitsAsGrepDoes) {
  const std::string folder = histories_.string();
  const std::string whole = test::HistoryText(
      {{"2006/01/23", "12:00:00", "kept whole"}, {"2006/01/23", "12:01:00", "cut short"}});
  const std::string cut = (folder_ / "cut.xml").string();
  WriteFile(cut, whole.substr(0, whole.find("cut short") + 6));
  const std::string breaks = "cut.xml is cut off at byte " +
                             std::to_string(whole.find("cut short") + 6) +
                             ": 1 whole entry before it, the entry at the cut left out; only its "
                             "whole entries were searched";
  const struct {
    std::vector<std::string> arguments;
    int status;
    const char* error;  // a part of standard error
  } rows[] = {
      {{"--search=noon dinner", "--first", folder}, 1, ""},
      {{"--search=dinner", "--first", (histories_ / "a.xml").string()}, 1, ""},
      {{"--search=", "--first", folder}, 2, "option '--search' needs a word"},
      {{"--search", "\u3000 ", "--first", folder}, 2, "option '--search' needs a word"},
      {{"--search=lunch"}, 2, "a search needs --first"},
      {{"--search=lunch", "--first", folder, "--dry-run"}, 2, "'--dry-run' cannot be used"},
      {{"--search=lunch", "--first", (folder_ / "missing").string()}, 2, "missing: No such file"},
      {{"--search=short", "--first", cut}, 1, breaks.c_str()},
      {{"--search=short", "--first", cut}, 1, breaks.c_str()},
  };
  for (const auto& row : rows) {
    const auto run = Run(row.arguments);
    EXPECT_EQ(run.status, row.status) << row.arguments[0] << " " << run.err;
    EXPECT_EQ(run.out, "") << row.arguments[0];
    EXPECT_NE(run.err.find(row.error), std::string::npos) << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(profile_));
}

}  // namespace
}  // namespace palvarin

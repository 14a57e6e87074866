// "--find" on the command line: one tab-separated line per folder, what could not be read on
// standard error, a search's exit statuses, and no profile written.
#include <gtest/gtest.h>

#include "support/history_builder.hpp"
#include "support/palvarin_process.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

TEST(FindCommand, ListsTheFoldersAndExitsAsASearchDoes) {
  const test::TempFolder folder;
  const std::filesystem::path root = folder / "disk";
  const std::filesystem::path account = root / "bob7654321";
  std::filesystem::create_directories(account / "History");
  std::filesystem::create_directories(folder / "none");
  test::WriteFile(account / "History" / "a.xml", test::OneMessageHistory("x"));
  test::WriteFile(account / "History" / "b.xml", "<Log><Message Date=");
  test::WriteFile(folder / "none" / "a.xml", "<notes/>");
  const std::filesystem::path profile = folder / "profile.sqlite3";
  const std::filesystem::path report = folder / "report.json";

  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string out;
    const char* error;  // a part of standard error
  } rows[] = {
      {{"--find=" + root.string(), "--report", report.string()},
       0,
       (account / "History").string() + "\t1\t2006-01-23\t2006-01-23\t" + account.string() + "\n",
       "not read: "},
      {{"--find", (folder / "none").string()}, 1, "", ""},
      {{"--find=" + (folder / "missing").string()}, 2, "", "missing: No such file"},
      {{"--find=" + root.string(), "--dry-run"}, 2, "", "'--dry-run' cannot be used with --find"},
      {{"--find=" + root.string(), "--first=x"}, 2, "", "'--first' cannot be used with --find"},
      {{"--find=" + root.string(), "--gather", "--input=x", "--input=y", "--output=z"},
       2,
       "",
       "'--gather' cannot be used with --find"},
      {{"--cross-devices", "--search=x", "--first=x"}, 2, "", "'--cross-devices' needs --find"},
  };
  for (const auto& row : rows) {
    const auto run = test::RunPalvarin(row.arguments, folder.Path(), profile);
    EXPECT_EQ(run.status, row.status) << row.arguments[0] << " " << run.err;
    EXPECT_EQ(run.out, row.out) << row.arguments[0];
    EXPECT_NE(run.err.find(row.error), std::string::npos) << run.err;
  }
  EXPECT_NE(test::ReadFile(report).find("\"histories\":1"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(profile));
}

// Folder names that a terminal would break or turn around print escaped, each as itself.
TEST(FindCommand, PrintsEveryFolderNameEscapedAndDistinct) {
  const test::TempFolder folder;
  const std::vector<std::string> names = {"a\nb", "a b", "x\xE2\x80\xAEy"};
  for (const std::string& name : names) {
    std::filesystem::create_directories(folder / "disk" / name);
    test::WriteFile(folder / "disk" / name / "a.xml", test::OneMessageHistory("x"));
  }
  const auto run = test::RunPalvarin({"--find=" + (folder / "disk").string()}, folder.Path(),
                                     folder / "profile.sqlite3");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string root = (folder / "disk").string() + "/";
  for (const char* shown : {"a\\nb\t", "a b\t", "x\\u202ey\t"}) {
    EXPECT_NE(run.out.find(root + shown), std::string::npos) << shown << "\n" << run.out;
  }
  EXPECT_EQ(run.out.find("\xE2\x80\xAE"), std::string::npos);
}

}  // namespace
}  // namespace palvarin

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
       (account / "History").string() + "\t1\t2006-01-23\t2006-01-23\tbob7654321\t-\n",
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

// Two users' histories under one root: listed by account, and not gathered together unless
// asked to. An account is told by Messenger's folder or, for a copy out of that layout, by the
// owner of its histories; one that cannot be told is gathered with any.
TEST(FindCommand, ListsAccountsApartAndGathersOneAtATime) {
  const test::TempFolder folder;
  const std::filesystem::path root = folder / "disk";
  const auto history = [](const char* owner, const char* contact) {
    return test::HistoryText({{"2006/01/23", "12:00:00", "hi", 1, contact, owner},
                              {"2006/01/23", "12:01:00", "yo", 1, owner, contact}});
  };
  const struct {
    const char* folder;
    const char* owner;  // null: one history only, whose owner cannot be told
  } folders[] = {{"taro1234567/History", "Taro"},
                 {"hanako9876543/History", "Hanako"},
                 {"backup", "Hanako"},
                 {"taro copy", "Taro"},
                 {"loose", nullptr}};
  for (const auto& made : folders) {
    std::filesystem::create_directories(root / made.folder);
    test::WriteFile(root / made.folder / "alice.xml",
                    history(made.owner ? made.owner : "X", "Alice"));
    if (made.owner) test::WriteFile(root / made.folder / "bob.xml", history(made.owner, "Bob"));
  }
  const auto line = [&root](const char* name, const char* histories, const char* account,
                            const char* owner) {
    return (root / name).string() + "\t" + histories + "\t2006-01-23\t2006-01-23\t" + account +
           "\t" + owner + "\n";
  };
  const auto run = [&](std::vector<std::string> arguments) {
    return test::RunPalvarin(arguments, folder.Path(), folder / "profile.sqlite3");
  };
  const auto found = run({"--find=" + root.string()});
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(found.out, line("backup", "2", "-", "Hanako") + line("taro copy", "2", "-", "Taro") +
                           line("hanako9876543/History", "2", "hanako9876543", "Hanako") +
                           line("taro1234567/History", "2", "taro1234567", "Taro") +
                           line("loose", "1", "-", "-"));

  const struct {
    std::vector<const char*> inputs;
    bool anyAccount;
    int status;
    std::vector<const char*> named;  // in the refusal
  } rows[] = {
      {{"taro1234567/History", "hanako9876543/History"},
       false,
       2,
       {"taro1234567", "hanako9876543"}},
      {{"taro1234567/History", "hanako9876543/History"}, true, 0, {}},
      {{"backup", "taro copy"}, false, 2, {"Hanako", "Taro"}},
      {{"taro1234567/History", "taro copy", "loose"}, false, 0, {}},
      {{"hanako9876543/History", "backup"}, false, 0, {}},
  };
  for (const auto& row : rows) {
    const std::filesystem::path output = folder / "out";
    std::filesystem::remove_all(output);
    std::vector<std::string> arguments = {"--gather", "--output=" + output.string()};
    for (const char* input : row.inputs) arguments.push_back("--input=" + (root / input).string());
    if (row.anyAccount) arguments.push_back("--any-account");
    const auto gathered = run(arguments);
    EXPECT_EQ(gathered.status, row.status) << row.inputs[1] << gathered.err;
    EXPECT_EQ(std::filesystem::exists(output), row.status == 0) << row.inputs[1];
    for (const char* name : row.named) {
      EXPECT_NE(gathered.err.find(name), std::string::npos) << name << gathered.err;
    }
  }
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

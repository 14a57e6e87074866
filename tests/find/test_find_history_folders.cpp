// The walk for history folders on a tree built to trap it: a link loop, named pipes, a socket, a
// folder it may not open, a folder swapped for a link while it walks, other XML, damaged
// histories, and accounts inside accounts.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <utility>

#include "device_rule.hpp"
#include "files/io_faults.hpp"
#include "find/find_history_folders.hpp"
#include "history_sniff.hpp"
#include "support/history_builder.hpp"
#include "support/test_support.hpp"
#include "texts/find_text.hpp"

namespace palvarin {
namespace {

namespace fs = std::filesystem;
using test::WriteFile;

struct Expected {
  std::string folder;  // below the root
  std::size_t histories;
  std::string first, last;    // local dates
  std::string accountFolder;  // below the root; empty: none
};

// Once the walk has listed the root and entered its first folder, swaps the root's folder
// "swapped" for a link to a folder of histories outside the root.
class SwapForALink : public FindObserver {
 public:
  SwapForALink(fs::path root, fs::path outside)
      : root_(std::move(root)), outside_(std::move(outside)) {}
  void FolderEntered(const FindProgress& progress) override {
    if (progress.folder == root_.string() || swapped_) return;
    fs::rename(root_ / "swapped", outside_.parent_path() / "swapped away");
    fs::create_directory_symlink(outside_, root_ / "swapped");
    swapped_ = true;
  }
  bool Swapped() const { return swapped_; }

 private:
  fs::path root_, outside_;
  bool swapped_ = false;
};

TEST(FindHistoryFolders, ListsExactlyTheFoldersThatHoldHistories) {
  const test::ScopedTimeZone zone("Asia/Tokyo");
  const test::TempFolder folder;
  const fs::path root = folder / "disk";
  const fs::path account = root / "My Received Files" / "alice1234567";
  const fs::path nested = account / "old pc" / "bob7654321";
  for (const fs::path& made :
       {account / "History", nested / "History", root / "plain", root / "other", root / "A-locked",
        root / "swapped", folder / "outside"}) {
    fs::create_directories(made);
  }
  WriteFile(folder / "outside" / "grace.xml", test::OneMessageHistory("outside"));
  WriteFile(account / "History" / "bob.xml", test::HistoryText({{"2006/01/23", "12:00:00", "hi"},
                                                                {"2006/03/01", "23:30:00", "yo"}}));
  // A history under another name is none: no job would take it.
  WriteFile(account / "History" / "carol.dat", test::OneMessageHistory("x"));
  WriteFile(account / "History" / "notes.xml", "<?xml version=\"1.0\"?>\n<notes><Log/></notes>");
  WriteFile(nested / "History" / "dave.xml",
            test::HistoryText({{"2004/12/31", "20:00:00", "late"}}));
  ASSERT_EQ(::mkfifo((nested / "History" / "pipe.xml").c_str(), 0600), 0);
  WriteFile(root / "plain" / "eve.xml", test::HistoryText({{"2009/07/07", "07:07:07", "x"}}));
  // No entries, but a history all the same, as the jobs take it.
  WriteFile(root / "other" / "empty.xml", "<Log/>");
  WriteFile(root / "other" / "broken1.xml", "<Log><Message Date=");
  WriteFile(root / "other" / "broken2.xml", "<Log><Message/><Message/>");
  // A history that breaks off is one, with its whole entries, as the gather takes it.
  const std::string cut = test::HistoryText({{"2008/08/08", "08:08:08", "cut"}});
  WriteFile(root / "other" / "cut.xml", cut.substr(0, cut.rfind("</Log>")));
  WriteFile(root / "other" / "page.html", "<!DOCTYPE html><html></html>");
  ASSERT_EQ(::mkfifo((root / "other" / "pipe").c_str(), 0600), 0);
  fs::create_directory_symlink("..", root / "other" / "loop");
  fs::create_symlink(account / "History" / "bob.xml", root / "other" / "link.xml");
  test::MakeSocket(root / "other" / "socket.xml");
  WriteFile(root / "A-locked" / "frank.xml", test::OneMessageHistory("locked"));
  fs::permissions(root / "A-locked", fs::perms::none);

  // "A-locked" is the first folder the walk opens below the root: the seam refuses it even to
  // root, who could open it.
  faults::Arm(1);
  SwapForALink swap(root, folder / "outside");
  const Result<FindReport> report = FindHistoryFolders(root.string(), {}, &swap);
  faults::Arm(0);
  fs::permissions(root / "A-locked", fs::perms::owner_all);
  ASSERT_TRUE(report) << Said(report);
  EXPECT_TRUE(swap.Swapped());

  const std::string below = "My Received Files/alice1234567";
  // Grouped by account, those of none last.
  const Expected expected[] = {
      {below + "/History", 1, "2006-01-23", "2006-03-01", below},
      {below + "/old pc/bob7654321/History", 1, "2004-12-31", "2004-12-31",
       below + "/old pc/bob7654321"},
      {"other", 2, "2008-08-08", "2008-08-08", ""},
      {"plain", 1, "2009-07-07", "2009-07-07", ""},
  };
  ASSERT_EQ(report->folders.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const HistoryFolder& found = report->folders[i];
    const Expected& row = expected[i];
    EXPECT_EQ(found.folder, (root / row.folder).string());
    EXPECT_EQ(found.histories, row.histories) << row.folder;
    EXPECT_EQ(FoundDate(found.first), row.first) << row.folder;
    EXPECT_EQ(FoundDate(found.last), row.last) << row.folder;
    EXPECT_EQ(found.accountFolder,
              row.accountFolder.empty() ? "" : (root / row.accountFolder).string())
        << row.folder;
    EXPECT_EQ(found.account.name, fs::path(row.accountFolder).filename().string()) << row.folder;
  }
  // Once per folder: the one it could not open, and the two damaged histories together.
  ASSERT_EQ(report->problems.size(), 2u);
  EXPECT_EQ(report->problems[0].folder, (root / "A-locked").string());
  EXPECT_EQ(report->problems[0].first.kind, ReasonKind::CannotOpen);
  EXPECT_EQ(report->problems[1].folder, (root / "other").string());
  EXPECT_EQ(report->problems[1].count, 2u);
  ASSERT_EQ(report->damaged.size(), 1u);
  EXPECT_EQ(report->damaged[0].path, (root / "other" / "cut.xml").string());
  EXPECT_EQ(report->damaged[0].count, 1u);
  EXPECT_FALSE(report->stopped);
  EXPECT_EQ(report->filesExamined, 10u) << "regular files only";
}

// The walk stays on the root's file system unless asked to cross onto others.
TEST(FindHistoryFolders, GoesOntoAnotherFileSystemOnlyWhenAskedTo) {
  const struct {
    const char* name;
    dev_t folder;  // the root is on 8
    bool cross;
    bool walked;
  } rows[] = {
      {"SameFileSystem", 8, false, true},
      {"AnotherFileSystem", 9, false, false},
      {"AnotherFileSystemCrossing", 9, true, true},
      {"SameFileSystemCrossing", 8, true, true},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(WalksOnto(8, row.folder, {.crossDevices = row.cross}), row.walked) << row.name;
  }
}

TEST(FindHistoryFolders, RefusesARootThatIsNoFolder) {
  const test::TempFolder folder;
  WriteFile(folder / "a.xml", test::OneMessageHistory("x"));
  for (const fs::path& root : {folder / "a.xml", folder / "missing"}) {
    const Result<FindReport> report = FindHistoryFolders(root.string(), {}, nullptr);
    EXPECT_FALSE(report) << root;
    EXPECT_EQ(report.reason().path, root.string());
  }
}

TEST(FindHistoryFolders, ReadsTheFirstBytesAsFarAsTheFirstElement) {
  const struct {
    std::string_view head;
    bool wholeFile;
    HeadVerdict verdict;
  } rows[] = {
      {"<?xml version=\"1.0\"?>\r\n<?xml-stylesheet href='x'?>\r\n<Log First=\"1\">", false,
       HeadVerdict::LogRoot},
      {"\xEF\xBB\xBF<!-- <notes> -->\n<Log>", false, HeadVerdict::LogRoot},
      {"<Log/>", true, HeadVerdict::LogRoot},
      {"<Logger>", false, HeadVerdict::NotHistory},
      {"<log>", false, HeadVerdict::NotHistory},
      {"<!DOCTYPE Log><Log>", false, HeadVerdict::NotHistory},
      {"hello <Log>", false, HeadVerdict::NotHistory},
      {"", true, HeadVerdict::NotHistory},
      // Cut short before the first element: only the whole file can tell.
      {"<?xml version=\"1.0\"", false, HeadVerdict::Undecided},
      {"<?xml version=\"1.0\"", true, HeadVerdict::NotHistory},
      {"<!-- long", false, HeadVerdict::Undecided},
      {"\n<Lo", false, HeadVerdict::Undecided},
      {"<Log", false, HeadVerdict::Undecided},
      {std::string_view("<\0L\0o\0g\0", 8), false, HeadVerdict::Undecided},
      // UTF-16 is read through its ASCII characters; other bytes with a NUL hold no history.
      {std::string_view("\xFF\xFE<\0L\0o\0g\0>\0", 12), false, HeadVerdict::LogRoot},
      {std::string_view("\xFE\xFF\0<\0n\0o\0t\0e\0>", 14), false, HeadVerdict::NotHistory},
      {std::string_view("\xFF\xD8\xFF\xE0\0\x10JFIF", 10), false, HeadVerdict::NotHistory},
      {std::string_view("<?xml?>\0<Log>", 14), false, HeadVerdict::NotHistory},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ReadHead(row.head, row.wholeFile), row.verdict) << row.head;
  }
}

}  // namespace
}  // namespace palvarin

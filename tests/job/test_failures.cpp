#include <gtest/gtest.h>

#include <string>

#include "job/run_export_job.hpp"
#include "state/profile_store.hpp"
#include "state/settings_store.hpp"
#include "support/history_builder.hpp"
#include "support/palvarin_process.hpp"
#include "support/test_support.hpp"
#include "within_memory.hpp"

namespace palvarin {
namespace {

using test::HistoryText;
using test::MessageTexts;
using test::OneMessageHistory;
using test::ReadFile;
using test::RunPalvarin;
using test::TempFolder;
using test::WriteFile;

TEST(FailedPairs, AreReportedNeverCopiedBackAndDoNotStopTheOthers) {
  TempFolder folder;
  const auto pc1 = folder / "pc1", pc2 = folder / "pc2";
  std::filesystem::create_directories(pc1);
  std::filesystem::create_directories(pc2 / "folder.xml");
  WriteFile(pc1 / "good.xml", OneMessageHistory("one", "12:00:00"));
  WriteFile(pc2 / "good.xml", OneMessageHistory("the second", "13:00:00"));
  const std::string broken = "<?xml version=\"1.0\"?><Log><Message>cut off";
  WriteFile(pc1 / "broken.xml", broken);
  WriteFile(pc2 / "broken.xml", OneMessageHistory("kept on pc2", "12:00:00"));
  WriteFile(pc1 / "folder.xml", OneMessageHistory("kept on pc1", "12:00:00"));
  const std::string garbage("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  WriteFile(pc1 / "garbage.xml", OneMessageHistory("also kept", "12:00:00"));
  WriteFile(pc2 / "garbage.xml", garbage);

  // A dry run first: its failures say what would have happened, never what was done.
  const auto dry = RunPalvarin({"/n", "/d", "/o", "/b", "/p1", pc1, "/p2", pc2, "--dry-run"},
                               folder.Path(), folder / "profile.sqlite3");
  EXPECT_EQ(dry.status, 1);
  EXPECT_NE(dry.err.find("both inputs would stay as they are, and backups would be made ("),
            std::string::npos)
      << dry.err;
  for (const char* done : {"was made", "were made", "was written", "are as they were"}) {
    EXPECT_EQ(dry.err.find(done), std::string::npos) << done << " in " << dry.err;
  }

  const auto run = RunPalvarin({"/n", "/d", "/o", "/b", "/p1", pc1, "/p2", pc2}, folder.Path(),
                               folder / "profile.sqlite3");
  EXPECT_EQ(run.status, 1);
  for (const char* name : {"broken.xml", "folder.xml", "garbage.xml"}) {
    EXPECT_NE(run.err.find((pc1 / name).string()), std::string::npos) << name << run.err;
  }
  for (const std::string& reason :
       {(pc1 / "broken.xml").string() + " is cut off at byte 42: 0 whole entries before it",
        (pc2 / "garbage.xml").string() + " is not a message history",
        // A folder is no history whatever its name: the history beside it is copied, and fails.
        "cannot replace " + (pc2 / "folder.xml").string() +
            ": it is a folder, not a regular file"}) {
    EXPECT_NE(run.err.find(reason), std::string::npos) << reason << "\n" << run.err;
  }
  EXPECT_EQ(ReadFile(pc1 / "broken.xml"), broken);
  EXPECT_EQ(ReadFile(pc2 / "broken.xml"), OneMessageHistory("kept on pc2", "12:00:00"))
      << "the unmerged first file must not replace the second";
  EXPECT_EQ(ReadFile(pc1 / "folder.xml"), OneMessageHistory("kept on pc1", "12:00:00"));
  EXPECT_TRUE(std::filesystem::is_directory(pc2 / "folder.xml"));
  EXPECT_EQ(ReadFile(pc2 / "garbage.xml"), garbage);
  EXPECT_EQ(ReadFile(pc1 / "garbage.xml"), OneMessageHistory("also kept", "12:00:00"));
  EXPECT_EQ(MessageTexts(pc2 / "good.xml"), (std::vector<std::string>{"one", "the second"}));
  EXPECT_EQ(ReadFile(pc1 / "good.xml"), ReadFile(pc2 / "good.xml"));
  EXPECT_NE(run.out.find("1 pair merged, 0 unchanged, 2 failed; 1 file copied, 1 copy failed"),
            std::string::npos)
      << run.out;

  ProfileStore store(folder / "profile.sqlite3");
  MergeSettings stored;
  LoadSettings(store, stored);
  EXPECT_EQ(stored.Path1, pc1.string()) << "a job that ran saves its settings";
}

TEST(FailedPairs, AnUnwritableOutputFailsThePairAndNamesIt) {
  TempFolder folder;
  WriteFile(folder / "a.xml", OneMessageHistory("one", "12:00:00"));
  WriteFile(folder / "b.xml", OneMessageHistory("the second", "13:00:00"));
  const auto locked = folder / "locked";
  std::filesystem::create_directory(locked);
  if (!test::MakeReadOnly(locked)) GTEST_SKIP() << "cannot make a folder read-only here";
  const auto run = RunPalvarin({"/n", "/f", "/t", "/p1", folder / "a.xml", "/p2", folder / "b.xml",
                                "/ps", locked / "out.xml"},
                               folder.Path(), folder / "profile.sqlite3");
  test::MakeWritable(locked);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find((locked / "out.xml").string()), std::string::npos) << run.err;
  EXPECT_TRUE(std::filesystem::is_empty(locked));
}

TEST(FailedPairs, AFailedBackupStopsThePair) {
  TempFolder folder;
  const auto locked = folder / "locked";
  std::filesystem::create_directory(locked);
  WriteFile(locked / "a.xml", OneMessageHistory("one", "12:00:00"));
  WriteFile(locked / "b.xml", OneMessageHistory("the second", "13:00:00"));
  if (!test::MakeReadOnly(locked)) GTEST_SKIP() << "cannot make a folder read-only here";
  const auto run =
      RunPalvarin({"/n", "/f", "/o", "/b", "/p1", locked / "a.xml", "/p2", locked / "b.xml"},
                  folder.Path(), folder / "profile.sqlite3");
  test::MakeWritable(locked);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("backup of " + (locked / "a.xml").string()), std::string::npos) << run.err;
  EXPECT_EQ(ReadFile(locked / "a.xml"), OneMessageHistory("one", "12:00:00"));
  EXPECT_EQ(ReadFile(locked / "b.xml"), OneMessageHistory("the second", "13:00:00"));
}

// A history too large for memory fails the item at hand, whatever it had reached, with why.
TEST(FailedPairs, RunningOutOfMemoryFailsTheItemWithItsReason) {
  const auto outOfMemory = []() -> bool {
    throw XmlError(1, {.kind = ReasonKind::NoMemoryToLoad, .path = "a.xml"});
  };
  PairReport pair;
  pair.outcome = PairOutcome::Merged;  // as a gather's name is before it is saved
  EXPECT_FALSE(WithinMemory(pair, outOfMemory));
  EXPECT_EQ(pair.outcome, PairOutcome::Failed);
  EXPECT_EQ(pair.problem, PairProblem::OutOfMemory);
  EXPECT_EQ(pair.cause.path, "a.xml");
  ExportItem item;
  EXPECT_TRUE(WithinMemory(item, [] { return true; }));
  EXPECT_EQ(item.problem, PairProblem::None);
  EXPECT_FALSE(WithinMemory(item, outOfMemory));
  EXPECT_EQ(item.problem, PairProblem::OutOfMemory);
}

}  // namespace
}  // namespace palvarin

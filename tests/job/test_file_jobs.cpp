#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "state/profile_store.hpp"
#include "state/settings_store.hpp"
#include "support/history_builder.hpp"
#include "support/palvarin_process.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using test::HistoryText;
using test::MessageTexts;
using test::ReadFile;
using test::RunPalvarin;
using test::TempFolder;
using test::TestMessage;
using test::WriteFile;

// Two PCs' copies of one contact: a shared session with a message only on PC 2, a session
// only on each side, and a shared session at the end.
const std::vector<TestMessage> kPc1 = {
    {"2006/01/23", "12:00:00", "hello", 1},
    {"2006/01/23", "12:02:00", "bye", 1},
    {"2006/02/01", "20:00:00", "pc1 only", 2},
    {"2006/03/01", "09:00:00", "shared", 3},
};
const std::vector<TestMessage> kPc2 = {
    {"2006/01/23", "12:00:00", "hello", 4},  {"2006/01/23", "12:01:00", "inside", 4},
    {"2006/01/23", "12:02:00", "bye", 4},    {"2006/02/14", "10:00:00", "pc2 only", 5},
    {"2006/03/01", "09:00:00", "shared", 6},
};
const std::vector<std::string> kMergedTexts = {"hello",    "inside",   "bye",
                                               "pc1 only", "pc2 only", "shared"};

struct FileTimes {
  off_t size;
  timespec modified;
};

FileTimes Stat(const std::filesystem::path& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return {info.st_size, info.st_mtim};
}

std::vector<std::string> Backups(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    if (item.path().extension() == ".backup") names.push_back(item.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class FileJob : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(a_, HistoryText(kPc1));
    WriteFile(b_, HistoryText(kPc2));
  }
  test::ProcessResult Run(std::vector<std::string> arguments) {
    return RunPalvarin(arguments, folder_.Path(), profile_);
  }
  TempFolder folder_;
  std::filesystem::path profile_ = folder_ / "profile.sqlite3";
  std::filesystem::path a_ = folder_ / "pc1.xml";
  std::filesystem::path b_ = folder_ / "pc2.xml";
};

TEST_F(FileJob, OverwriteLeavesBothInputsIdenticalAndTheNextRunSkips) {
  const auto run = Run({"/n", "/f", "/o", "/b", "/nt", "/p1", a_, "/p2", b_});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(MessageTexts(a_), kMergedTexts);
  EXPECT_EQ(ReadFile(a_), ReadFile(b_));
  EXPECT_EQ(test::SessionIds(a_), (std::vector<int>{1, 1, 1, 2, 3, 4}));
  const FileTimes one = Stat(a_), two = Stat(b_);
  EXPECT_EQ(one.size, two.size);
  EXPECT_EQ(one.modified.tv_sec, two.modified.tv_sec);
  EXPECT_EQ(one.modified.tv_nsec, two.modified.tv_nsec);
  const auto backups = Backups(folder_.Path());
  ASSERT_EQ(backups.size(), 2u);
  EXPECT_TRUE(backups[0].starts_with("pc1.xml_") && backups[1].starts_with("pc2.xml_"));
  EXPECT_EQ(ReadFile(folder_ / backups[0]), HistoryText(kPc1)) << "the backup holds the old input";

  const auto again = Run({"/n", "/f", "/o", "/b", "/nt", "/p1", a_, "/p2", b_});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("unchanged"), std::string::npos) << again.out;
  EXPECT_EQ(Backups(folder_.Path()), backups) << "a skipped pair makes no backup";
  EXPECT_EQ(Stat(a_).modified.tv_nsec, one.modified.tv_nsec);
}

// Two different histories of the same size and last-write time look unchanged. Skipping them
// is the user's choice; copying one over the other would lose the second's messages.
TEST_F(FileJob, APairThatOnlyLooksUnchangedIsNeverCopiedOver) {
  const std::string one = test::OneMessageHistory("first!");
  const std::string two = test::OneMessageHistory("second");
  ASSERT_EQ(one.size(), two.size());
  for (const bool folderJob : {false, true}) {
    const auto pc1 = folder_ / (folderJob ? "pc1" : ""), pc2 = folder_ / (folderJob ? "pc2" : "");
    std::filesystem::create_directories(pc1);
    std::filesystem::create_directories(pc2);
    WriteFile(pc1 / "x.xml", one);
    WriteFile(pc2 / (folderJob ? "x.xml" : "y.xml"), two);
    const timespec times[2] = {{0, UTIME_OMIT}, {1136000000, 5}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (pc1 / "x.xml").c_str(), times, 0), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, (pc2 / (folderJob ? "x.xml" : "y.xml")).c_str(), times, 0), 0);
    const auto run =
        folderJob ? Run({"/n", "/d", "/o", "/nt", "/p1", pc1, "/p2", pc2})
                  : Run({"/n", "/f", "/o", "/nt", "/p1", pc1 / "x.xml", "/p2", pc2 / "y.xml"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("unchanged"), std::string::npos) << run.out;
    EXPECT_EQ(ReadFile(pc1 / "x.xml"), one) << folderJob;
    EXPECT_EQ(ReadFile(pc2 / (folderJob ? "x.xml" : "y.xml")), two) << folderJob;
    // The user can have such a pair merged after all, for one job.
    std::vector<std::string> merge =
        folderJob ? std::vector<std::string>{"/d", "/p1", pc1, "/p2", pc2}
                  : std::vector<std::string>{"/f", "/p1", pc1 / "x.xml", "/p2", pc2 / "y.xml"};
    merge.insert(merge.end(), {"--no-window", "--overwrite", "--no-backup", "--skip-unchanged",
                               "--merge-unchanged"});
    const auto merged = Run(merge);
    EXPECT_EQ(merged.status, 0) << merged.err;
    std::vector<std::string> texts = MessageTexts(pc2 / (folderJob ? "x.xml" : "y.xml"));
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{"first!", "second"})) << folderJob;
  }
}

// After an overwrite job both inputs have the same size and last-write time. A job with a
// separate output must still write every history there, not skip the pairs as unchanged.
TEST_F(FileJob, ASeparateOutputAfterAnOverwriteHoldsEveryHistory) {
  for (const bool folderJob : {false, true}) {
    const auto pc1 = folder_ / (folderJob ? "pc1" : "f1"),
               pc2 = folder_ / (folderJob ? "pc2" : "f2");
    const auto out = folder_ / (folderJob ? "out" : "f3");
    for (const auto& folder : {pc1, pc2, out}) std::filesystem::create_directories(folder);
    WriteFile(pc1 / "x.xml", HistoryText(kPc1));
    WriteFile(pc2 / "x.xml", HistoryText(kPc2));
    WriteFile(pc1 / "y.xml", HistoryText(kPc2));
    const auto overwrite =
        folderJob
            ? Run({"/n", "/d", "/o", "/nb", "/nt", "/p1", pc1, "/p2", pc2, "/ps", out})
            : Run({"/n", "/f", "/o", "/nb", "/nt", "/p1", pc1 / "x.xml", "/p2", pc2 / "x.xml"});
    ASSERT_EQ(overwrite.status, 0) << overwrite.err;
    ASSERT_EQ(ReadFile(pc1 / "x.xml"), ReadFile(pc2 / "x.xml"));
    const auto separate = folderJob
                              ? Run({"/n", "/d", "/t", "/nt", "/p1", pc1, "/p2", pc2, "/ps", out})
                              : Run({"/n", "/f", "/t", "/nt", "/p1", pc1 / "x.xml", "/p2",
                                     pc2 / "x.xml", "/ps", out / "x.xml"});
    ASSERT_EQ(separate.status, 0) << separate.err;
    EXPECT_EQ(MessageTexts(out / "x.xml"), kMergedTexts) << folderJob << separate.out;
    EXPECT_EQ(ReadFile(out / "x.xml"), ReadFile(pc1 / "x.xml")) << folderJob;
    if (folderJob) {
      EXPECT_EQ(MessageTexts(out / "y.xml"), MessageTexts(pc1 / "y.xml"));
    }
  }
}

// The paths are stored as the places they name, so that a run from another folder finds them.
TEST_F(FileJob, TheSettingsThatRanAreStored) {
  std::filesystem::create_directories(folder_ / "x");
  ASSERT_EQ(
      Run({"/n", "/f", "/o", "/nb", "/bm", "7", "/na", "/p1", "pc1.xml", "/p2", "./x/../pc2.xml"})
          .status,
      0);
  ProfileStore store(profile_);
  MergeSettings stored;
  LoadSettings(store, stored);
  const std::filesystem::path here = std::filesystem::canonical(folder_.Path());
  EXPECT_EQ(stored.Path1, (here / "pc1.xml").string());
  EXPECT_EQ(stored.Path2, (here / "pc2.xml").string());
  EXPECT_EQ(stored.InTarget, InTarget::File);
  EXPECT_EQ(stored.OutTarget, OutTarget::OverWrite);
  EXPECT_FALSE(stored.CreateBackup);
  EXPECT_EQ(stored.BackupMax, 7u);
  EXPECT_TRUE(stored.IgnoreOldMerge);
}

TEST_F(FileJob, BackupsRotateToTheMaximum) {
  for (int run = 0; run < 3; ++run) {
    // A changed input each time, and a fresh second, so that each run backs up anew.
    WriteFile(b_, HistoryText(kPc2) + std::string(static_cast<std::size_t>(run), ' '));
    ASSERT_EQ(Run({"/n", "/f", "/o", "/b", "/bm", "2", "/a", "/p1", a_, "/p2", b_}).status, 0);
    if (run < 2) ::sleep(1);
  }
  const auto backups = Backups(folder_.Path());
  EXPECT_EQ(std::count_if(backups.begin(), backups.end(),
                          [](auto& n) { return n.starts_with("pc1.xml_"); }),
            2);
  EXPECT_EQ(std::count_if(backups.begin(), backups.end(),
                          [](auto& n) { return n.starts_with("pc2.xml_"); }),
            2);
}

// A pair that fails on every run would back its inputs up again each time, and each identical
// copy would push an older, different backup out of the rotation. An input that its newest
// backup holds already gets none, and the report says so.
TEST_F(FileJob, AnInputItsNewestBackupHoldsIsNotBackedUpAgain) {
  const std::string older = folder_ / "pc1.xml_20000101000000.backup";
  WriteFile(older, "an older state of pc1");
  ::utimensat(AT_FDCWD, older.c_str(), nullptr, 0);
  ::sleep(1);  // the backup just written is older than any this job makes
  WriteFile(b_, "not a history");
  std::vector<std::string> made;
  for (int run = 0; run < 3; ++run) {
    const auto result = Run({"/n", "/f", "/o", "/b", "/bm", "2", "/p1", a_, "/p2", b_});
    EXPECT_EQ(result.status, 1) << result.err;
    if (run == 0) made = Backups(folder_.Path());
    if (run > 0) {
      EXPECT_NE(result.out.find("made no new backup: " + folder_.Path().string() + "/pc1.xml_"),
                std::string::npos)
          << result.out;
    }
    if (run < 2) ::sleep(1);  // a later second: a backup made now would get a new name
  }
  EXPECT_EQ(made.size(), 3u);
  EXPECT_EQ(Backups(folder_.Path()), made) << "no new backups, the older one kept";
  EXPECT_EQ(ReadFile(older), "an older state of pc1");
}

// A copy cut off mid-entry, with zeros after the cut: refused with where it breaks unless
// rescued; rescued, its whole entries merge with a whole copy into the whole history, and the
// cut copy is kept as a backup before it is written over, though backups are off.
TEST_F(FileJob, ACutCopyMergesOnlyWhenRescuedAndIsKeptAsABackup) {
  const std::string whole = HistoryText(kPc1);
  const std::string cut = whole.substr(0, whole.find("shared") + 3) + std::string(4096, '\0');
  WriteFile(b_, whole);
  const auto copy = folder_ / "copy.xml";
  const auto reference = folder_ / "reference.xml";
  WriteFile(copy, whole);
  ASSERT_EQ(Run({"/n", "/f", "/t", "/p1", copy, "/p2", b_, "/ps", reference}).status, 0);
  WriteFile(a_, cut);
  const std::string breaks = a_.string() + " is cut off at byte " +
                             std::to_string(whole.find("shared") + 3) +
                             ": 3 whole entries before it, the entry at the cut left out";
  const struct {
    std::vector<std::string> extra;
    int status;
    std::string said;
  } rows[] = {
      {{}, 1, breaks + "; --rescue merges its whole entries"},
      {{"--rescue", "--dry-run"}, 0, breaks + "; only its whole entries would be merged"},
      {{"--rescue"}, 0, breaks + "; only its whole entries were merged"},
  };
  for (const auto& row : rows) {
    std::vector<std::string> arguments = {"/n", "/f", "/o", "/nb", "/p1", a_, "/p2", b_};
    arguments.insert(arguments.end(), row.extra.begin(), row.extra.end());
    const auto run = Run(arguments);
    EXPECT_EQ(run.status, row.status) << run.err;
    EXPECT_NE((run.out + run.err).find(row.said), std::string::npos) << run.out << run.err;
  }
  EXPECT_EQ(ReadFile(a_), ReadFile(reference));
  EXPECT_EQ(ReadFile(b_), ReadFile(reference));
  const auto backups = Backups(folder_.Path());
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_TRUE(backups[0].starts_with("pc1.xml_"));
  EXPECT_EQ(ReadFile(folder_ / backups[0]), cut);
}

// Two PCs signed in at once logged one conversation, PC 2's clock 3 s ahead: written once and
// counted, in a dry run too and in the JSON report, by a merge and by a gather alike;
// --keep-echoes keeps both copies. The archive rule then leaves out input 1's copies the last
// merge recorded, never both.
TEST_F(FileJob, AConversationBothPcsLoggedIsWrittenOnceUnlessKept) {
  const char* const texts[] = {"hi bob", "hello", "how are you", "fine", "bye"};
  const char* const times1[] = {"12:00:00", "12:00:20", "12:00:41", "12:01:02", "12:01:30"};
  const char* const times2[] = {"12:00:03", "12:00:23", "12:00:44", "12:01:05", "12:01:33"};
  std::vector<TestMessage> pc1;
  std::vector<TestMessage> pc2;
  for (int k = 0; k < 5; ++k) {
    pc1.push_back({"2010/09/16", times1[k], texts[k], 3});
    pc2.push_back({"2010/09/16", times2[k], texts[k], 7});
  }
  WriteFile(a_, HistoryText(pc1));
  WriteFile(b_, HistoryText(pc2));
  const std::string said = "5 entries logged on both PCs at once, written once";
  const auto out = folder_ / "out.xml";
  const auto json = folder_ / "report.json";
  const struct {
    std::vector<std::string> extra;
    bool counted;
    std::size_t written;  // messages in the output; none for a dry run
  } rows[] = {
      {{"--dry-run"}, true, 0},
      {{"/report", json}, true, 5},
      {{"--keep-echoes"}, false, 5},
      {{"--keep-echoes", "/a", "/report", json}, false, 10},
      {{"--gather", "--report", json}, true, 5},
      {{"--gather", "--keep-echoes"}, false, 10},
  };
  for (const auto& row : rows) {
    std::filesystem::remove(out);
    std::vector<std::string> arguments =
        row.extra.front() == "--gather"
            ? std::vector<std::string>{"--input", a_, "--input", b_, "--output", out}
            : std::vector<std::string>{"/n", "/f", "/t", "/p1", a_, "/p2", b_, "/ps", out};
    arguments.insert(arguments.end(), row.extra.begin(), row.extra.end());
    const auto run = Run(arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find(said) != std::string::npos, row.counted) << run.out;
    EXPECT_EQ(std::filesystem::exists(out) ? MessageTexts(out).size() : 0u, row.written);
    if (row.extra.back() == json) {
      const std::string count = row.counted ? "5" : "0";
      EXPECT_NE(ReadFile(json).find("\"loggedOnBothPcsAtOnce\":" + count), std::string::npos)
          << ReadFile(json);
    }
  }
}

TEST_F(FileJob, SeparateOutputLeavesTheInputsAlone) {
  const auto out = folder_ / "merged.xml";
  const auto run = Run({"-N", "-F", "-T", "-p1", a_, "-p2", b_, "-ps", out});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(MessageTexts(out), kMergedTexts);
  EXPECT_EQ(ReadFile(a_), HistoryText(kPc1));
  EXPECT_EQ(ReadFile(b_), HistoryText(kPc2));
  EXPECT_TRUE(Backups(folder_.Path()).empty()) << "backups only guard overwritten inputs";
  EXPECT_NE(run.out.find("merged"), std::string::npos);
  EXPECT_NE(run.out.find("1 pair merged"), std::string::npos) << run.out;
}

TEST_F(FileJob, TheArchiveRuleDropsOnlyWhatBothHeldAndOneSideDeleted) {
  const auto out = folder_ / "merged.xml";
  ASSERT_EQ(Run({"/n", "/f", "/t", "/na", "/p1", a_, "/p2", b_, "/ps", out}).status, 0);
  EXPECT_EQ(MessageTexts(out), kMergedTexts) << "no record yet: nothing is dropped";
  // The second PC archived its old sessions away; a new message arrived on the first.
  std::vector<TestMessage> pc1 = kPc1;
  pc1.push_back({"2999/01/01", "00:00:00", "new", 9});
  WriteFile(a_, HistoryText(pc1));
  WriteFile(b_, HistoryText({kPc2.back()}));
  const auto second = Run({"/n", "/f", "/t", "/na", "/p1", a_, "/p2", b_, "/ps", out});
  ASSERT_EQ(second.status, 0);
  EXPECT_NE(second.out.find("2 entries left out by the archive rule"), std::string::npos)
      << second.out;
  EXPECT_EQ(MessageTexts(out), (std::vector<std::string>{"pc1 only", "shared", "new"}))
      << "what both held at the last merge and one side deleted since stays archived; what "
         "only one side ever held stays";
  ASSERT_EQ(Run({"/n", "/f", "/t", "/a", "/p1", a_, "/p2", b_, "/ps", out}).status, 0);
  EXPECT_EQ(MessageTexts(out),
            (std::vector<std::string>{"hello", "bye", "pc1 only", "shared", "new"}))
      << "with /a nothing is left out";
}

// A pair is one pair however its paths are given: merged by relative paths and then by absolute
// ones from another folder, or the other way round, its second merge has the first's cut-off.
TEST_F(FileJob, TheArchiveRuleHoldsWhicheverWayThePathsAreGiven) {
  const std::filesystem::path here = folder_.Path(), below = folder_ / "below";
  std::filesystem::create_directories(below);
  const struct {
    const char* name;
    std::vector<std::string> first;  // the paths of the first merge, from `here`
    std::vector<std::string> again;  // those of the second, from `below`
  } rows[] = {
      {"RelativeThenAbsolute", {"pc1.xml", "./pc2.xml"}, {a_, b_}},
      {"AbsoluteThenRelative", {a_, b_}, {"../pc1.xml", "../pc2.xml"}},
  };
  const auto out = folder_ / "merged.xml";
  for (const auto& row : rows) {
    const auto profile = folder_ / (std::string(row.name) + ".sqlite3");
    const auto merge = [&](const std::vector<std::string>& paths,
                           const std::filesystem::path& from) {
      return RunPalvarin({"/n", "/f", "/t", "/na", "/p1", paths[0], "/p2", paths[1], "/ps", out},
                         from, profile);
    };
    WriteFile(a_, HistoryText(kPc1));
    WriteFile(b_, HistoryText(kPc2));
    ASSERT_EQ(merge(row.first, here).status, 0) << row.name;
    WriteFile(b_, HistoryText({kPc2.back()}));  // the second PC archived its old sessions
    const auto again = merge(row.again, below);
    ASSERT_EQ(again.status, 0) << row.name << again.err;
    EXPECT_NE(again.out.find("2 entries left out by the archive rule"), std::string::npos)
        << row.name << again.out;
    EXPECT_EQ(MessageTexts(out), (std::vector<std::string>{"pc1 only", "shared"})) << row.name;
  }
}

TEST_F(FileJob, CorpusFilesMergeAndAFileMergedWithItsCopyKeepsItsEntries) {
  const auto files = test::CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "the corpus of real history files is not there";
  for (const auto& file : files) {
    const auto copy = folder_ / file.filename();
    const auto again = folder_ / ("again-" + file.filename().string());
    for (const auto& to : {copy, again}) {
      std::filesystem::copy_file(file, to, std::filesystem::copy_options::overwrite_existing);
    }
    const auto before = MessageTexts(copy);
    const auto run = Run({"/n", "/f", "/o", "/b", "/p1", copy, "/p2", again});
    ASSERT_EQ(run.status, 0) << file << run.err;
    EXPECT_EQ(MessageTexts(copy), before) << file;
    EXPECT_EQ(ReadFile(again), ReadFile(copy)) << file;
  }
  const auto out = folder_ / "two.xml";
  const auto run = Run({"/n", "/f", "/t", "/p1", files.front(), "/p2", files.back(), "/ps", out});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(MessageTexts(out).size(),
            MessageTexts(files.front()).size() + MessageTexts(files.back()).size());
}

}  // namespace
}  // namespace palvarin

// Long jobs in-process: progress as items start and end, a stop between pairs, the stylesheet
// of a separate output folder, and failure reasons that say what was written.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "app/job_settings.hpp"
#include "job/run_merge_job.hpp"
#include "state/profile_store.hpp"
#include "support/history_builder.hpp"
#include "support/job_settings.hpp"
#include "support/test_support.hpp"
#include "texts/catalogue.hpp"
#include "texts/progress_text.hpp"
#include "texts/reason_text.hpp"

namespace palvarin {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

// Records what the job tells; raises a stop as the item `stopAt` of the merging stage starts.
class Recorder : public test::LoneJob {
 public:
  explicit Recorder(int stopAt = -1) : stopAt_(stopAt) {}
  void ItemStarted(const JobProgress& item) override {
    const std::lock_guard lock(mutex_);
    started.push_back(item);
    if (item.stage == JobStage::Merging && static_cast<int>(item.index) == stopAt_) stop_ = true;
  }
  void ItemFinished(const JobProgress& item) override {
    const std::lock_guard lock(mutex_);
    finished.push_back(item);
  }
  bool StopRequested() override {
    const std::lock_guard lock(mutex_);
    return stop_ || LoneJob::StopRequested();
  }

  std::vector<JobProgress> started;
  std::vector<JobProgress> finished;

 private:
  std::mutex mutex_;
  int stopAt_;
  bool stop_ = false;
};

// Two folders with `pairs` contacts met on both sides ("cNN.xml", different messages on each
// side) and one contact of each side's own.
class Folders : public ::testing::Test {
 protected:
  void Write(int pairs) {
    std::filesystem::create_directories(one_);
    std::filesystem::create_directories(two_);
    std::filesystem::create_directories(out_);
    for (int i = 0; i < pairs; ++i) {
      const std::string name = "c" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".xml";
      WriteFile(one_ / name, test::HistoryText({{"2006/01/23", "12:00:00", "one " + name, 1}}));
      WriteFile(two_ / name, test::HistoryText({{"2006/01/24", "13:00:00", "two " + name, 1}}));
      names_.push_back(name);
    }
    WriteFile(one_ / "only1.xml", test::HistoryText({{"2007/01/01", "01:00:00", "first", 1}}));
    WriteFile(two_ / "only2.xml", test::HistoryText({{"2007/01/02", "02:00:00", "second", 1}}));
  }
  MergeSettings Settings(OutTarget target, bool backups) const {
    MergeSettings settings =
        test::JobSettings(InTarget::Folder, one_, two_, target == OutTarget::OtherFile ? out_ : "");
    settings.CreateBackup = backups;
    return settings;
  }

  TempFolder temp_;
  test::ScopedTimeZone zone_{"Asia/Tokyo"};
  std::filesystem::path one_ = temp_ / "pc1";
  std::filesystem::path two_ = temp_ / "pc2";
  std::filesystem::path out_ = temp_ / "out";
  std::vector<std::string> names_;
  ProfileStore profile_{temp_ / "profile.sqlite3"};
};

// Every item of each stage is told once as it starts and once as it ends, with its stage's
// total; the count of finished items rises to that total.
TEST_F(Folders, EveryItemIsToldAsItStartsAndEnds) {
  for (const bool backups : {true, false}) {
    for (const auto& folder : {one_, two_}) std::filesystem::remove_all(folder);
    names_.clear();
    Write(12);
    Recorder recorder;
    const JobResult result = RunMergeJob(
        {.options = JobOptionsOf(Settings(OutTarget::OverWrite, backups))}, profile_, recorder);
    ASSERT_FALSE(result.refusal);
    EXPECT_FALSE(result.report.stopped);
    // Merging: 12 pairs and only2.xml copied in; copying back: 12 merged and only1.xml. The
    // total counts both stages from the first item on, and each item ends once.
    constexpr std::size_t kPerStage = 13;
    for (const auto* told : {&recorder.started, &recorder.finished}) {
      std::map<JobStage, std::set<std::size_t>> indexes;
      for (const JobProgress& item : *told) {
        EXPECT_EQ(item.total, 2 * kPerStage);
        EXPECT_TRUE(indexes[item.stage].insert(item.index).second) << "told twice: " << item.name;
        EXPECT_FALSE(item.name.empty());
        EXPECT_EQ(item.name.find('/'), std::string::npos) << "a bare name: " << item.name;
      }
      for (const JobStage stage : {JobStage::Merging, JobStage::CopyingBack}) {
        EXPECT_EQ(indexes[stage].size(), kPerStage);
      }
    }
    std::set<std::size_t> finished;
    for (const JobProgress& item : recorder.finished) finished.insert(item.finished);
    EXPECT_EQ(finished.size(), 2 * kPerStage);
    EXPECT_EQ(*finished.rbegin(), 2 * kPerStage);
    // A file of either folder only is a one-side copy, also where the copy back takes it.
    for (const ResultRow& row : ResultRows(result.report)) {
      if (!row.input.ends_with("only1.xml") && !row.input.ends_with("only2.xml")) continue;
      EXPECT_EQ(row.outcome, Tr("copied")) << row.input;
      EXPECT_EQ(row.detail, Tr("found on one side only")) << row.input;
    }
  }
}

struct StopRow {
  const char* name;
  OutTarget target;
  int stopAt;  // the merging item whose start raises the stop
};
void PrintTo(const StopRow& row, std::ostream* out) { *out << row.name; }

class StopBetweenPairs : public Folders, public ::testing::WithParamInterface<StopRow> {};

// With backups the pairs run one at a time, so the stop keeps exactly the items after the one
// at hand from starting. Those are reported NotRun and their files are as they were; every
// pair that ran is merged, on both sides in an overwrite job.
TEST_P(StopBetweenPairs, LeavesEveryPairMergedWholeOrUntouched) {
  const StopRow& row = GetParam();
  Write(8);
  std::map<std::filesystem::path, std::string> before;
  for (const auto& folder : {one_, two_}) {
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
      before[item.path()] = ReadFile(item.path());
    }
  }
  Recorder recorder(row.stopAt);
  const JobResult result =
      RunMergeJob({.options = JobOptionsOf(Settings(row.target, true))}, profile_, recorder);
  const JobReport& report = result.report;
  // One at a time (backups in an overwrite job), items 0..stopAt of the merging stage ran:
  // pairs c00.. in name order. Side by side (a separate output has no backups) the items
  // already running or claimed may end either way, but never half.
  const bool oneAtATime = row.target == OutTarget::OverWrite;
  const int ran = row.stopAt + 1;
  EXPECT_EQ(report.Count(PairOutcome::Merged) + report.Count(PairOutcome::NotRun), 8);
  // Side by side, the stopping item may be the last to start: then nothing is left to skip
  // and the job ran whole. What it kept from starting may be a one-side copy alone.
  EXPECT_EQ(report.stopped, oneAtATime || report.Count(PairOutcome::NotRun) > 0 ||
                                report.Count(CopyOutcome::NotRun) > 0);
  if (oneAtATime) {
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.Count(PairOutcome::Merged), std::min(ran, 8));
    EXPECT_EQ(report.Count(PairOutcome::NotRun), 8 - std::min(ran, 8));
  }
  EXPECT_FALSE(report.AnyFailed());
  for (const PairReport& pair : report.pairs) {
    const std::filesystem::path name = std::filesystem::path(pair.first).filename();
    if (pair.outcome == PairOutcome::NotRun) {
      EXPECT_EQ(ReadFile(one_ / name), before[one_ / name]) << name;
      EXPECT_EQ(ReadFile(two_ / name), before[two_ / name]) << name;
      EXPECT_FALSE(std::filesystem::exists(out_ / name)) << name;
      EXPECT_TRUE(pair.backupsMade.empty()) << name;
    } else {
      ASSERT_EQ(pair.outcome, PairOutcome::Merged) << name;
      const std::string merged = ReadFile(pair.output);
      EXPECT_NE(merged.find("one " + name.string()), std::string::npos);
      EXPECT_NE(merged.find("two " + name.string()), std::string::npos);
      if (row.target == OutTarget::OverWrite) {
        EXPECT_EQ(ReadFile(two_ / name), merged) << name;
      }
    }
  }
  // The one-side files come after every "cNN.xml" in name order (and in an overwrite job
  // only1.xml waits for the copy back, which a stop leaves out): none of them started. Every
  // merged pair of an overwrite job was copied back all the same.
  int copiedBack = 0;
  for (const CopyReport& copy : report.copies) {
    if (copy.from.ends_with("only1.xml") || copy.from.ends_with("only2.xml")) {
      if (oneAtATime) {
        EXPECT_EQ(copy.outcome, CopyOutcome::NotRun) << copy.from;
      }
      const std::filesystem::path target = copy.to;
      EXPECT_EQ(std::filesystem::exists(target), copy.outcome == CopyOutcome::Copied) << copy.to;
    } else if (copy.copyBack && copy.outcome == CopyOutcome::Copied) {
      ++copiedBack;
    }
  }
  EXPECT_EQ(copiedBack, oneAtATime ? report.Count(PairOutcome::Merged) : 0);
}

INSTANTIATE_TEST_SUITE_P(Moments, StopBetweenPairs,
                         ::testing::Values(StopRow{"OverwriteAtFirst", OutTarget::OverWrite, 0},
                                           StopRow{"OverwriteInTheMiddle", OutTarget::OverWrite, 3},
                                           StopRow{"OverwriteAtLastPair", OutTarget::OverWrite, 7},
                                           StopRow{"SeparateAtFirst", OutTarget::OtherFile, 0},
                                           StopRow{"SeparateInTheMiddle", OutTarget::OtherFile, 5}),
                         test::RowName);

// A flag raised before the job starts: nothing runs, nothing is written, all is NotRun.
TEST_F(Folders, AFlagRaisedBeforeTheStartRunsNothing) {
  Write(3);
  StopFlag stop;
  stop.Raise();
  Recorder recorder;
  const JobResult result =
      RunMergeJob({.options = JobOptionsOf(Settings(OutTarget::OverWrite, true)), .stop = &stop},
                  profile_, recorder);
  EXPECT_TRUE(result.report.stopped);
  EXPECT_EQ(result.report.Count(PairOutcome::NotRun), 3);
  EXPECT_EQ(result.report.Count(CopyOutcome::NotRun), 2);  // only2.xml in, only1.xml back
  EXPECT_TRUE(recorder.started.empty());
  for (const auto& item : std::filesystem::directory_iterator(one_)) {
    EXPECT_FALSE(item.path().string().ends_with(".backup")) << item.path();
  }
  EXPECT_FALSE(std::filesystem::exists(one_ / "only2.xml"));
}

struct StylesheetRow {
  const char* name;
  const char* inFirst;   // content of pc1/MessageLog.xsl; null: none
  const char* inSecond;  // content of pc2/MessageLog.xsl
  const char* inOutput;  // content already in out/MessageLog.xsl
  OutTarget target;
  const char* expected;  // out/MessageLog.xsl afterwards; null: none
  bool reported;
};
void PrintTo(const StylesheetRow& row, std::ostream* out) { *out << row.name; }

class Stylesheet : public Folders, public ::testing::WithParamInterface<StylesheetRow> {};

TEST_P(Stylesheet, ASeparateOutputFolderGetsOneUnlessItHasOne) {
  const StylesheetRow& row = GetParam();
  Write(1);
  const auto put = [](const std::filesystem::path& path, const char* content) {
    if (content != nullptr) WriteFile(path, content);
  };
  put(one_ / "MessageLog.xsl", row.inFirst);
  put(two_ / "MessageLog.xsl", row.inSecond);
  put(out_ / "MessageLog.xsl", row.inOutput);
  for (const bool dryRun : {true, false}) {
    Recorder recorder;
    const JobResult result =
        RunMergeJob({.options = JobOptionsOf(Settings(row.target, false)), .dryRun = dryRun},
                    profile_, recorder);
    int reported = 0;
    for (const CopyReport& copy : result.report.copies) {
      if (!copy.stylesheet) continue;
      ++reported;
      EXPECT_EQ(copy.outcome, CopyOutcome::Copied);
      EXPECT_EQ(copy.to, (out_ / "MessageLog.xsl").string());
    }
    EXPECT_EQ(reported, row.reported ? 1 : 0) << (dryRun ? "dry run" : "real run");
    if (dryRun) {
      EXPECT_EQ(std::filesystem::exists(out_ / "MessageLog.xsl"), row.inOutput != nullptr);
    }
  }
  if (row.expected == nullptr) {
    EXPECT_FALSE(std::filesystem::exists(out_ / "MessageLog.xsl"));
  } else {
    EXPECT_EQ(ReadFile(out_ / "MessageLog.xsl"), row.expected);
  }
  if (row.inFirst) {
    EXPECT_EQ(ReadFile(one_ / "MessageLog.xsl"), row.inFirst);
  }
  if (row.inSecond) {
    EXPECT_EQ(ReadFile(two_ / "MessageLog.xsl"), row.inSecond);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, Stylesheet,
    ::testing::Values(StylesheetRow{"FromTheFirst", "first", "second", nullptr,
                                    OutTarget::OtherFile, "first", true},
                      StylesheetRow{"ElseFromTheSecond", nullptr, "second", nullptr,
                                    OutTarget::OtherFile, "second", true},
                      StylesheetRow{"NeverOverAnExistingOne", "first", "second", "mine",
                                    OutTarget::OtherFile, "mine", false},
                      StylesheetRow{"NoneToCopy", nullptr, nullptr, nullptr, OutTarget::OtherFile,
                                    nullptr, false},
                      StylesheetRow{"NotInAnOverwriteJob", "first", "second", nullptr,
                                    OutTarget::OverWrite, nullptr, false}),
    test::RowName);

struct ReasonRow {
  const char* name;
  bool backups;
  bool brokenFirst;  // else the second is broken
  bool saysNothingWritten;
  std::size_t backupsNamed;
};
void PrintTo(const ReasonRow& row, std::ostream* out) { *out << row.name; }

class FailureReason : public Folders, public ::testing::WithParamInterface<ReasonRow> {};

// The reason of a failed pair is true to what the job did before the failure.
TEST_P(FailureReason, SaysWhichBackupsWereMade) {
  const ReasonRow& row = GetParam();
  const std::filesystem::path first = temp_ / "a.xml", second = temp_ / "b.xml";
  const std::string good = test::HistoryText({{"2006/01/23", "12:00:00", "fine", 1}});
  WriteFile(first, row.brokenFirst ? "<Log><Message" : good);
  WriteFile(second, row.brokenFirst ? good : "<Log><Message");
  MergeSettings settings = test::JobSettings(InTarget::File, first, second);
  settings.CreateBackup = row.backups;
  Recorder recorder;
  const JobResult result = RunMergeJob({.options = JobOptionsOf(settings)}, profile_, recorder);
  ASSERT_EQ(result.report.pairs.size(), 1u);
  const PairReport& pair = result.report.pairs[0];
  ASSERT_EQ(pair.outcome, PairOutcome::Failed);
  const std::string reason = palvarin::PairReason(pair, false);
  EXPECT_EQ(reason.find("nothing was written") != std::string::npos, row.saysNothingWritten)
      << reason;
  EXPECT_NE(reason.find("both inputs are as they were"), std::string::npos) << reason;
  ASSERT_EQ(pair.backupsMade.size(), row.backupsNamed);
  for (const std::string& backup : pair.backupsMade) {
    EXPECT_NE(reason.find(backup), std::string::npos) << reason;
    EXPECT_TRUE(std::filesystem::is_regular_file(backup)) << backup;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, FailureReason,
    ::testing::Values(ReasonRow{"NoBackups", false, true, true, 0},
                      ReasonRow{"BackupsThenBrokenFirst", true, true, false, 2},
                      ReasonRow{"BackupsThenBrokenSecond", true, false, false, 2}),
    test::RowName);

// The rotation's deletions are reported, and a dry run names the same ones without deleting.
TEST_F(Folders, BackupsRotatedAwayAreReported) {
  const std::filesystem::path first = temp_ / "a.xml", second = temp_ / "b.xml";
  WriteFile(first, test::HistoryText({{"2006/01/23", "12:00:00", "one", 1}}));
  WriteFile(second, test::HistoryText({{"2006/01/23", "13:00:00", "two", 1}}));
  const std::string old1 = first.string() + "_20000101000000.backup";
  const std::string old2 = second.string() + "_20000101000000.backup";
  WriteFile(old1, "old");
  WriteFile(old2, "old");
  std::filesystem::last_write_time(
      old1, std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 365));
  std::filesystem::last_write_time(
      old2, std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 365));
  MergeSettings settings = test::JobSettings(InTarget::File, first, second);
  settings.CreateBackup = true;
  settings.BackupMax = 1;
  for (const bool dryRun : {true, false}) {
    Recorder recorder;
    const JobResult result =
        RunMergeJob({.options = JobOptionsOf(settings), .dryRun = dryRun}, profile_, recorder);
    ASSERT_EQ(result.report.pairs.size(), 1u);
    const PairReport& pair = result.report.pairs[0];
    EXPECT_EQ(pair.outcome, PairOutcome::Merged);
    EXPECT_EQ(pair.backupsRemoved, (std::vector<std::string>{old1, old2}));
    EXPECT_EQ(pair.backupsMade.size(), 2u);
    EXPECT_EQ(std::filesystem::exists(old1), dryRun);
    for (const std::string& made : pair.backupsMade) {
      EXPECT_EQ(std::filesystem::exists(made), !dryRun) << made;
    }
  }
}

}  // namespace
}  // namespace palvarin

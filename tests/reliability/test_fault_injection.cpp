#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <iostream>
#include <ostream>
#include <string>
#include <vector>

#include "support/test_support.hpp"
#include "two_pc_layout.hpp"

namespace palvarin {
namespace {

using test::Snapshot;

struct FaultRow {
  const char* name;
  test::JobMaker job;
  test::JobMaker next;  // the same job without backups, run after each fault
  int minimumSteps;     // fewer would mean the faults never reached the job's writes
};

// Rows show by name in test listings.
void PrintTo(const FaultRow& row, std::ostream* out) { *out << row.name; }

// The job met its fault: it failed, or it said what it could not record.
bool MetTheFault(const test::ProcessResult& result) {
  return result.status != 0 || !result.err.empty() || result.out.find("note:") != std::string::npos;
}

// The report names a history file of the job, in either folder.
bool NamesAHistoryFile(const std::string& text, const std::filesystem::path& root) {
  for (const std::string& relative : test::HistoryPaths()) {
    if (text.find((root / relative).string()) != std::string::npos) return true;
  }
  return false;
}

class FaultInjection : public ::testing::TestWithParam<FaultRow> {};

// The N-th file-system operation of the job fails, for N = 1, 2, ... until the job runs
// without meeting its fault. Each time the job says which file failed and exits with 1, or,
// for a profile write, finishes and says what was not recorded. Either way every history
// holds its old or its merged content, earlier backups are intact, new backups hold their
// inputs, and no temporary file is left. A fault is also judged by the run after it: the job
// run again (without backups, which would collide within the second) must give exactly the
// undisturbed merge, so that a merge time recorded for files that were not both merged, which
// the archive rule would act on, shows.
TEST_P(FaultInjection, EveryFailingStepLeavesOldOrMergedContent) {
  const FaultRow& row = GetParam();
  const test::LayoutRun undisturbed(row.job, {});
  ASSERT_EQ(undisturbed.result.status, 0) << undisturbed.result.err;
  const Snapshot merged = test::TakeSnapshot(undisturbed.root);

  int failedJobs = 0;
  int profileFaults = 0;
  int step = 1;
  for (;; ++step) {
    ASSERT_LT(step, 1000) << "the job never ran to its end";
    const test::LayoutRun run(row.job, {"PALVARIN_FAULT_AT=" + std::to_string(step)});
    const auto& result = run.result;
    if (!MetTheFault(result)) break;  // the job ran past its last step
    if (result.status == 0) {
      ++profileFaults;
      EXPECT_THAT(result.out + result.err, ::testing::HasSubstr("profile")) << "step " << step;
      EXPECT_EQ(test::Histories(test::TakeSnapshot(run.root)), test::Histories(merged))
          << "step " << step << ": a job that finishes has merged everything";
    } else {
      ++failedJobs;
      EXPECT_EQ(result.status, 1) << "step " << step << ": " << result.err;
      EXPECT_TRUE(NamesAHistoryFile(result.err, run.root)) << "step " << step << ": " << result.err;
    }
    EXPECT_THAT(test::Breaches(run.before, merged, test::TakeSnapshot(run.root), false),
                ::testing::IsEmpty())
        << "step " << step;

    const auto next = test::RunPalvarin(row.next(run.root), run.folder.Path(), run.profile);
    ASSERT_EQ(next.status, 0) << "step " << step << ": " << next.err;
    EXPECT_EQ(test::Histories(test::TakeSnapshot(run.root)), test::Histories(merged))
        << "step " << step << ": the run after the fault";
  }
  const int faults = step - 1;
  EXPECT_GE(faults, row.minimumSteps);
  EXPECT_GT(failedJobs, 0);
  std::cout << "[ figures  ] " << row.name << ": " << faults << " faults injected, " << failedJobs
            << " failed the job, " << profileFaults << " hit the profile, nothing lost\n";
  RecordProperty("faults_injected", faults);
}

INSTANTIATE_TEST_SUITE_P(
    OverwriteJobs, FaultInjection,
    ::testing::Values(FaultRow{"FileJob", test::FileJob, test::FileJobWithoutBackups, 15},
                      FaultRow{"FolderJob", test::FolderJob, test::FolderJobWithoutBackups, 40},
                      FaultRow{"FolderJobWithoutBackups", test::FolderJobWithoutBackups,
                               test::FolderJobWithoutBackups, 20}),
    test::RowName);

}  // namespace
}  // namespace palvarin

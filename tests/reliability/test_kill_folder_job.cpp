#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "files/atomic_file.hpp"
#include "support/test_support.hpp"
#include "two_pc_layout.hpp"

namespace palvarin {
namespace {

using test::Snapshot;

std::set<std::string> TemporaryFiles(const Snapshot& snapshot) {
  std::set<std::string> names;
  for (const auto& [relative, content] : snapshot) {
    if (IsTemporaryFileName(std::filesystem::path(relative).filename().string())) {
      names.insert(relative);
    }
  }
  return names;
}

// An overwrite job is killed (SIGKILL) just before each of its file-system steps in turn: in
// a backup, a save, a copy of a one-side file, the copy back, a profile write.
// Afterwards every history holds its old or its merged content and every backup is intact.
// The next run finishes the merge; the temporary files the kill left are never taken for
// history files, so none is copied to the other folder and none gets a merge of its own.
struct KillRow {
  const char* name;
  test::JobMaker job;
  test::JobMaker next;  // the same job without backups
  int minimumKills;
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const KillRow& row, std::ostream* out) { *out << row.name; }

class KillJob : public ::testing::TestWithParam<KillRow> {};

TEST_P(KillJob, AKillAtAnyStepLosesNothingAndTheNextRunFinishes) {
  const KillRow& row = GetParam();
  const test::LayoutRun undisturbed(row.job, {});
  ASSERT_EQ(undisturbed.result.status, 0) << undisturbed.result.err;
  const Snapshot merged = test::TakeSnapshot(undisturbed.root);

  int kills = 0;
  int leftovers = 0;
  for (int step = 1;; ++step) {
    ASSERT_LT(step, 1000) << "the job never ran to its end";
    const test::LayoutRun killed(row.job, {"PALVARIN_CRASH_AT=" + std::to_string(step)});
    if (killed.result.status == 0) break;  // the job ran past its last step
    ASSERT_EQ(killed.result.status, 128 + SIGKILL) << "step " << step << killed.result.err;
    ++kills;
    const Snapshot afterKill = test::TakeSnapshot(killed.root);
    EXPECT_THAT(test::Breaches(killed.before, merged, afterKill, true), ::testing::IsEmpty())
        << "step " << step;
    const std::set<std::string> left = TemporaryFiles(afterKill);
    leftovers += static_cast<int>(left.size());

    // Without backups: one made in this same second by the killed run would collide.
    const std::vector<std::string> next = row.next(killed.root);
    const auto finished = test::RunPalvarin(next, killed.folder.Path(), killed.profile);
    ASSERT_EQ(finished.status, 0) << "step " << step << ": " << finished.err;
    const Snapshot afterNext = test::TakeSnapshot(killed.root);
    EXPECT_EQ(test::Histories(afterNext), test::Histories(merged)) << "step " << step;
    EXPECT_EQ(TemporaryFiles(afterNext), left) << "step " << step;
  }
  EXPECT_GE(kills, row.minimumKills) << "backups, saves and copies each have several steps";
  EXPECT_GT(leftovers, 0) << "some kills must fall between creating and placing a file";
  std::cout << "[ figures  ] " << row.name << ": killed at each of " << kills << " steps, "
            << leftovers << " temporary files left by kills and ignored, nothing lost\n";
  RecordProperty("kills", kills);
}

// With backups the pairs run one at a time; without, side by side.
INSTANTIATE_TEST_SUITE_P(
    OverwriteJobs, KillJob,
    ::testing::Values(KillRow{"FileJob", test::FileJob, test::FileJobWithoutBackups, 20},
                      KillRow{"FolderJob", test::FolderJob, test::FolderJobWithoutBackups, 40},
                      KillRow{"FolderJobWithoutBackups", test::FolderJobWithoutBackups,
                              test::FolderJobWithoutBackups, 20}),
    test::RowName);

}  // namespace
}  // namespace palvarin

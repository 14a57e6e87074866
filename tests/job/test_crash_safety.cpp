#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/atomic_file.hpp"
#include "support/history_builder.hpp"
#include "support/palvarin_process.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using test::HistoryText;
using test::ReadFile;
using test::RunPalvarin;
using test::TempFolder;
using test::WriteFile;

const std::vector<test::TestMessage> kPc1 = {{"2006/01/23", "12:00:00", "hello", 1},
                                             {"2006/02/01", "20:00:00", "pc1 only", 2}};
const std::vector<test::TestMessage> kPc2 = {{"2006/01/23", "12:00:00", "hello", 3},
                                             {"2006/02/14", "10:00:00", "only on pc2", 4}};

// The merged history, made once by an undisturbed run.
std::string MergedBytes() {
  TempFolder folder;
  WriteFile(folder / "a.xml", HistoryText(kPc1));
  WriteFile(folder / "b.xml", HistoryText(kPc2));
  const auto run =
      RunPalvarin({"/n", "/f", "/o", "/nb", "/p1", folder / "a.xml", "/p2", folder / "b.xml"},
                  folder.Path(), folder / "profile.sqlite3");
  EXPECT_EQ(run.status, 0) << run.err;
  return ReadFile(folder / "a.xml");
}

// The process is killed before each file-system step of an overwrite job in turn: after a
// backup, while saving, between save and rename, during the copy back. Each time, both
// inputs hold their old or their merged content, and the next run finishes the merge.
TEST(CrashSafety, AKillAtAnyStepOfAnOverwriteJobLosesNothing) {
  const std::string merged = MergedBytes();
  const std::string old1 = HistoryText(kPc1), old2 = HistoryText(kPc2);
  int crashes = 0;
  for (int step = 1;; ++step) {
    TempFolder folder;
    const auto a = folder / "a.xml", b = folder / "b.xml";
    WriteFile(a, old1);
    WriteFile(b, old2);
    const std::vector<std::string> job = {"/n", "/f", "/o", "/b", "/na", "/p1", a, "/p2", b};
    const auto crashed = RunPalvarin(job, folder.Path(), folder / "profile.sqlite3",
                                     {"PALVARIN_CRASH_AT=" + std::to_string(step)});
    if (crashed.status == 0) break;  // the job ran past its last step
    ASSERT_EQ(crashed.status, 128 + 9) << "step " << step << ": " << crashed.err;
    ++crashes;
    const std::string now1 = ReadFile(a), now2 = ReadFile(b);
    EXPECT_TRUE(now1 == old1 || now1 == merged) << "step " << step;
    EXPECT_TRUE(now2 == old2 || now2 == merged) << "step " << step;

    // Without backups: one made in this same second by the killed run would collide.
    std::vector<std::string> nextJob = job;
    nextJob[3] = "/nb";
    const auto next = RunPalvarin(nextJob, folder.Path(), folder / "profile.sqlite3");
    ASSERT_EQ(next.status, 0) << "step " << step << ": " << next.err;
    EXPECT_EQ(ReadFile(a), merged) << "step " << step;
    EXPECT_EQ(ReadFile(b), merged) << "step " << step;
    ASSERT_LT(step, 100) << "the job never ran to its end";
  }
  EXPECT_GE(crashes, 6) << "backups, save and copy back each have several steps";
}

}  // namespace
}  // namespace palvarin

// Long headless jobs run as the user runs them: a dry run that writes nothing, and SIGINT or
// SIGTERM in the middle of a folder job.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/history_builder.hpp"
#include "support/test_support.hpp"
#include "two_pc_layout.hpp"

namespace palvarin {
namespace {

using test::Snapshot;

// Runs python3 on `script` with `file` as its argument and returns what it prints.
std::string Python(const std::string& script, const std::filesystem::path& file) {
  const std::string command = "python3 -c '" + script + "' '" + file.string() + "' 2>&1";
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
      out.append(buffer, got);
    }
    if (::pclose(pipe) != 0) out = "python3 failed: " + out;
  }
  return out;
}

// What a JSON report says about each pair and copy, one line each, and its warnings, without
// the names of the backups (their time stamps differ from run to run).
constexpr const char* kReportLines =
    "import json,sys\n"
    "r=json.load(open(sys.argv[1],encoding=\"utf-8\"))\n"
    "for p in r[\"pairs\"]:\n"
    "  c=p[\"counts\"]\n"
    "  print(\"pair\",p[\"first\"],p[\"second\"],p[\"output\"],p[\"outcome\"],c[\"entries\"],"
    "c[\"sessions\"],c[\"fromBoth\"],c[\"fromFirstOnly\"],c[\"fromSecondOnly\"],"
    "c[\"leftOutByArchiveRule\"],len(p.get(\"backupsMade\",p.get(\"backupsToMake\"))),"
    "len(p.get(\"backupsRemoved\",p.get(\"backupsToRemove\"))),p[\"warnings\"])\n"
    "for c in r[\"copies\"]:\n"
    "  print(\"copy\",c[\"from\"],c[\"to\"],c[\"kind\"],c[\"outcome\"])\n"
    "print(\"warnings\",r[\"warnings\"])\n";

struct DryRow {
  const char* name;
  std::vector<std::string> (*job)(const std::filesystem::path& root);
  bool profileThere;
};
void PrintTo(const DryRow& row, std::ostream* out) { *out << row.name; }

std::vector<std::string> FolderToOutput(const std::filesystem::path& root) {
  return {"/n", "/d", "/t", "/na", "/p1", root / "pc1", "/p2", root / "pc2", "/ps", root / "out"};
}
std::vector<std::string> FileToOutput(const std::filesystem::path& root) {
  return {"/n",  "/f",
          "/t",  "/na",
          "/p1", root / "pc1" / "both.xml",
          "/p2", root / "pc2" / "both.xml",
          "/ps", root / "out" / "both.xml"};
}
std::vector<std::string> FolderRotating(const std::filesystem::path& root) {
  std::vector<std::string> job = test::FolderJob(root);
  job[5] = "1";  // at most one backup: the earlier one is rotated away
  return job;
}

class DryRun : public ::testing::TestWithParam<DryRow> {};

// The dry run leaves the folders, the output folder and the profile's path exactly as they
// were, and says what the real run that follows then does.
TEST_P(DryRun, WritesNothingAndForetellsTheRealRun) {
  const DryRow& row = GetParam();
  test::TempFolder folder;
  const std::filesystem::path root = folder / "job";
  const std::filesystem::path profile = folder / "profile" / "profile.sqlite3";
  test::WriteTwoPcs(root);
  std::filesystem::create_directories(root / "out");
  test::WriteFile(root / "pc1" / "MessageLog.xsl", "<xsl/>");
  if (row.profileThere) {
    // An earlier merge of the pair: the archive rule has a time and the profile a record.
    // Without backups: the real run's would collide with them within the same second.
    std::vector<std::string> earlierJob = row.job(root);
    earlierJob.push_back("/nb");
    const auto earlier = test::RunPalvarin(earlierJob, folder.Path(), profile);
    ASSERT_EQ(earlier.status, 0) << earlier.err;
    test::WriteFile(root / "pc2" / "both.xml",
                    test::HistoryText({{"2006/01/23", "12:00:00", "hello", 1},
                                       {"2010/02/14", "10:00:00", "new on pc2", 7}}));
  }
  const Snapshot before = test::TakeSnapshot(folder.Path());
  const bool profileBefore = std::filesystem::exists(profile);

  std::vector<std::string> dry = row.job(root);
  dry.insert(dry.end(), {"--dry-run", "--report", (folder / "dry.json").string()});
  const auto dryRun = test::RunPalvarin(dry, folder.Path(), profile);
  ASSERT_EQ(dryRun.status, 0) << dryRun.err;
  Snapshot after = test::TakeSnapshot(folder.Path());
  after.erase("dry.json");
  EXPECT_TRUE(after == before) << "the dry run changed a file";
  EXPECT_EQ(std::filesystem::exists(profile), profileBefore);
  EXPECT_EQ(std::filesystem::exists(profile.parent_path()), profileBefore);
  EXPECT_NE(dryRun.out.find("dry run, nothing was written"), std::string::npos) << dryRun.out;
  const std::string said = dryRun.out + dryRun.err + test::ReadFile(folder / "dry.json");
  for (const char* done : {"backed up to", "was made", "were made", "deleted the old backup",
                           "\"backupsMade\"", "\"backupsRemoved\""}) {
    EXPECT_EQ(said.find(done), std::string::npos) << done << " in " << said;
  }

  std::vector<std::string> real = row.job(root);
  real.insert(real.end(), {"--report", (folder / "real.json").string()});
  const auto realRun = test::RunPalvarin(real, folder.Path(), profile);
  ASSERT_EQ(realRun.status, 0) << realRun.err;
  const std::string foretold = Python(kReportLines, folder / "dry.json");
  EXPECT_NE(foretold.find("pair"), std::string::npos) << foretold;
  EXPECT_EQ(foretold, Python(kReportLines, folder / "real.json"));
  EXPECT_NE(test::TakeSnapshot(root), test::Histories(before)) << "the real run wrote";
}

INSTANTIATE_TEST_SUITE_P(
    EveryMode, DryRun,
    ::testing::Values(DryRow{"FolderOverwriteNoProfile", test::FolderJob, false},
                      DryRow{"FolderOverwriteWithProfile", test::FolderJob, true},
                      DryRow{"FolderOverwriteRotating", FolderRotating, true},
                      DryRow{"FolderOverwriteNoBackups", test::FolderJobWithoutBackups, false},
                      DryRow{"FolderToOutputNoProfile", FolderToOutput, false},
                      DryRow{"FolderToOutputWithProfile", FolderToOutput, true},
                      DryRow{"FileOverwrite", test::FileJob, true},
                      DryRow{"FileToOutput", FileToOutput, false}),
    test::RowName);

// Many pairs, so that a signal can fall between any two of them.
void WriteManyPairs(const std::filesystem::path& root, int pairs) {
  for (const char* side : {"pc1", "pc2"}) std::filesystem::create_directories(root / side);
  for (int i = 0; i < pairs; ++i) {
    const std::string name = "contact" + std::to_string(100 + i) + ".xml";
    std::vector<test::TestMessage> one, two;
    for (int m = 0; m < 40; ++m) {
      const std::string time = "1" + std::to_string(m % 10) + ":00:0" + std::to_string(m % 7);
      one.push_back({"2006/01/" + std::to_string(10 + m % 18), time, "pc1 says " + name, m + 1});
      two.push_back({"2007/02/" + std::to_string(10 + m % 18), time, "pc2 says " + name, m + 1});
    }
    // Files of different sizes: no pair is skipped as unchanged.
    two.push_back({"2008/03/03", "03:03:03", "one more on pc2", 41});
    test::WriteFile(root / "pc1" / name, test::HistoryText(one));
    test::WriteFile(root / "pc2" / name, test::HistoryText(two));
  }
}

struct SignalRow {
  const char* name;
  int signal;
  bool backups;
};
void PrintTo(const SignalRow& row, std::ostream* out) { *out << row.name; }

class SignalStop : public ::testing::TestWithParam<SignalRow> {};

// A signal at a random moment of the job: the job ends after the pairs at hand with 128 + the
// signal, every pair is merged on both sides or untouched on both, and the report (text and
// JSON) names what ran and what did not.
TEST_P(SignalStop, EndsAfterThePairsAtHandAndSaysWhatRan) {
  const SignalRow& row = GetParam();
  constexpr int kPairs = 30;
  test::TempFolder reference;
  WriteManyPairs(reference / "job", kPairs);
  const auto arguments = [&row](const std::filesystem::path& root) {
    std::vector<std::string> job = test::FolderJob(root);
    if (!row.backups) job[3] = "/nb";
    return job;
  };
  const auto started = std::chrono::steady_clock::now();
  const auto whole = test::RunPalvarin(arguments(reference / "job"), reference.Path(),
                                       reference / "profile.sqlite3");
  ASSERT_EQ(whole.status, 0) << whole.err;
  const auto duration = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - started);
  const Snapshot merged = test::Histories(test::TakeSnapshot(reference / "job"));

  std::mt19937 random(20240601u + static_cast<unsigned>(row.signal));
  int stoppedMidway = 0;
  for (int attempt = 0; attempt < 25; ++attempt) {
    test::TempFolder folder;
    const std::filesystem::path root = folder / "job";
    WriteManyPairs(root, kPairs);
    const Snapshot before = test::TakeSnapshot(root);
    std::vector<std::string> job = arguments(root);
    job.insert(job.end(), {"--report", (folder / "report.json").string()});
    test::PalvarinProcess process(job, folder.Path(), folder / "profile.sqlite3");
    // The moment is random within the job, once it stops on a signal rather than dying.
    ASSERT_TRUE(
        test::Eventually([&] { return process.Catches(row.signal) || !process.Running(); }));
    std::this_thread::sleep_for(std::chrono::microseconds(
        std::uniform_int_distribution<long>(0, duration.count())(random)));
    process.Signal(row.signal);
    const test::ProcessResult result = process.Wait();
    const Snapshot now = test::TakeSnapshot(root);
    const std::string context = "attempt " + std::to_string(attempt);

    if (result.status == 0) continue;  // the job had ended before the signal came
    ASSERT_EQ(result.status, 128 + row.signal) << context << result.err;
    EXPECT_TRUE(test::Breaches(before, merged, now, false).empty()) << context;
    const std::string report = Python(
        "import json,sys\nr=json.load(open(sys.argv[1]))\n"
        "[print(p[\"outcome\"],p[\"first\"].rsplit(\"/\",1)[1]) for p in r[\"pairs\"]]",
        folder / "report.json");
    std::istringstream lines(report);
    int merges = 0, notRun = 0;
    for (std::string outcome, name; lines >> outcome >> name;) {
      const std::string one = "pc1/" + name, two = "pc2/" + name;
      if (outcome == "merged") {
        ++merges;
        EXPECT_TRUE(now.at(one) == merged.at(one)) << context << name;
        EXPECT_TRUE(now.at(two) == merged.at(two)) << context << name << " was not copied back";
        EXPECT_NE(result.out.find("merged " + (root / one).string()), std::string::npos)
            << result.out.substr(0, 400);
      } else {
        ASSERT_EQ(outcome, "notRun") << context << name;
        ++notRun;
        EXPECT_TRUE(now.at(one) == before.at(one)) << context << name;
        EXPECT_TRUE(now.at(two) == before.at(two)) << context << name;
        EXPECT_NE(result.out.find("not run " + (root / one).string()), std::string::npos);
      }
    }
    EXPECT_EQ(merges + notRun, kPairs) << context << report;
    if (notRun > 0) {
      ++stoppedMidway;
      EXPECT_NE(result.err.find("the job was stopped"), std::string::npos) << result.err;
    }
  }
  EXPECT_GT(stoppedMidway, 0) << "no signal fell between two pairs";
  std::cout << "[ figures  ] " << row.name << ": " << stoppedMidway
            << " of 25 signals stopped the job between pairs\n";
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalStop,
                         ::testing::Values(SignalRow{"InterruptWithBackups", SIGINT, true},
                                           SignalRow{"TerminateWithBackups", SIGTERM, true},
                                           SignalRow{"InterruptSideBySide", SIGINT, false},
                                           SignalRow{"TerminateSideBySide", SIGTERM, false}),
                         test::RowName);

}  // namespace
}  // namespace palvarin

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "app/job_settings.hpp"
#include "files/history_locks.hpp"
#include "job_locks.hpp"
#include "support/history_builder.hpp"
#include "support/job_settings.hpp"
#include "support/palvarin_process.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

namespace fs = std::filesystem;
using test::MessageTexts;
using test::ReadFile;
using test::WriteFile;
using ::testing::HasSubstr;
using Texts = std::set<std::string>;

// Only guards against a job that hangs: jobs over thousands of messages, and a small job
// that should end at once.
constexpr auto kGuard = std::chrono::seconds(120);
constexpr auto kSmallJobGuard = std::chrono::seconds(20);
constexpr const char* kWaiting = "waiting for another Palvarin job to finish with these files";
// The archive rule is on in the jobs: with the locks, what a third file brought in must never
// be taken for an entry the other side archived.
constexpr const char* kArchiveRule = "/na";

// `count` messages of one PC, "<prefix> <n>", interleaved in time with the other PCs'
// (`offset` apart), so that every merge has to weave them together.
std::string PcHistory(const std::string& prefix, int count, int offset) {
  std::vector<test::TestMessage> messages;
  for (int n = 0; n < count; ++n) {
    const int second = n * 4 + offset;
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", second / 3600, second / 60 % 60,
                  second % 60);
    messages.push_back({"2006/01/23", time, prefix + " " + std::to_string(n), 1});
  }
  return test::HistoryText(messages);
}

Texts TextsOf(const fs::path& file) {
  const auto texts = MessageTexts(file);
  return {texts.begin(), texts.end()};
}

bool Holds(const Texts& texts, const Texts& wanted) {
  for (const std::string& text : wanted) {
    if (!texts.count(text)) return false;
  }
  return true;
}

// Jobs over shared histories below a root: "a", "b", "c" are files, or folders holding a
// file of each contact.
struct ConcurrentRow {
  const char* name;
  bool folders;
  std::vector<std::pair<const char*, const char*>> jobs;
};

void PrintTo(const ConcurrentRow& row, std::ostream* out) { *out << row.name; }

class SharedHistories {
 public:
  explicit SharedHistories(const ConcurrentRow& row) : row_(row) {
    const char* const places[] = {"a", "b", "c"};
    // Different counts and prefix lengths: no two inputs look unchanged to each other.
    for (int pc = 0; pc < 3; ++pc) {
      const std::string prefix = std::string(static_cast<std::size_t>(pc) + 1, 'a' + pc);
      for (const std::string& contact : Contacts()) {
        const std::string content = PcHistory(prefix + contact, 2000 + pc * 7, pc);
        const fs::path file = Path(places[pc], contact);
        fs::create_directories(file.parent_path());
        WriteFile(file, content);
        const auto texts = MessageTexts(file);
        before_[file.string()].insert(texts.begin(), texts.end());
      }
    }
  }

  std::vector<std::string> Contacts() const {
    return row_.folders ? std::vector<std::string>{"alice.xml", "bob.xml"}
                        : std::vector<std::string>{""};
  }

  fs::path Path(const char* place, const std::string& contact) const {
    return row_.folders ? root_ / place / contact : root_ / (std::string(place) + ".xml");
  }

  std::vector<std::string> Job(const char* first, const char* second) const {
    const auto path = [&](const char* place) {
      return row_.folders ? (root_ / place).string() : Path(place, "").string();
    };
    return {"/n",         row_.folders ? "/d" : "/f",
            "/o",         "/nb",
            kArchiveRule, "/p1",
            path(first),  "/p2",
            path(second)};
  }

  // Every job of the row at once; how many said they waited for another.
  int RunTogether() {
    std::vector<std::unique_ptr<test::PalvarinProcess>> running;
    for (std::size_t job = 0; job < row_.jobs.size(); ++job) {
      const auto& [first, second] = row_.jobs[job];
      running.push_back(
          std::make_unique<test::PalvarinProcess>(Job(first, second), root_.Path(), Profile(job)));
    }
    int waited = 0;
    for (auto& process : running) {
      const test::ProcessResult result = process->Wait(kGuard);
      EXPECT_FALSE(result.timedOut) << "a job hung";
      EXPECT_EQ(result.status, 0) << result.err;
      waited += result.err.find(kWaiting) != std::string::npos;
    }
    return waited;
  }

  void RunOneAfterAnother() {
    for (std::size_t job = 0; job < row_.jobs.size(); ++job) {
      const auto& [first, second] = row_.jobs[job];
      const auto result = test::RunPalvarin(Job(first, second), root_.Path(), Profile(job));
      EXPECT_EQ(result.status, 0) << result.err;
    }
  }

  // Each job's two histories hold, for each contact, every entry either held before.
  void ExpectEveryJobsEntriesInBothItsFiles() const {
    for (const auto& [first, second] : row_.jobs) {
      for (const std::string& contact : Contacts()) {
        const fs::path one = Path(first, contact);
        const fs::path other = Path(second, contact);
        Texts both = before_.at(one.string());
        both.insert(before_.at(other.string()).begin(), before_.at(other.string()).end());
        EXPECT_TRUE(Holds(TextsOf(one), both)) << one << " lost entries of " << other;
        EXPECT_TRUE(Holds(TextsOf(other), both)) << other << " lost entries of " << one;
      }
    }
  }

  // Every history holds, for its contact, every entry any input held.
  void ExpectEveryEntryEverywhere() const {
    for (const std::string& contact : Contacts()) {
      Texts all;
      for (const char* place : {"a", "b", "c"}) {
        const Texts& texts = before_.at(Path(place, contact).string());
        all.insert(texts.begin(), texts.end());
      }
      for (const char* place : {"a", "b", "c"}) {
        EXPECT_EQ(TextsOf(Path(place, contact)), all) << Path(place, contact);
      }
    }
  }

 private:
  // Each job has a profile of its own: the locks hold across profiles.
  fs::path Profile(std::size_t job) const {
    return root_ / ("profile" + std::to_string(job) + ".sqlite3");
  }

  const ConcurrentRow& row_;
  test::TempFolder root_;
  std::map<std::string, Texts> before_;
};

class ConcurrentJobs : public ::testing::TestWithParam<ConcurrentRow> {};

// Overwrite jobs started together over shared histories, many times: each job's files end
// with both its inputs' entries (one job's result never overwrites another's), and merging
// on as usual brings every entry of every input into every file.
TEST_P(ConcurrentJobs, StartedTogetherTheyLoseNoEntry) {
  constexpr int kTries = 8;
  int waits = 0;
  for (int attempt = 1; attempt <= kTries; ++attempt) {
    SCOPED_TRACE("try " + std::to_string(attempt));
    SharedHistories histories(GetParam());
    waits += histories.RunTogether();
    histories.ExpectEveryJobsEntriesInBothItsFiles();
    histories.RunOneAfterAnother();
    histories.ExpectEveryEntryEverywhere();
    if (HasFailure()) break;
  }
  std::cout << "[ figures  ] " << GetParam().name << ": " << kTries << " tries, " << waits
            << " jobs waited for another\n";
}

INSTANTIATE_TEST_SUITE_P(
    SharedFiles, ConcurrentJobs,
    ::testing::Values(
        ConcurrentRow{"TwoFileJobsOverOneFile", false, {{"a", "b"}, {"a", "c"}}},
        ConcurrentRow{"ThreeFileJobsInARing", false, {{"a", "b"}, {"b", "c"}, {"c", "a"}}},
        ConcurrentRow{"ThreeFolderJobsInARing", true, {{"a", "b"}, {"b", "c"}, {"c", "a"}}}),
    test::RowName);

struct WaitRow {
  const char* name;
  bool folders;
};

void PrintTo(const WaitRow& row, std::ostream* out) { *out << row.name; }

// Alice's history on two PCs, the second PC's file held by another job.
class SecondJob : public ::testing::TestWithParam<WaitRow> {
 protected:
  void SetUp() override {
    for (const char* pc : {"pc1", "pc2"}) fs::create_directories(root_ / pc);
    WriteFile(first_, PcHistory("first", 3, 0));
    WriteFile(second_, PcHistory("second pc", 4, 1));
    before1_ = ReadFile(first_);
    before2_ = ReadFile(second_);
    ASSERT_TRUE(otherJob_.Acquire(
        {second_.string()}, [] {}, [] { return false; }));
  }

  // This job, on the files or on their folders, started once the other holds its file.
  std::unique_ptr<test::PalvarinProcess> Start(std::vector<std::string> switches) const {
    const bool folders = GetParam().folders;
    switches.insert(switches.end(), {"/p1", folders ? first_.parent_path() : first_, "/p2",
                                     folders ? second_.parent_path() : second_});
    switches.insert(switches.begin(), {"/n", folders ? "/d" : "/f"});
    return std::make_unique<test::PalvarinProcess>(switches, root_.Path(),
                                                   root_ / "profile.sqlite3");
  }

  // Waits until `job` says that it waits for the other job.
  static void AwaitWaiting(test::PalvarinProcess& job) {
    ASSERT_TRUE(test::Eventually(
        [&] { return job.ErrorSoFar().find(kWaiting) != std::string::npos; }, kSmallJobGuard))
        << job.ErrorSoFar();
  }

  test::TempFolder root_;
  fs::path first_ = root_ / "pc1" / "alice.xml";
  fs::path second_ = root_ / "pc2" / "alice.xml";
  std::string before1_;
  std::string before2_;
  HistoryLocks otherJob_;
};

// While another job holds a file it needs, a job touches nothing, says once that it waits,
// and merges when the other lets go.
TEST_P(SecondJob, WaitsForTheFirstAndSaysSo) {
  const auto job = Start({"/o", "/nb"});
  AwaitWaiting(*job);
  EXPECT_TRUE(job->Running());
  EXPECT_EQ(ReadFile(first_), before1_);
  EXPECT_EQ(ReadFile(second_), before2_);
  otherJob_.Release();
  const auto result = job->Wait(kSmallJobGuard);

  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "palvarin: " + std::string(kWaiting) + "\n");
  EXPECT_EQ(TextsOf(second_).size(), 7u);
  EXPECT_EQ(ReadFile(first_), ReadFile(second_));
  EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "pc2"), fs::directory_iterator()), 1)
      << "the lock leaves nothing beside the histories";
}

// Ctrl-C while the other job holds a file ends the wait at once: nothing is touched, the
// report names the pairs that did not run, and the other job keeps its lock.
TEST_P(SecondJob, StopsWhileWaitingAndTouchesNothing) {
  const auto job = Start({"/o"});
  AwaitWaiting(*job);
  ASSERT_TRUE(test::Eventually([&] { return job->Catches(SIGINT); }, kSmallJobGuard));
  job->Signal(SIGINT);
  const auto result = job->Wait(kSmallJobGuard);

  EXPECT_FALSE(result.timedOut) << "the wait went on after the stop";
  EXPECT_EQ(result.status, 130) << result.err;
  EXPECT_THAT(result.out + result.err, HasSubstr("the job was stopped before this pair"));
  EXPECT_EQ(ReadFile(first_), before1_);
  EXPECT_EQ(ReadFile(second_), before2_);
  EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "pc1"), fs::directory_iterator()), 1)
      << "no backup, no stylesheet, no temporary file";
  HistoryLocks third;
  bool thirdWaited = false;
  EXPECT_FALSE(third.Acquire(
      {second_.string()}, [&] { thirdWaited = true; }, [] { return false; }));
  EXPECT_TRUE(thirdWaited) << "the other job lost its lock";
}

INSTANTIATE_TEST_SUITE_P(Jobs, SecondJob,
                         ::testing::Values(WaitRow{"FileJob", false}, WaitRow{"FolderJob", true}),
                         test::RowName);

// Whether some job holds `path`: a try to lock it finds it held.
bool Held(const fs::path& path) {
  HistoryLocks probe;
  return !probe.Acquire(
      {path.string()}, [] {}, [] { return false; });
}

// A job locks every history it may read or write, its output too: an overwrite job whose
// input is that output must wait, or it could write over it. A folder job holds its folders
// whole, names it has not seen included.
TEST(JobLocks, AJobLocksItsInputsAndItsOutput) {
  test::TempFolder root;
  for (const char* pc : {"pc1", "pc2", "out", "other"}) fs::create_directories(root / pc);
  WriteFile(root / "pc1" / "alice.xml", PcHistory("first", 3, 0));
  WriteFile(root / "pc2" / "bob.xml", PcHistory("second pc", 4, 1));
  const struct {
    const char* name;
    MergeSettings job;
    std::vector<const char*> locked;
    const char* free;
  } rows[] = {
      {"FileJobToOtherFile",
       test::JobSettings(InTarget::File, root / "pc1" / "alice.xml", root / "pc2" / "bob.xml",
                         root / "out" / "alice.xml"),
       {"pc1/alice.xml", "pc2/bob.xml", "out/alice.xml"},
       "out/carol.xml"},
      {"FolderJobToOtherFolder",
       test::JobSettings(InTarget::Folder, root / "pc1", root / "pc2", root / "out"),
       {"pc1/alice.xml", "pc2/alice.xml", "out/alice.xml", "pc1/bob.xml", "pc2/bob.xml",
        "out/bob.xml", "out/carol.xml"},
       "other/carol.xml"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    HistoryLocks locks;
    JobFolders folders;
    const Result<> locked = LockJobFiles(
        JobOptionsOf(row.job), locks, folders, [] { ADD_FAILURE() << "no other job runs"; },
        [] { return false; });
    ASSERT_TRUE(locked) << Said(locked);
    for (const char* path : row.locked) EXPECT_TRUE(Held(root / path)) << path;
    EXPECT_FALSE(Held(root / row.free));
  }
}

// A folder job that waited for another merges and locks the names added to its folders
// meanwhile: a new history, and a link whose file elsewhere its folder's lock does not cover.
TEST(JobLocks, NamesAddedWhileAJobWaitedAreLockedToo) {
  test::TempFolder root;
  for (const char* pc : {"pc1", "pc2", "elsewhere"}) fs::create_directories(root / pc);
  WriteFile(root / "pc1" / "alice.xml", PcHistory("first", 3, 0));
  WriteFile(root / "pc2" / "alice.xml", PcHistory("second pc", 4, 1));
  WriteFile(root / "elsewhere" / "carol.xml", PcHistory("linked", 2, 3));
  HistoryLocks otherJob;
  ASSERT_TRUE(otherJob.Acquire(
      {(root / "pc2" / "alice.xml").string()}, [] {}, [] { return false; }));
  HistoryLocks locks;
  JobFolders folders;
  bool waited = false;
  const Result<> locked = LockJobFiles(
      JobOptionsOf(test::JobSettings(InTarget::Folder, root / "pc1", root / "pc2")), locks, folders,
      [&] {
        waited = true;
        WriteFile(root / "pc1" / "bob.xml", PcHistory("new", 2, 2));
        fs::create_symlink(root / "elsewhere" / "carol.xml", root / "pc2" / "carol.xml");
        otherJob.Release();
      },
      test::GiveUpAfter());
  ASSERT_TRUE(locked) << Said(locked);
  EXPECT_TRUE(waited);
  ASSERT_TRUE(folders.listed[0] && folders.listed[1]);
  EXPECT_EQ(folders.listed[0]->histories, (std::vector<std::string>{"alice.xml", "bob.xml"}));
  EXPECT_EQ(folders.listed[1]->links, std::vector<std::string>{"carol.xml"});
  EXPECT_TRUE(Held(root / "pc1" / "bob.xml"));
  EXPECT_TRUE(Held(root / "pc2" / "bob.xml"));
  EXPECT_TRUE(Held(root / "elsewhere" / "carol.xml"));
}

// Without a private place for its locks a job cannot keep others away: it merges nothing and
// says why.
TEST(JobLocks, AJobThatCannotLockItsFilesTouchesNothing) {
  test::TempFolder root;
  const fs::path runtime = root / "runtime";
  fs::create_directories(runtime / "palvarin");
  fs::permissions(runtime / "palvarin", fs::perms::owner_all | fs::perms::others_exec);
  const fs::path first = root / "a.xml", second = root / "b.xml";
  WriteFile(first, PcHistory("first", 3, 0));
  WriteFile(second, PcHistory("second pc", 4, 1));
  const std::string before1 = ReadFile(first), before2 = ReadFile(second);

  const auto result =
      test::RunPalvarin({"/n", "/f", "/o", "/nb", "/p1", first, "/p2", second}, root.Path(),
                        root / "profile.sqlite3", {"XDG_RUNTIME_DIR=" + runtime.string()});

  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.err, HasSubstr("other Palvarin jobs cannot be kept away from these files"));
  EXPECT_THAT(result.err, HasSubstr((runtime / "palvarin").string()));
  EXPECT_EQ(ReadFile(first), before1);
  EXPECT_EQ(ReadFile(second), before2);
}

}  // namespace
}  // namespace palvarin

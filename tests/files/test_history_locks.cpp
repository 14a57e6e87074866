#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <future>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "files/history_locks.hpp"
#include "lock_folder.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using test::WriteFile;

// A guard against a test that would otherwise wait for ever; never a goal.
constexpr auto kGuard = std::chrono::seconds(20);
// The keepWaiting of a job that must not have to wait.
bool Never() { return false; }

// Every test keeps its locks in a runtime folder of its own.
class LockTest : public ::testing::Test {
 protected:
  LockTest() {
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) oldRuntime_ = old;
    ::setenv("XDG_RUNTIME_DIR", runtime_.Path().c_str(), 1);
  }
  ~LockTest() override {
    if (oldRuntime_) {
      ::setenv("XDG_RUNTIME_DIR", oldRuntime_->c_str(), 1);
    } else {
      ::unsetenv("XDG_RUNTIME_DIR");
    }
  }

  // Files, or with `folders` a folder job's folders and the names it found in them.
  struct Hold {
    std::vector<std::string> paths;
    bool folders = false;
    std::vector<std::string> names = {};

    Result<> TakeIn(HistoryLocks& locks, const std::function<void()>& waiting,
                    const std::function<bool()>& keepWaiting) const {
      std::vector<Result<FolderMembers>> listed;
      for (const std::string& path : paths) listed.push_back(ListFolderMembers(path));
      return folders ? locks.AcquireFolders(paths, listed, names, waiting, keepWaiting)
                     : locks.Acquire(paths, waiting, keepWaiting);
    }
  };

  // Whether a job that wants `wanted` has to wait while another holds `held`.
  bool Meet(const Hold& held, const Hold& wanted) {
    HistoryLocks holder;
    const Result<> holding = held.TakeIn(
        holder, [] { ADD_FAILURE() << "nobody else holds it"; }, Never);
    EXPECT_TRUE(holding) << Said(holding);
    std::promise<bool> waited;
    std::thread second([&] {
      HistoryLocks locks;
      bool told = false;
      const Result<> locked = wanted.TakeIn(
          locks,
          [&] {
            told = true;
            waited.set_value(true);
          },
          test::GiveUpAfter(kGuard));
      EXPECT_TRUE(locked) << Said(locked);
      if (!told) waited.set_value(false);
    });
    auto outcome = waited.get_future();
    const bool decided = outcome.wait_for(kGuard) == std::future_status::ready;
    EXPECT_TRUE(decided) << "the second job neither waited nor went on";
    const bool met = decided && outcome.get();
    holder.Release();
    second.join();
    return met;
  }

  TempFolder runtime_;
  TempFolder files_;
  std::optional<std::string> oldRuntime_;
};

struct PlaceRow {
  const char* name;
  const char* held;
  const char* wanted;
  bool meet;
};

void PrintTo(const PlaceRow& row, std::ostream* out) { *out << row.name; }

class LockPlaces : public LockTest, public ::testing::WithParamInterface<PlaceRow> {};

// A lock stands for a place: every path to it meets there, other places do not. In
// files_: a/contact.xml, a/other.xml, b/contact.xml, link.xml -> a/contact.xml, alias -> a.
TEST_P(LockPlaces, PathsToOnePlaceShareALock) {
  const PlaceRow& row = GetParam();
  fs::create_directories(files_ / "a");
  fs::create_directories(files_ / "b");
  WriteFile(files_ / "a" / "contact.xml", "<Log/>");
  WriteFile(files_ / "a" / "other.xml", "<Log/>");
  WriteFile(files_ / "b" / "contact.xml", "<Log/>");
  fs::create_symlink(files_ / "a" / "contact.xml", files_ / "link.xml");
  fs::create_symlink("a", files_ / "alias");
  EXPECT_EQ(Meet({{(files_ / row.held).string()}}, {{(files_ / row.wanted).string()}}), row.meet);
}

INSTANTIATE_TEST_SUITE_P(
    Places, LockPlaces,
    ::testing::Values(PlaceRow{"SamePath", "a/contact.xml", "a/contact.xml", true},
                      PlaceRow{"OtherSpelling", "a/contact.xml", "b/../a/./contact.xml", true},
                      PlaceRow{"LinkToTheFile", "a/contact.xml", "link.xml", true},
                      PlaceRow{"LinkToTheFolder", "alias/contact.xml", "a/contact.xml", true},
                      PlaceRow{"FileNotThereYet", "a/new.xml", "alias/new.xml", true},
                      PlaceRow{"OtherName", "a/contact.xml", "a/other.xml", false},
                      PlaceRow{"OtherFolder", "a/contact.xml", "b/contact.xml", false},
                      PlaceRow{"NoSuchFolder", "a/contact.xml", "missing/contact.xml", false}),
    test::RowName);

// A folder job holds its folders whole: it meets every file in them, links followed, and
// every job holding one of them, and nothing else. A name "dir:x" is the folder x as a folder
// job holds it. In files_: a/contact.xml, b/contact.xml, b/link.xml -> a/contact.xml, alias -> a,
// and an empty folder c.
class FolderLockPlaces : public LockTest, public ::testing::WithParamInterface<PlaceRow> {
 protected:
  Hold HoldOf(const std::string& spec) {
    if (spec.rfind("dir:", 0) != 0) return {{(files_ / spec).string()}};
    return {{(files_ / spec.substr(4)).string()}, true, {"contact.xml", "link.xml"}};
  }
};

TEST_P(FolderLockPlaces, AFolderMeetsWhatIsInIt) {
  const PlaceRow& row = GetParam();
  fs::create_directories(files_ / "a");
  fs::create_directories(files_ / "b");
  fs::create_directories(files_ / "c");
  WriteFile(files_ / "a" / "contact.xml", "<Log/>");
  WriteFile(files_ / "b" / "contact.xml", "<Log/>");
  fs::create_symlink(files_ / "a" / "contact.xml", files_ / "b" / "link.xml");
  fs::create_symlink("a", files_ / "alias");
  EXPECT_EQ(Meet(HoldOf(row.held), HoldOf(row.wanted)), row.meet);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, FolderLockPlaces,
    ::testing::Values(PlaceRow{"FileInTheFolder", "dir:a", "a/contact.xml", true},
                      PlaceRow{"FileNotThereYet", "dir:a", "alias/new.xml", true},
                      PlaceRow{"FolderOfAHeldFile", "a/contact.xml", "dir:a", true},
                      PlaceRow{"WhereALinkLeads", "dir:b", "a/contact.xml", true},
                      PlaceRow{"FolderLinkingIntoAHeldOne", "dir:a", "dir:b", true},
                      PlaceRow{"FolderByItsAlias", "dir:alias", "dir:a", true},
                      PlaceRow{"FileElsewhere", "dir:a", "b/contact.xml", false},
                      PlaceRow{"OtherFolder", "dir:a", "dir:c", false}),
    test::RowName);

// Every save puts a new file (a new inode) in the old one's place: the lock still holds it.
TEST_F(LockTest, AFileReplacedByANewOneKeepsItsLock) {
  const auto path = files_ / "contact.xml";
  WriteFile(path, "<Log/>");
  HistoryLocks holder;
  ASSERT_TRUE(holder.Acquire(
      {path.string()}, [] {}, Never));
  WriteFile(files_ / "new.xml", "<Log></Log>");
  fs::rename(files_ / "new.xml", path);
  holder.Release();
  EXPECT_TRUE(Meet({{path.string()}}, {{path.string()}}));
}

// A wait called off (a stop while another job holds a file) ends with ECANCELED and lets go
// of the files locked before the held one, whatever their order.
TEST_F(LockTest, AWaitCalledOffFailsAndHoldsNothing) {
  const std::vector<std::string> paths = {(files_ / "a.xml").string(), (files_ / "b.xml").string(),
                                          (files_ / "c.xml").string()};
  for (const std::string& held : paths) {
    HistoryLocks holder;
    ASSERT_TRUE(holder.Acquire(
        {held}, [] {}, Never));
    HistoryLocks job;
    int told = 0;
    int tries = 0;
    const Result<> locked = job.Acquire(
        paths, [&] { ++told; }, [&] { return ++tries < 3; });
    EXPECT_FALSE(locked) << held;
    EXPECT_EQ(locked.code(), ECANCELED) << held;
    EXPECT_EQ(told, 1) << held;
    EXPECT_EQ(tries, 3) << held;
    HistoryLocks next;
    for (const std::string& free : paths) {
      if (free == held) continue;
      EXPECT_TRUE(next.Acquire(
          {free}, [] {}, Never))
          << free << " still held";
    }
  }
}

// A job that waits says so once, however often it waits: a folder job takes its locks again
// when it finds its folders changed.
TEST_F(LockTest, AJobIsToldOnceHoweverOftenItWaits) {
  const std::string path = (files_ / "contact.xml").string();
  HistoryLocks holder;
  ASSERT_TRUE(holder.Acquire(
      {path}, [] {}, Never));
  HistoryLocks job;
  std::atomic<int> told = 0;
  std::atomic<int> tries = 0;  // tries that found the file held
  const auto keepWaiting = [&tries, giveUp = test::GiveUpAfter(kGuard)] {
    ++tries;
    return giveUp();
  };
  std::promise<void> firstHeld;
  std::promise<void> again;
  std::thread jobThread([&] {
    EXPECT_TRUE(job.Acquire(
        {path}, [&] { ++told; }, keepWaiting));
    job.Release();
    firstHeld.set_value();
    again.get_future().wait();
    EXPECT_TRUE(job.Acquire(
        {path}, [&] { ++told; }, keepWaiting));
  });
  ASSERT_TRUE(test::Eventually([&] { return tries > 0; }, kGuard));
  EXPECT_EQ(told, 1);
  holder.Release();
  ASSERT_EQ(firstHeld.get_future().wait_for(kGuard), std::future_status::ready);
  ASSERT_TRUE(holder.Acquire(
      {path}, [] {}, Never));
  tries = 0;
  again.set_value();
  ASSERT_TRUE(test::Eventually([&] { return tries > 0; }, kGuard)) << "waits again";
  holder.Release();
  jobThread.join();
  EXPECT_EQ(told, 1);
}

// A killed job cannot keep its files from the next: its locks end with its process.
TEST_F(LockTest, LocksEndWithTheProcess) {
  const std::string path = (files_ / "contact.xml").string();
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    HistoryLocks locks;
    const char held = locks.Acquire({path}, [] {}) ? 'y' : 'n';
    (void)!::write(ready[1], &held, 1);
    ::pause();
    ::_exit(0);
  }
  char held = 0;
  ASSERT_EQ(::read(ready[0], &held, 1), 1);
  EXPECT_EQ(held, 'y');
  ::close(ready[0]);
  ::close(ready[1]);
  std::promise<void> acquired;
  std::atomic<bool> waiting = false;
  std::thread next([&] {
    HistoryLocks locks;
    EXPECT_TRUE(locks.Acquire(
        {path}, [&] { waiting = true; }, test::GiveUpAfter(kGuard)));
    acquired.set_value();
  });
  const bool waited = test::Eventually([&] { return waiting.load(); }, kGuard);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_TRUE(waited) << "the child held the file";
  EXPECT_EQ(acquired.get_future().wait_for(kGuard), std::future_status::ready);
  next.join();
}

// Jobs that name the same files in opposite orders, over and over on two threads, still
// finish: locks are taken in one order shared by all. Run in a child process, so that a
// deadlock ends in a kill instead of a hung test.
TEST_F(LockTest, JobsNamingFilesInOppositeOrdersNeverDeadlock) {
  std::vector<std::string> paths;
  for (const char* name : {"a.xml", "b.xml", "c.xml", "d.xml"}) {
    paths.push_back((files_ / name).string());
  }
  test::RunGuarded(kGuard, [&] {
    const auto work = [](std::vector<std::string> order) {
      for (int round = 0; round < 2000; ++round) {
        HistoryLocks locks;
        if (!locks.Acquire(order, [] {})) {
          ADD_FAILURE() << "a lock failed";
          return;
        }
      }
    };
    std::vector<std::string> reversed(paths.rbegin(), paths.rend());
    std::thread one(work, paths);
    std::thread other(work, reversed);
    one.join();
    other.join();
  });
}

// The lock folder is private: one that others may enter, or a link, is not used.
TEST_F(LockTest, RefusesALockFolderOthersCouldUse) {
  const Result<fs::path> folder = LockFolder();
  ASSERT_TRUE(folder) << Said(folder);
  EXPECT_EQ(*folder, runtime_ / "palvarin");
  EXPECT_EQ(fs::status(*folder).permissions(), fs::perms::owner_all);

  fs::permissions(*folder, fs::perms::group_read | fs::perms::group_exec, fs::perm_options::add);
  const Result<fs::path> refused = LockFolder();
  EXPECT_FALSE(refused);
  EXPECT_NE(Said(refused).find(folder->string()), std::string::npos) << Said(refused);
  HistoryLocks locks;
  const Result<> acquired = locks.Acquire({(files_ / "a.xml").string()}, [] {});
  EXPECT_FALSE(acquired);
  EXPECT_EQ(Said(acquired), Said(refused));

  fs::remove(*folder);
  fs::create_directory(files_ / "elsewhere");
  fs::permissions(files_ / "elsewhere", fs::perms::owner_all);
  fs::create_directory_symlink(files_ / "elsewhere", *folder);
  EXPECT_FALSE(LockFolder()) << "a link";
}

}  // namespace
}  // namespace palvarin

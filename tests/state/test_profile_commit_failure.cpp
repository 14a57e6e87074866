#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <ostream>
#include <string>

#include "state/merge_time_record.hpp"
#include "state/profile_store.hpp"
#include "support/reference_time.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using test::ScopedTimeZone;
using test::TempFolder;

constexpr const char* kOldStamp = "20060102030405";

// One write over the merge-time record of /a.xml and /b.xml; true when it says it was written.
struct WriteRow {
  const char* name;
  Result<> (*write)(ProfileStore& store);
};

void PrintTo(const WriteRow& row, std::ostream* out) { *out << row.name; }

Result<> WriteString(ProfileStore& store) {
  return store.WriteProfileString(kMergeTimeSection, MergeTimeKey("/a.xml", "/b.xml"),
                                  "20990102030405");
}

Result<> WriteInt(ProfileStore& store) {
  return store.WriteProfileInt(kMergeTimeSection, MergeTimeKey("/a.xml", "/b.xml"), 7);
}

// A merge record with identities, so that the failing commit carries a blob too.
Result<> WriteTime(ProfileStore& store) {
  return WriteMergeTime(store, "/a.xml", "/b.xml", std::vector<EntryIdentity>{{1, 2}, {3, 4}});
}

// What the child found, one bit per broken promise, for its exit status.
enum Breach { kSaidWritten = 1, kNoWarning = 2, kValueChanged = 4 };

// In a child process whose files may not grow (SIGXFSZ ignored, so that writes fail with
// EFBIG): SQLite's own commit fails, past every fault seam of the program's.
int WriteWithoutRoomToGrow(const std::filesystem::path& file, const WriteRow& row) {
  ProfileStore store(file);
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit none{0, 0};
  if (::setrlimit(RLIMIT_FSIZE, &none) != 0) return 64;
  int breaches = 0;
  if (row.write(store)) breaches |= kSaidWritten;
  const std::string warning = Said(store.TakeProblem());
  if (warning.find("cannot write to the profile") == std::string::npos) breaches |= kNoWarning;
  const std::optional<MergeTimeRecord> record = ReadMergeTime(store, "/a.xml", "/b.xml");
  if (!record.has_value() || record->time != MakeTime(2006, 1, 2, 3, 4, 5)) {
    breaches |= kValueChanged;
  }
  std::fprintf(stderr, "%s: %s\n", row.name, warning.c_str());
  return breaches;
}

class FailedCommit : public ::testing::TestWithParam<WriteRow> {};

// A commit that SQLite itself cannot complete is a failed write: the caller is told, the
// user is warned, and the record keeps its old value, in the process and for the next run.
TEST_P(FailedCommit, IsReportedAndKeepsTheOldValue) {
  const ScopedTimeZone zone("UTC");
  TempFolder folder;
  const auto file = folder / "profile.sqlite3";
  {
    ProfileStore store(file);
    ASSERT_TRUE(
        store.WriteProfileString(kMergeTimeSection, MergeTimeKey("/a.xml", "/b.xml"), kOldStamp));
  }
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(WriteWithoutRoomToGrow(file, GetParam()));
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child was killed by signal " << WTERMSIG(status);
  const int breaches = WEXITSTATUS(status);
  EXPECT_NE(breaches, 64) << "cannot limit the size of files here";
  EXPECT_FALSE(breaches & kSaidWritten) << "the failed write was reported as done";
  EXPECT_FALSE(breaches & kNoWarning) << "nobody was warned";
  EXPECT_FALSE(breaches & kValueChanged) << "the failed write changed the record";

  ProfileStore store(file);
  EXPECT_TRUE(store.IsAvailable()) << Said(store.TakeProblem());
  EXPECT_EQ(store.GetProfileString(kMergeTimeSection, MergeTimeKey("/a.xml", "/b.xml"), ""),
            kOldStamp);
  EXPECT_TRUE(WriteTime(store)) << "the store still works";
}

INSTANTIATE_TEST_SUITE_P(ProfileWrites, FailedCommit,
                         ::testing::Values(WriteRow{"WriteProfileString", WriteString},
                                           WriteRow{"WriteProfileInt", WriteInt},
                                           WriteRow{"WriteMergeTime", WriteTime}),
                         test::RowName);

}  // namespace
}  // namespace palvarin

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "files/atomic_file.hpp"
#include "files/io_faults.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

std::size_t EntriesIn(const std::filesystem::path& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& item : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

TEST(AtomicFile, NothingReachesTheTargetBeforeCommit) {
  TempFolder folder;
  const auto target = folder / "history.xml";
  WriteFile(target, "old");
  {
    AtomicFile file;
    ASSERT_TRUE(file.Open(target));
    ASSERT_TRUE(file.Write("new content"));
    EXPECT_EQ(ReadFile(target), "old");
    EXPECT_EQ(EntriesIn(folder.Path()), 2u) << "the temporary file sits beside the target";
  }
  EXPECT_EQ(ReadFile(target), "old") << "an abandoned write changes nothing";
  EXPECT_EQ(EntriesIn(folder.Path()), 1u) << "and leaves no temporary file";

  AtomicFile file;
  ASSERT_TRUE(file.Open(target));
  ASSERT_TRUE(file.Write("new content"));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadFile(target), "new content");
  EXPECT_EQ(EntriesIn(folder.Path()), 1u);
}

TEST(AtomicFile, KeepsPermissionsAndWritesThroughALink) {
  TempFolder folder;
  const auto target = folder / "real.xml";
  const auto link = folder / "link.xml";
  WriteFile(target, "old");
  ::chmod(target.c_str(), 0640);
  std::filesystem::create_symlink(target, link);

  AtomicFile file;
  ASSERT_TRUE(file.Open(link));
  ASSERT_TRUE(file.Write("new"));
  ASSERT_TRUE(file.Commit());
  EXPECT_TRUE(std::filesystem::is_symlink(link)) << "the link stays a link";
  EXPECT_EQ(ReadFile(target), "new");
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(AtomicFile, ANewFileGetsTheModeOfAnOrdinaryCreate) {
  TempFolder folder;
  const mode_t old = ::umask(027);
  AtomicFile file;
  const bool written = file.Open(folder / "new.xml") && file.Write("x") && file.Commit();
  ::umask(old);
  ASSERT_TRUE(written) << Said(file.Status());
  struct stat info {};
  ASSERT_EQ(::stat((folder / "new.xml").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u) << "not the temporary file's private 0600";
}

TEST(AtomicFile, ReportsTheFileWhenItCannotCreate) {
  TempFolder folder;
  AtomicFile file;
  EXPECT_FALSE(file.Open(folder / "missing" / "out.xml"));
  EXPECT_NE(Said(file.Status()).find("missing/out.xml"), std::string::npos) << Said(file.Status());
  EXPECT_FALSE(file.Write("x"));
  EXPECT_FALSE(file.Commit());
}

// What is at the target: a file's content, or a mark for a folder.
std::string Target(const std::filesystem::path& target) {
  return std::filesystem::is_directory(target) ? "(folder)" : ReadFile(target);
}

// A save that fails, by a refusal injected at a step or by the file system itself, says so
// and which step, and leaves what was at the target and no temporary file.
TEST(AtomicFile, ASaveThatFailsLeavesTheTargetAndNoTemporaryFile) {
  using Placement = AtomicFile::Placement;
  const struct {
    const char* name;
    Placement placement;
    long failAt;         // the step that fails: 2 write, 3 attributes, 4 flush, 5 rename; 0 none
    long long writable;  // bytes written before every write fails; -1 no limit
    void (*meanwhile)(const std::filesystem::path& target);  // between Open and Commit
    const char* says;
  } rows[] = {
      {"WriteRefused", Placement::Replace, 2, -1, nullptr, "cannot write "},
      {"WriteCutShort", Placement::Replace, 0, 4, nullptr, "cannot write "},
      {"AttributesRefused", Placement::Replace, 3, -1, nullptr, "cannot set the attributes of "},
      {"FlushRefused", Placement::Replace, 4, -1, nullptr, "cannot flush "},
      {"RenameRefused", Placement::Replace, 5, -1, nullptr, "cannot replace "},
      {"FolderPutInThePlace", Placement::Replace, 0, -1,
       [](const std::filesystem::path& target) {
         std::filesystem::remove(target);
         std::filesystem::create_directory(target);
       },
       "cannot replace "},
      {"FileCreatedInThePlace", Placement::IfAbsent, 0, -1,
       [](const std::filesystem::path& target) { WriteFile(target, "theirs"); }, "cannot create "},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder folder;
    const auto target = folder / "history.xml";
    if (row.placement == Placement::Replace) WriteFile(target, "old");
    faults::Arm(row.failAt, row.writable);
    AtomicFile file;
    ASSERT_TRUE(file.Open(target, row.placement));
    const bool written = static_cast<bool>(file.Write("new content"));
    if (row.meanwhile) row.meanwhile(target);
    const std::string before = Target(target);
    const bool saved = written && file.Commit();
    faults::Arm(0);
    EXPECT_FALSE(saved);
    EXPECT_EQ(Said(file.Status()).rfind(row.says + target.string(), 0), 0u) << Said(file.Status());
    EXPECT_EQ(Target(target), before);
    EXPECT_EQ(EntriesIn(folder.Path()), 1u) << "a temporary file was left";
  }
}

TEST(IsTemporaryFileName, KnowsItsOwnLeftoversOnly) {
  EXPECT_TRUE(IsTemporaryFileName(".alice.xml.123.palvarin-tmp"));
  EXPECT_FALSE(IsTemporaryFileName("alice.xml"));
  EXPECT_FALSE(IsTemporaryFileName("alice.palvarin-tmp"));
  EXPECT_FALSE(IsTemporaryFileName(".palvarin-tmp"));
}

}  // namespace
}  // namespace palvarin

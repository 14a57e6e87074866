#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <ostream>
#include <string>

#include "files/file_ops.hpp"
#include "files/io_faults.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

// Beyond one copy chunk, so that the copy loops.
std::string LargeContent(char last) {
  std::string bytes(200000, 'x');
  for (std::size_t at = 0; at < bytes.size(); at += 97)
    bytes[at] = static_cast<char>('a' + at % 26);
  bytes.back() = last;
  return bytes;
}

void SetLastWrite(const fs::path& path, FileTime time) {
  const struct timespec times[2] = {{0, UTIME_OMIT}, {time.seconds, time.nanoseconds}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::size_t EntriesIn(const fs::path& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++count;
  return count;
}

struct CopyCase {
  const char* name;
  CopyMode mode;
  bool targetExists;
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const CopyCase& row, std::ostream* out) { *out << row.name; }

class CopyKeepsTime : public testing::TestWithParam<CopyCase> {};

TEST_P(CopyKeepsTime, ContentAndLastWriteToTheNanosecond) {
  TempFolder folder;
  const auto source = folder / "alice.xml";
  const auto target = folder / "copy.xml";
  WriteFile(source, LargeContent('!'));
  SetLastWrite(source, {1234567890, 123456789});
  fs::permissions(source, fs::perms::owner_read | fs::perms::owner_write);
  const auto shared = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  if (GetParam().targetExists) {
    WriteFile(target, "old");
    fs::permissions(target, shared);
  }

  const Result<> result = CopyFile(source, target, GetParam().mode);

  ASSERT_TRUE(result) << Said(result);
  EXPECT_EQ(ReadFile(target), ReadFile(source));
  const FileFacts from = *ReadFileFacts(source);
  const FileFacts to = *ReadFileFacts(target);
  EXPECT_EQ(to.lastWrite, from.lastWrite);
  EXPECT_EQ(to.lastWrite.nanoseconds, 123456789);
  EXPECT_EQ(to.size, from.size);
  EXPECT_NE(to.identity, from.identity);
  // A private history stays private in its copy; a replaced file keeps its own permissions.
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            GetParam().targetExists ? shared : fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(EntriesIn(folder.Path()), 2u) << "no temporary file stays behind";
}

INSTANTIATE_TEST_SUITE_P(Modes, CopyKeepsTime,
                         testing::Values(CopyCase{"NewFile", CopyMode::FailIfExists, false},
                                         CopyCase{"ReplaceMissing", CopyMode::Replace, false},
                                         CopyCase{"ReplaceExisting", CopyMode::Replace, true}),
                         test::RowName);

TEST(CopyFile, FailIfExistsRefusesAnythingAtTheTarget) {
  TempFolder folder;
  const auto source = folder / "alice.xml";
  WriteFile(source, "new");
  const auto existing = folder / "existing.xml";
  WriteFile(existing, "keep me");
  const auto dangling = folder / "dangling.xml";
  fs::create_symlink(folder / "nowhere", dangling);

  for (const auto& target : {existing, dangling}) {
    SCOPED_TRACE(target.string());
    const Result<> result = CopyFile(source, target, CopyMode::FailIfExists);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.code(), EEXIST);
    EXPECT_NE(Said(result).find(target.string()), std::string::npos) << Said(result);
  }
  EXPECT_EQ(ReadFile(existing), "keep me");
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_FALSE(fs::exists(folder / "nowhere"));
  EXPECT_EQ(EntriesIn(folder.Path()), 3u);
}

TEST(CopyFile, ReplaceWritesThroughALink) {
  TempFolder folder;
  const auto source = folder / "source.xml";
  WriteFile(source, "merged");
  const auto real = folder / "real.xml";
  WriteFile(real, "old");
  const auto link = folder / "link.xml";
  fs::create_symlink(real, link);

  ASSERT_TRUE(CopyFile(source, link, CopyMode::Replace));

  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(real), "merged");
}

TEST(CopyFile, ReplacingAFileWithItselfKeepsItsContent) {
  TempFolder folder;
  const auto file = folder / "same.xml";
  WriteFile(file, LargeContent('s'));

  ASSERT_TRUE(CopyFile(file, file, CopyMode::Replace));

  EXPECT_EQ(ReadFile(file), LargeContent('s'));
}

// Every step of a copy that the fault seam can refuse leaves the old target and no leftovers.
TEST(CopyFile, EachFailingStepLeavesTheTargetAsItWas) {
  TempFolder folder;
  const auto source = folder / "source.xml";
  const auto target = folder / "target.xml";
  WriteFile(source, LargeContent('n'));
  faults::Arm(0);
  ASSERT_TRUE(CopyFile(source, folder / "probe.xml", CopyMode::Replace));
  const long steps = faults::OperationCount();
  fs::remove(folder / "probe.xml");
  ASSERT_GE(steps, 5);

  for (CopyMode mode : {CopyMode::Replace, CopyMode::FailIfExists}) {
    for (long failing = 1; failing <= steps; ++failing) {
      SCOPED_TRACE("step " + std::to_string(failing));
      if (mode == CopyMode::Replace) {
        WriteFile(target, "old");
      } else {
        fs::remove(target);
      }
      faults::Arm(failing);
      const Result<> result = CopyFile(source, target, mode);
      faults::Arm(0);
      EXPECT_FALSE(result);
      EXPECT_NE(Said(result).find(target.string()), std::string::npos) << Said(result);
      if (mode == CopyMode::Replace) {
        EXPECT_EQ(ReadFile(target), "old");
      } else {
        EXPECT_FALSE(fs::exists(target));
      }
      EXPECT_EQ(EntriesIn(folder.Path()), mode == CopyMode::Replace ? 2u : 1u);
    }
  }
}

TEST(ReadFileFacts, IdentityFollowsTheFileNotThePath) {
  TempFolder folder;
  WriteFile(folder / "a.xml", "12345");
  WriteFile(folder / "b.xml", "12345");
  fs::create_hard_link(folder / "a.xml", folder / "hard.xml");
  fs::create_symlink("a.xml", folder / "soft.xml");

  const Result<FileFacts> a = ReadFileFacts(folder / "a.xml");
  ASSERT_TRUE(a) << Said(a);
  EXPECT_EQ(a->size, 5u);
  EXPECT_EQ(ReadFileFacts(folder / "hard.xml")->identity, a->identity);
  EXPECT_EQ(ReadFileFacts(folder / "soft.xml")->identity, a->identity);
  EXPECT_NE(ReadFileFacts(folder / "b.xml")->identity, a->identity);
  // Without opening the files, the same answers, name by name.
  const std::vector<std::string> names{"a.xml", "hard.xml", "soft.xml", "b.xml", "missing.xml"};
  const auto named = ReadNamedFiles(folder.Path().string(), names);
  ASSERT_EQ(named.size(), names.size());
  for (std::size_t i = 0; i < 3; ++i) {
    ASSERT_TRUE(named[i]) << names[i];
    EXPECT_EQ(named[i]->identity, a->identity) << names[i];
    EXPECT_EQ(named[i]->size, 5u) << names[i];
  }
  ASSERT_TRUE(named[3]);
  EXPECT_NE(named[3]->identity, a->identity);
  EXPECT_FALSE(named[4]);
  for (const auto& file : ReadNamedFiles((folder / "missing").string(), names)) {
    EXPECT_FALSE(file) << "no folder, no files";
  }
}

TEST(PathTests, FollowLinks) {
  TempFolder folder;
  WriteFile(folder / "file", "x");
  fs::create_directory(folder / "dir");
  fs::create_symlink(folder / "dir", folder / "dirlink");
  fs::create_symlink(folder / "file", folder / "filelink");
  fs::create_symlink(folder / "nowhere", folder / "dangling");

  struct Row {
    const char* name;
    bool exists;
    bool folder;
  };
  for (const Row& row : {Row{"file", true, false}, Row{"dir", true, true},
                         Row{"dirlink", true, true}, Row{"filelink", true, false},
                         Row{"dangling", false, false}, Row{"missing", false, false}}) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(PathExists(folder / row.name), row.exists);
    EXPECT_EQ(IsFolder(folder / row.name), row.folder);
  }
}

TEST(DeleteFile, RemovesALinkNotItsFileAndReportsFailures) {
  TempFolder folder;
  WriteFile(folder / "file", "x");
  fs::create_symlink(folder / "file", folder / "link");

  EXPECT_TRUE(DeleteFile(folder / "link"));
  EXPECT_FALSE(fs::is_symlink(folder / "link"));
  EXPECT_EQ(ReadFile(folder / "file"), "x");

  const Result<> missing = DeleteFile(folder / "missing");
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.code(), ENOENT);

  faults::Arm(1);
  EXPECT_FALSE(DeleteFile(folder / "file"));
  faults::Arm(0);
  EXPECT_TRUE(fs::exists(folder / "file"));
}

TEST(HaveSameContent, ComparesEveryByte) {
  TempFolder folder;
  WriteFile(folder / "a", LargeContent('1'));
  WriteFile(folder / "same", LargeContent('1'));
  WriteFile(folder / "lastDiffers", LargeContent('2'));
  WriteFile(folder / "shorter", LargeContent('1').substr(1));
  WriteFile(folder / "empty1", "");
  WriteFile(folder / "empty2", "");

  EXPECT_TRUE(HaveSameContent(folder / "a", folder / "same"));
  EXPECT_TRUE(HaveSameContent(folder / "empty1", folder / "empty2"));
  EXPECT_FALSE(HaveSameContent(folder / "a", folder / "lastDiffers"));
  EXPECT_FALSE(HaveSameContent(folder / "a", folder / "shorter"));
  EXPECT_FALSE(HaveSameContent(folder / "a", folder / "missing"));
  EXPECT_FALSE(HaveSameContent(folder / "missing", folder / "missing"));
}

}  // namespace
}  // namespace palvarin

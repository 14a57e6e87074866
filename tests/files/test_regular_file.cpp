#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ostream>
#include <string>

#include "files/atomic_file.hpp"
#include "files/file_ops.hpp"
#include "files/history_file.hpp"
#include "files/io_faults.hpp"
#include "regular_file.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

void MakeFifo(const fs::path& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }

void MakeFolder(const fs::path& path) { fs::create_directory(path); }

void MakeLinkToFifo(const fs::path& path) {
  MakeFifo(path.string() + ".target");
  fs::create_symlink(path.string() + ".target", path);
}

// A device every Linux system has.
void MakeLinkToDevice(const fs::path& path) { fs::create_symlink("/dev/null", path); }

// Something named like a history that is no regular file.
struct KindRow {
  const char* name;
  void (*make)(const fs::path&);
  const char* kind;      // as the refusal words it
  bool watchForOpening;  // whether no open of it is checked (not for a device others use)
};

void PrintTo(const KindRow& row, std::ostream* out) { *out << row.name; }

// Counts the opens of a file system object while the watch lives.
class OpenWatch {
 public:
  explicit OpenWatch(const fs::path& path) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    EXPECT_GE(::inotify_add_watch(fd_, path.c_str(), IN_OPEN), 0) << path;
  }
  ~OpenWatch() { ::close(fd_); }
  OpenWatch(const OpenWatch&) = delete;
  OpenWatch& operator=(const OpenWatch&) = delete;
  bool SawAnOpen() const {
    char events[4096];
    return ::read(fd_, events, sizeof events) > 0;
  }

 private:
  int fd_;
};

class NotARegularFile : public ::testing::TestWithParam<KindRow> {
 protected:
  void SetUp() override {
    GetParam().make(path_);
    WriteFile(history_, "<Log/>");
  }

  TempFolder folder_;
  fs::path path_ = folder_ / "contact.xml";
  fs::path history_ = folder_ / "history.xml";
};

// Every reader of the file layer refuses the name by its kind, without opening it: opening a
// pipe without a writer would wait for ever, and opening a device can act on it.
TEST_P(NotARegularFile, IsRefusedByEveryReaderWithoutBeingOpened) {
  const KindRow& row = GetParam();
  const auto watch = row.watchForOpening ? std::make_unique<OpenWatch>(path_) : nullptr;
  const std::string refusal = "it is " + std::string(row.kind) + ", not a regular file";

  const RegularFile file(path_);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.Status().code(), EINVAL);
  EXPECT_EQ(Said(file.Status()), "cannot read " + path_.string() + ": " + refusal);

  const Result<HistoryBytes> bytes = ReadHistoryFile(path_);
  EXPECT_FALSE(bytes);
  EXPECT_EQ(Said(bytes), Said(file.Status()));

  EXPECT_FALSE(ReadFileFacts(path_));
  EXPECT_FALSE(HaveSameContent(path_, history_));

  const Result<> copied = CopyFile(path_, folder_ / "copy.xml", CopyMode::FailIfExists);
  EXPECT_FALSE(copied);
  EXPECT_NE(Said(copied).find(refusal), std::string::npos) << Said(copied);
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder_ / "copy.xml")));

  if (watch) {
    EXPECT_FALSE(watch->SawAnOpen()) << "the name was opened";
  }
}

// Neither a save nor a copy puts a history in its place: the name stays what it was.
TEST_P(NotARegularFile, IsNeverReplacedByAHistory) {
  const auto type = fs::status(path_).type();
  AtomicFile file;
  EXPECT_FALSE(file.Open(path_));
  EXPECT_NE(Said(file.Status()).find("cannot replace"), std::string::npos) << Said(file.Status());
  EXPECT_NE(Said(file.Status()).find(GetParam().kind), std::string::npos) << Said(file.Status());

  EXPECT_FALSE(CopyFile(history_, path_, CopyMode::Replace));
  EXPECT_EQ(CopyFile(history_, path_, CopyMode::FailIfExists).code(), EEXIST);
  EXPECT_EQ(fs::status(path_).type(), type);
  for (const auto& item : fs::directory_iterator(folder_.Path())) {
    EXPECT_FALSE(IsTemporaryFileName(item.path().filename().string())) << item.path();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, NotARegularFile,
    ::testing::Values(KindRow{"NamedPipe", MakeFifo, "a named pipe", true},
                      KindRow{"LinkToANamedPipe", MakeLinkToFifo, "a named pipe", true},
                      KindRow{"Socket", test::MakeSocket, "a socket", true},
                      KindRow{"Folder", MakeFolder, "a folder", true},
                      KindRow{"LinkToADevice", MakeLinkToDevice, "a device", false}),
    test::RowName);

TEST(RegularFile, OpensAFileAndALinkToOneAndNamesWhatIsMissing) {
  TempFolder folder;
  WriteFile(folder / "a.xml", "<Log/>");
  fs::create_symlink(folder / "a.xml", folder / "link.xml");
  fs::create_symlink(folder / "nowhere.xml", folder / "dangling.xml");
  for (const char* name : {"a.xml", "link.xml"}) {
    const RegularFile file(folder / name);
    EXPECT_TRUE(file.IsOpen()) << name << ": " << Said(file.Status());
    EXPECT_EQ(file.Info().st_size, 6) << name;
  }
  for (const char* name : {"missing.xml", "dangling.xml"}) {
    const RegularFile file(folder / name);
    EXPECT_FALSE(file.IsOpen()) << name;
    EXPECT_EQ(file.Status().code(), ENOENT) << name;
    EXPECT_EQ(Said(file.Status()),
              "cannot open " + (folder / name).string() + ": " + std::strerror(ENOENT));
  }
}

// The whole file, or nothing: one that turns out shorter while it is read is refused, never
// parsed with a stale tail.
TEST(ReadHistoryFile, ReadsTheWholeFileWithRoomForTheParserOrRefusesIt) {
  TempFolder folder;
  std::string bytes(300000, 'x');
  bytes.back() = '!';
  WriteFile(folder / "a.xml", bytes);
  for (const long long readable : {-1LL, 0LL, 70000LL, 299999LL}) {
    SCOPED_TRACE("readable " + std::to_string(readable));
    faults::Arm(0, -1, readable);
    const Result<HistoryBytes> read = ReadHistoryFile(folder / "a.xml");
    faults::Arm(0);
    if (readable >= 0) {
      EXPECT_FALSE(read);
      EXPECT_EQ(read.code(), EIO);
      EXPECT_EQ(Said(read), "cannot read " + (folder / "a.xml").string() +
                                ": it became shorter while it was read");
      continue;
    }
    ASSERT_TRUE(read) << Said(read);
    ASSERT_EQ(read->size, bytes.size());
    EXPECT_EQ(std::string(read->data.get(), read->size), bytes);
  }
}

// A file beyond memory and swap is refused before any room is asked for it. The file is
// sparse: it takes no space on the disk.
TEST(ReadHistoryFile, RefusesAFileLargerThanMemoryUnread) {
  TempFolder folder;
  const auto path = folder / "huge.xml";
  if (!test::MakeFileLargerThanMemory(path)) {
    GTEST_SKIP() << "this file system holds no sparse file that large";
  }
  const Result<HistoryBytes> read = ReadHistoryFile(path);
  EXPECT_FALSE(read);
  EXPECT_EQ(read.code(), ENOMEM);
  EXPECT_NE(Said(read).find(path.string()), std::string::npos) << Said(read);
}

}  // namespace
}  // namespace palvarin

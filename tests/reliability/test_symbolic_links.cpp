#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "files/atomic_file.hpp"
#include "support/history_builder.hpp"
#include "support/palvarin_process.hpp"
#include "support/test_support.hpp"
#include "two_pc_layout.hpp"

namespace palvarin {
namespace {

namespace fs = std::filesystem;
using test::MessageTexts;
using test::OneMessageHistory;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

using Texts = std::vector<std::string>;

// A history file reached through a symbolic link is written through the link: the file it
// names gets the merge and the link stays a link, so histories kept elsewhere (a synced
// folder, another disk) stay where they are. A link that names nothing is a file that cannot
// be read: the pair fails and nothing is created at the place it names.
class SymbolicLinks : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& folder : {pc1_, pc2_, store_}) fs::create_directories(folder);
  }

  test::ProcessResult Run(const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment = {}) {
    return test::RunPalvarin(arguments, folder_.Path(), folder_ / "profile.sqlite3", environment);
  }

  // No temporary file was left anywhere below the test folder.
  bool NoLeftovers() const {
    for (const auto& item : fs::recursive_directory_iterator(folder_.Path())) {
      if (IsTemporaryFileName(item.path().filename().string())) return false;
    }
    return true;
  }

  TempFolder folder_;
  fs::path pc1_ = folder_ / "pc1";
  fs::path pc2_ = folder_ / "pc2";
  fs::path store_ = folder_ / "store";
};

TEST_F(SymbolicLinks, AFileJobWritesThroughBothLinksAndBacksUpBesideThem) {
  WriteFile(store_ / "first.xml", OneMessageHistory("first", "12:00:00"));
  WriteFile(store_ / "second.xml", OneMessageHistory("second, later", "13:00:00"));
  fs::create_symlink("../store/first.xml", pc1_ / "a.xml");
  fs::create_symlink(store_ / "second.xml", pc2_ / "a.xml");
  const auto run = Run({"/n", "/f", "/o", "/b", "/p1", pc1_ / "a.xml", "/p2", pc2_ / "a.xml"});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const auto& link : {pc1_ / "a.xml", pc2_ / "a.xml"}) {
    EXPECT_TRUE(fs::is_symlink(link)) << link;
    EXPECT_EQ(MessageTexts(link), (Texts{"first", "second, later"})) << link;
  }
  EXPECT_EQ(fs::read_symlink(pc1_ / "a.xml"), "../store/first.xml");
  EXPECT_EQ(ReadFile(store_ / "first.xml"), ReadFile(store_ / "second.xml"));
  int backups = 0;
  for (const auto& item : fs::directory_iterator(pc1_)) {
    if (item.path().extension() != ".backup") continue;
    ++backups;
    EXPECT_FALSE(item.is_symlink());
    EXPECT_EQ(ReadFile(item.path()), OneMessageHistory("first", "12:00:00"));
  }
  EXPECT_EQ(backups, 1);
  EXPECT_TRUE(NoLeftovers());
}

TEST_F(SymbolicLinks, AFolderJobWritesThroughLinksAndRefusesDanglingOnes) {
  // A pair whose first file is a link, and one whose second file is.
  WriteFile(store_ / "linked1.xml", OneMessageHistory("in the store", "12:00:00"));
  fs::create_symlink("../store/linked1.xml", pc1_ / "linked1.xml");
  WriteFile(pc2_ / "linked1.xml", OneMessageHistory("on pc2, later", "13:00:00"));
  WriteFile(pc1_ / "linked2.xml", OneMessageHistory("on pc1", "12:00:00"));
  WriteFile(store_ / "linked2.xml", OneMessageHistory("in the store, later", "13:00:00"));
  fs::create_symlink("../store/linked2.xml", pc2_ / "linked2.xml");
  // Both names lead to one file: it is merged with itself and keeps its messages.
  WriteFile(store_ / "shared.xml", OneMessageHistory("shared", "12:00:00"));
  fs::create_symlink("../store/shared.xml", pc1_ / "shared.xml");
  fs::create_symlink("../store/shared.xml", pc2_ / "shared.xml");
  // A link to nothing, and a loop.
  fs::create_symlink("../store/gone.xml", pc1_ / "dangling.xml");
  WriteFile(pc2_ / "dangling.xml", OneMessageHistory("kept on pc2", "12:00:00"));
  fs::create_symlink("loop.xml", pc1_ / "loop.xml");
  WriteFile(pc2_ / "loop.xml", OneMessageHistory("kept as well", "12:00:00"));

  const auto run = Run({"/n", "/d", "/o", "/b", "/p1", pc1_, "/p2", pc2_});
  EXPECT_EQ(run.status, 1) << "the dangling link and the loop fail their pairs";
  for (const char* name : {"dangling.xml", "loop.xml"}) {
    EXPECT_NE(run.err.find((pc1_ / name).string()), std::string::npos) << name << run.err;
    EXPECT_TRUE(fs::is_symlink(pc1_ / name)) << name;
  }
  EXPECT_FALSE(fs::exists(store_ / "gone.xml")) << "nothing is created where a link points";
  EXPECT_EQ(ReadFile(pc2_ / "dangling.xml"), OneMessageHistory("kept on pc2", "12:00:00"));
  EXPECT_EQ(ReadFile(pc2_ / "loop.xml"), OneMessageHistory("kept as well", "12:00:00"));

  for (const auto& link : {pc1_ / "linked1.xml", pc2_ / "linked2.xml", pc1_ / "shared.xml"}) {
    EXPECT_TRUE(fs::is_symlink(link)) << link;
  }
  EXPECT_EQ(MessageTexts(store_ / "linked1.xml"), (Texts{"in the store", "on pc2, later"}));
  EXPECT_EQ(ReadFile(pc2_ / "linked1.xml"), ReadFile(store_ / "linked1.xml"));
  EXPECT_EQ(MessageTexts(store_ / "linked2.xml"), (Texts{"on pc1", "in the store, later"}));
  EXPECT_EQ(ReadFile(pc1_ / "linked2.xml"), ReadFile(store_ / "linked2.xml"));
  EXPECT_EQ(MessageTexts(store_ / "shared.xml"), (Texts{"shared"}));
  EXPECT_TRUE(NoLeftovers());
}

struct AliasRow {
  const char* name;
  const char* link;             // the link, below the test folder
  const char* target;           // what it names, relative to the link's folder
  bool separateOutput = false;  // the job writes to "out" instead of over both inputs
  bool gather = false;          // a gather of both folders into "out"
};

// Rows show by name in test listings.
void PrintTo(const AliasRow& row, std::ostream* out) { *out << row.name; }

class LinkToAnotherHistory : public SymbolicLinks,
                             public ::testing::WithParamInterface<AliasRow> {};

// A link that makes one name's file another name's history would have the job write one
// contact's history over another's, or a gather collect another contact's messages under the
// name: neither name is merged or copied, and the job says so.
TEST_P(LinkToAnotherHistory, LeavesBothNamesUntouched) {
  const AliasRow& row = GetParam();
  const fs::path link = folder_ / row.link;
  for (const auto& path : {pc1_ / "x.xml", pc2_ / "x.xml"}) {
    if (path != link) WriteFile(path, OneMessageHistory(path.string(), "12:00:00"));
  }
  WriteFile(pc1_ / "y.xml", OneMessageHistory("y on pc1", "13:00:00"));
  WriteFile(pc2_ / "y.xml", OneMessageHistory("y on pc2, a longer one", "14:00:00"));
  fs::create_directories(folder_ / "out");
  fs::create_symlink(row.target, link);
  const test::Snapshot before1 = test::TakeSnapshot(pc1_), before2 = test::TakeSnapshot(pc2_);

  const fs::path out = folder_ / "out";
  const auto run = row.gather ? Run({"--gather", "--input=" + pc1_.string(),
                                     "--input=" + pc2_.string(), "--output=" + out.string()})
                   : row.separateOutput
                       ? Run({"/n", "/d", "/t", "/p1", pc1_, "/p2", pc2_, "/ps", out})
                       : Run({"/n", "/d", "/o", "/b", "/p1", pc1_, "/p2", pc2_});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(link.string()), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(test::TakeSnapshot(pc1_), before1);
  EXPECT_EQ(test::TakeSnapshot(pc2_), before2);
  EXPECT_FALSE(fs::is_regular_file(fs::symlink_status(out / "x.xml"))) << "nothing written there";
}

INSTANTIATE_TEST_SUITE_P(
    SymbolicLinks, LinkToAnotherHistory,
    ::testing::Values(AliasRow{"SecondFolderIntoFirst", "pc2/x.xml", "../pc1/y.xml"},
                      AliasRow{"FirstFolderIntoSecond", "pc1/x.xml", "../pc2/y.xml"},
                      AliasRow{"WithinTheFirstFolder", "pc1/x.xml", "y.xml"},
                      AliasRow{"OutputIntoFirst", "out/x.xml", "../pc1/y.xml", true},
                      AliasRow{"GatheredFromTheFirstFolder", "pc2/x.xml", "../pc1/y.xml", false,
                               true}),
    test::RowName);

// A job's own files go into its output folder, and the search's index into the cache: none is
// written through a link found there to a file or folder elsewhere (an input's history, another
// program's database, a folder others may read). The name is refused and said, the link and
// what it names stay as they were, and the rest of the job is done.
struct OwnFileRow {
  const char* name;
  const char* link;    // the link, below the test folder
  const char* target;  // what it names, relative to the link's folder
  std::vector<std::string> arguments;
  int status;
  const char* said;  // the path standard error names, below the test folder
};

void PrintTo(const OwnFileRow& row, std::ostream* out) { *out << row.name; }

class LinkAtAnOwnFile : public SymbolicLinks, public ::testing::WithParamInterface<OwnFileRow> {
 protected:
  // Every entry below pc1, pc2 and elsewhere, with its bytes (for a file) and its mode.
  std::map<fs::path, std::pair<std::string, fs::perms>> Outside() const {
    std::map<fs::path, std::pair<std::string, fs::perms>> found;
    for (const char* root : {"pc1", "pc2", "elsewhere"}) {
      for (const auto& item : fs::recursive_directory_iterator(folder_ / root)) {
        found[item.path()] = {item.is_regular_file() ? ReadFile(item.path()) : "",
                              item.symlink_status().permissions()};
      }
    }
    return found;
  }
};

TEST_P(LinkAtAnOwnFile, IsNeitherWrittenThroughNorFollowed) {
  const OwnFileRow& row = GetParam();
  WriteFile(pc1_ / "a.xml", OneMessageHistory("hello from a on pc1", "12:00:00"));
  WriteFile(pc1_ / "b.xml", OneMessageHistory("hello from b on pc1", "12:00:00"));
  WriteFile(pc2_ / "a.xml", OneMessageHistory("hello from a on pc2", "13:00:00"));
  const fs::path elsewhere = folder_ / "elsewhere";
  fs::create_directories(elsewhere / "folder");
  fs::permissions(elsewhere / "folder", fs::perms(0755));
  WriteFile(elsewhere / "page.html", "another program's page");
  WriteFile(elsewhere / "kept.xml", OneMessageHistory("a history kept elsewhere", "11:00:00"));
  sqlite3* db = nullptr;
  ASSERT_EQ(::sqlite3_open((elsewhere / "other.sqlite3").c_str(), &db), SQLITE_OK);
  ::sqlite3_exec(db, "CREATE TABLE kept (what)", nullptr, nullptr, nullptr);
  ::sqlite3_close(db);
  fs::permissions(elsewhere / "other.sqlite3", fs::perms(0644));
  // The folders are this user's alone, as the cache's must be: only the link is wrong.
  const fs::path link = folder_ / row.link;
  for (const fs::path& folder : {folder_ / "cache", link.parent_path()}) {
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms(0700));
  }
  fs::create_symlink(row.target, link);
  const auto before = Outside();

  const auto run = Run(row.arguments, {"XDG_CACHE_HOME=" + (folder_ / "cache").string()});
  EXPECT_EQ(run.status, row.status) << run.err;
  EXPECT_NE(run.err.find(row.said), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Outside(), before);
}

const std::vector<std::string> kGather{"--gather", "--input=pc1", "--input=pc2", "--output=out"};
const std::vector<std::string> kExport{"--export=html", "--first=pc1", "--output=out"};
const std::vector<std::string> kSearch{"--search=hello", "--first=pc1"};
const std::vector<std::string> kFolderMerge{"/n",  "/d",  "/t",  "/p1", "pc1",
                                            "/p2", "pc2", "/ps", "out"};
constexpr const char* kIndex = "cache/palvarin/search-index.sqlite3";

INSTANTIATE_TEST_SUITE_P(
    SymbolicLinks, LinkAtAnOwnFile,
    ::testing::Values(
        OwnFileRow{"GatheredHistory", "out/a.xml", "../pc1/b.xml", kGather, 1, "out/a.xml"},
        OwnFileRow{"GatheredElsewhere", "out/a.xml", "../elsewhere/kept.xml", kGather, 1,
                   "out/a.xml"},
        OwnFileRow{"MergedPairElsewhere", "out/a.xml", "../elsewhere/page.html", kFolderMerge, 1,
                   "out/a.xml"},
        OwnFileRow{"OneSideCopyElsewhere", "out/b.xml", "../elsewhere/kept.xml", kFolderMerge, 1,
                   "out/b.xml"},
        OwnFileRow{"ExportedPage", "out/a.html", "../elsewhere/page.html", kExport, 1,
                   "out/a.html"},
        OwnFileRow{"ExportIndex", "out/index.html", "../elsewhere/page.html", kExport, 1,
                   "out/index.html"},
        OwnFileRow{"SearchIndexFile", kIndex, "../../elsewhere/other.sqlite3", kSearch, 0, kIndex},
        OwnFileRow{"SearchIndexFolder", "cache/palvarin", "../elsewhere/folder", kSearch, 0,
                   kIndex}),
    test::RowName);

}  // namespace
}  // namespace palvarin

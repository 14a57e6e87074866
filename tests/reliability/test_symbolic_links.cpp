#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
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

  test::ProcessResult Run(const std::vector<std::string>& arguments) {
    return test::RunPalvarin(arguments, folder_.Path(), folder_ / "profile.sqlite3");
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
};

// Rows show by name in test listings.
void PrintTo(const AliasRow& row, std::ostream* out) { *out << row.name; }

class LinkToAnotherHistory : public SymbolicLinks,
                             public ::testing::WithParamInterface<AliasRow> {};

// A link that makes one name's file another name's history would have the job write one
// contact's history over another's: neither name is merged or copied, and the job says so.
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

  const auto run = row.separateOutput
                       ? Run({"/n", "/d", "/t", "/p1", pc1_, "/p2", pc2_, "/ps", folder_ / "out"})
                       : Run({"/n", "/d", "/o", "/b", "/p1", pc1_, "/p2", pc2_});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(link.string()), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(test::TakeSnapshot(pc1_), before1);
  EXPECT_EQ(test::TakeSnapshot(pc2_), before2);
}

INSTANTIATE_TEST_SUITE_P(
    SymbolicLinks, LinkToAnotherHistory,
    ::testing::Values(AliasRow{"SecondFolderIntoFirst", "pc2/x.xml", "../pc1/y.xml"},
                      AliasRow{"FirstFolderIntoSecond", "pc1/x.xml", "../pc2/y.xml"},
                      AliasRow{"WithinTheFirstFolder", "pc1/x.xml", "y.xml"},
                      AliasRow{"OutputIntoFirst", "out/x.xml", "../pc1/y.xml", true}),
    test::RowName);

}  // namespace
}  // namespace palvarin

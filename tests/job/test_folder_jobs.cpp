#include <gtest/gtest.h>

#include <set>
#include <string>

#include "files/file_ops.hpp"
#include "support/history_builder.hpp"
#include "support/palvarin_process.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using test::HistoryText;
using test::MessageTexts;
using test::OneMessageHistory;
using test::ReadFile;
using test::RunPalvarin;
using test::TempFolder;
using test::WriteFile;

std::set<std::string> Names(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    names.insert(item.path().filename().string());
  }
  return names;
}

// Two PCs' folders: a contact on both, one on each side only, names that differ in case
// only, and files that are not history files by their names.
class FolderJob : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(pc1_);
    std::filesystem::create_directories(pc2_);
    std::filesystem::create_directories(out_);
    WriteFile(pc1_ / "both.xml", OneMessageHistory("from pc1", "12:00:00"));
    WriteFile(pc2_ / "both.xml", OneMessageHistory("from the second pc", "13:00:00"));
    WriteFile(pc1_ / "only1.xml", OneMessageHistory("only on pc1"));
    WriteFile(pc2_ / "only2.xml", OneMessageHistory("only on pc2"));
    WriteFile(pc1_ / "Case.xml", OneMessageHistory("upper"));
    WriteFile(pc2_ / "case.xml", OneMessageHistory("lower"));
    WriteFile(pc1_ / "capital.XML", OneMessageHistory("ignored"));
    WriteFile(pc2_ / "capital.XML", OneMessageHistory("ignored too"));
    WriteFile(pc1_ / ".xml", OneMessageHistory("no name"));
    WriteFile(pc2_ / "notes.txt", "not a history");
  }
  test::ProcessResult Run(const std::vector<std::string>& arguments) {
    return RunPalvarin(arguments, folder_.Path(), folder_ / "profile.sqlite3");
  }
  TempFolder folder_;
  std::filesystem::path pc1_ = folder_ / "pc1";
  std::filesystem::path pc2_ = folder_ / "pc2";
  std::filesystem::path out_ = folder_ / "out";
};

TEST_F(FolderJob, SeparateOutputHoldsTheUnionOfHistoryFiles) {
  WriteFile(out_ / "only2.xml", "an older output, kept");
  const auto run = Run({"/n", "/d", "/t", "/p1", pc1_, "/p2", pc2_, "/ps", out_});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Names(out_),
            (std::set<std::string>{"Case.xml", "both.xml", "case.xml", "only1.xml", "only2.xml"}));
  EXPECT_EQ(MessageTexts(out_ / "both.xml"),
            (std::vector<std::string>{"from pc1", "from the second pc"}));
  EXPECT_EQ(ReadFile(out_ / "only1.xml"), ReadFile(pc1_ / "only1.xml"));
  EXPECT_EQ(ReadFile(out_ / "Case.xml"), ReadFile(pc1_ / "Case.xml")) << "not paired by case";
  EXPECT_EQ(ReadFile(out_ / "case.xml"), ReadFile(pc2_ / "case.xml"));
  EXPECT_EQ(ReadFile(out_ / "only2.xml"), "an older output, kept");
  EXPECT_EQ(ReadFile(pc1_ / "both.xml"), OneMessageHistory("from pc1", "12:00:00"))
      << "inputs untouched";
}

// A history of one side only that is cut off: without --rescue it is not copied, saying where
// it breaks; with it its whole entries are written, and in overwrite mode the cut file is kept
// as a backup before it is written over, though backups are off.
TEST_F(FolderJob, ACutOneSideHistoryIsCopiedOnlyWhenRescued) {
  const std::string whole = HistoryText(
      {{"2006/01/23", "12:00:00", "kept whole"}, {"2006/01/23", "12:01:00", "cut short"}});
  const std::string cut = whole.substr(0, whole.find("cut short"));
  const std::string breaks = (pc1_ / "cut.xml").string() + " is cut off at byte " +
                             std::to_string(cut.size()) + ": 1 whole entry before it";
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string said;
    std::filesystem::path written;  // where the whole entries go; empty: nowhere
    int backups;                    // of the cut file, holding its bytes
  } rows[] = {
      {{"/o"}, 1, "it was not copied, --rescue copies its whole entries", {}, 0},
      {{"/o", "--rescue", "--dry-run"}, 0, "only its whole entries would be merged", {}, 0},
      {{"/t", "/ps", out_.string(), "--rescue"}, 0, "only its whole entries were merged", out_, 0},
      {{"/o", "--rescue"}, 0, "only its whole entries were merged", pc2_, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.arguments[0] + " " + row.arguments.back());
    WriteFile(pc1_ / "cut.xml", cut);
    std::filesystem::remove(pc2_ / "cut.xml");
    std::vector<std::string> arguments = {"/n", "/d", "/nb", "/p1", pc1_, "/p2", pc2_};
    arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
    const auto run = Run(arguments);
    EXPECT_EQ(run.status, row.status) << run.err;
    EXPECT_NE((run.out + run.err).find(breaks), std::string::npos) << run.out << run.err;
    EXPECT_NE((run.out + run.err).find(row.said), std::string::npos) << run.out << run.err;
    if (row.written.empty()) {
      EXPECT_FALSE(std::filesystem::exists(pc2_ / "cut.xml"));
    } else {
      EXPECT_EQ(MessageTexts(row.written / "cut.xml"), std::vector<std::string>{"kept whole"});
    }
    EXPECT_EQ(ReadFile(pc1_ / "cut.xml") == cut, row.written != pc2_);
    int backups = 0;
    for (const std::string& name : Names(pc1_)) {
      if (name.starts_with("cut.xml_")) {
        backups += ReadFile(pc1_ / name) == cut;
        std::filesystem::remove(pc1_ / name);
      }
    }
    EXPECT_EQ(backups, row.backups);
  }
}

// A history found on one side only that the separate output holds already (an earlier job's
// copy, say): the output's file is taken for a copy of it and merged with it, so the output
// gains what the history gained and keeps what only it holds, even where the archive rule
// would say otherwise. A dry run only says so; a file there that is no history is left alone.
TEST_F(FolderJob, AOneSideHistoryIsMergedWithTheSeparateOutputsCopy) {
  const test::TestMessage first = {"2006/01/23", "12:00:00", "only on pc1", 1};
  const test::TestMessage kept = {"2006/01/24", "09:00:00", "deleted on pc1, kept", 2};
  const test::TestMessage added = {"2006/02/01", "20:00:00", "new on pc1", 3};
  const auto from = pc1_ / "only1.xml", to = out_ / "only1.xml", other = out_ / "only2.xml";
  WriteFile(from, HistoryText({first, kept}));
  WriteFile(to, HistoryText({first, kept}));
  // The two merged by a file job: a record by which the archive rule would drop `kept`.
  ASSERT_EQ(Run({"/n", "/f", "/t", "/na", "/p1", from, "/p2", to, "/ps", folder_ / "x.xml"}).status,
            0);
  WriteFile(from, HistoryText({first, added}));
  WriteFile(other, "not a history");
  const std::string before = ReadFile(to);
  const std::vector<std::string> job = {"/n", "/d",  "/t", "/na", "/p1",
                                        pc1_, "/p2", pc2_, "/ps", out_};
  const std::string said = from.string() + " -> " + to.string() + ": found on one side only, ";

  std::vector<std::string> dry = job;
  dry.push_back("--dry-run");
  const auto tried = Run(dry);
  ASSERT_EQ(tried.status, 0) << tried.err;
  EXPECT_NE(tried.out.find("would merge " + said + "to be merged with the output's copy"),
            std::string::npos)
      << tried.out;
  EXPECT_EQ(ReadFile(to), before);

  const std::string json = (folder_ / "report.json").string();
  std::vector<std::string> real = job;
  real.insert(real.end(), {"/report", json});
  const auto run = Run(real);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(MessageTexts(to), (std::vector<std::string>{first.text, kept.text, added.text}));
  EXPECT_NE(run.out.find("merged " + said + "merged with the output's copy"), std::string::npos)
      << run.out;
  EXPECT_NE(
      run.out.find("kept " + other.string() + ": " + other.string() + " is not a message history"),
      std::string::npos)
      << run.out;
  EXPECT_EQ(ReadFile(other), "not a history");
  const std::string report = ReadFile(json);
  EXPECT_NE(report.find("\"outcome\":\"mergedWithOutput\""), std::string::npos) << report;
  EXPECT_NE(report.find("\"copiesMergedWithOutput\":1"), std::string::npos) << report;
}

// Every copy is named on the terminal and in the report as what it is: a file of one folder
// only is a one-side copy in either direction, a merged pair's file a copy back.
TEST_F(FolderJob, OverwriteBringsBothFoldersToTheMergedUnion) {
  const Result<FileFacts> only2 = ReadFileFacts(pc2_ / "only2.xml");
  ASSERT_TRUE(only2);
  const std::string json = (folder_ / "report.json").string();
  const auto run = Run({"/n", "/d", "/o", "/nb", "/p1", pc1_, "/p2", pc2_, "/report", json});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string report = ReadFile(json);
  const std::string oneSide[][2] = {{pc1_ / "only1.xml", pc2_ / "only1.xml"},
                                    {pc2_ / "only2.xml", pc1_ / "only2.xml"}};
  for (const auto& [from, to] : oneSide) {
    EXPECT_NE(run.out.find("copied " + from + " -> " + to + ": found on one side only"),
              std::string::npos)
        << run.out;
    EXPECT_NE(report.find("\"from\":\"" + from + "\",\"to\":\"" + to + "\",\"kind\":\"oneSide\""),
              std::string::npos)
        << report;
  }
  EXPECT_NE(run.out.find("copied back " + (pc1_ / "both.xml").string() + " -> " +
                         (pc2_ / "both.xml").string()),
            std::string::npos)
      << run.out;
  const std::set<std::string> histories = {"Case.xml", "both.xml", "case.xml", "only1.xml",
                                           "only2.xml"};
  for (const auto& folder : {pc1_, pc2_}) {
    for (const std::string& name : histories) {
      ASSERT_TRUE(std::filesystem::exists(folder / name)) << folder / name;
    }
  }
  for (const std::string& name : histories) {
    EXPECT_EQ(ReadFile(pc1_ / name), ReadFile(pc2_ / name)) << name;
  }
  EXPECT_EQ(MessageTexts(pc2_ / "both.xml"),
            (std::vector<std::string>{"from pc1", "from the second pc"}));
  EXPECT_EQ(MessageTexts(pc2_ / "only1.xml"), (std::vector<std::string>{"only on pc1"}));
  EXPECT_EQ(ReadFile(pc1_ / "capital.XML"), OneMessageHistory("ignored"))
      << "not a history file by name";
  EXPECT_EQ(ReadFile(pc2_ / "capital.XML"), OneMessageHistory("ignored too"));
  EXPECT_FALSE(std::filesystem::exists(pc2_ / ".xml"));
  EXPECT_EQ(ReadFileFacts(pc2_ / "only2.xml")->identity, only2->identity)
      << "a file copied from the second folder is not copied back over itself";
}

// A rotation counts every backup whose name begins with its input's name. With a maximum of
// one, "a.xml" deletes all of them, also those of "a.xml_2.xml" and the others below; the
// backups this job made of each input must still be there when it ends.
TEST_F(FolderJob, EveryBackupMadeByTheJobSurvivesTheOtherNamesRotations) {
  std::vector<std::string> names = {"a.xml"};
  for (int i = 0; i < 24; ++i) names.push_back("a.xml_" + std::to_string(i) + ".xml");
  for (const std::string& name : names) {
    WriteFile(pc1_ / name, OneMessageHistory(name + " on pc1", "12:00:00"));
    WriteFile(pc2_ / name, OneMessageHistory(name + " on the second pc", "13:00:00"));
  }
  const auto run = Run({"/n", "/d", "/o", "/b", "/bm", "1", "/p1", pc1_, "/p2", pc2_});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const auto& folder : {pc1_, pc2_}) {
    for (const std::string& name : names) {
      int backups = 0;
      for (const std::string& found : Names(folder)) {
        const bool ofThisName = found.size() == name.size() + 22 && found.starts_with(name + "_") &&
                                found.ends_with(".backup");
        backups += ofThisName ? 1 : 0;
      }
      EXPECT_EQ(backups, 1) << folder / name;
    }
  }
  EXPECT_EQ(MessageTexts(pc2_ / "a.xml_7.xml"),
            (std::vector<std::string>{"a.xml_7.xml on pc1", "a.xml_7.xml on the second pc"}));
}

}  // namespace
}  // namespace palvarin

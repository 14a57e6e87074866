#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/message_text.hpp"
#include "program_test.hpp"
#include "state/profile_store.hpp"
#include "state/settings_store.hpp"
#include "support/history_builder.hpp"
#include "support/palvarin_process.hpp"
#include "support/test_support.hpp"
#include "texts/help_text.hpp"

namespace palvarin {
namespace {

using test::ReadFile;
using test::RunPalvarin;
using test::TempFolder;
using test::WriteFile;

class StartUp : public test::ProgramTest {};

TEST_F(StartUp, EachCauseOfBadArgumentsShowsMessage204ThenHelp) {
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    std::string named;  // what standard error names of the cause
  } rows[] = {
      {"bare path", {"/n", "/f", "/t", a_}, "unexpected argument '" + a_.string() + "'"},
      {"misspelt switch", {"/n", "/pp1", a_}, "unknown option '/pp1'"},
      {"unknown switch", {"/n", "/x"}, "unknown option '/x'"},
      {"unknown switch like a known one", {"/n", "/f", "/bx"}, "unknown option '/bx'"},
      {"value switch last", {"/n", "/f", "/o", "/p1", a_, "/p2"}, "'/p2'"},
      {"headless without the second path", {"/n", "/f", "/o", "/p1", a_}, "--second"},
      {"headless, separate output without its path",
       {"/n", "/f", "/t", "/p1", a_, "/p2", b_},
       "--output"},
      {"error wins over help", {"/n", "/h", "/bogus"}, "unknown option '/bogus'"},
  };
  const std::string message(MessageText(kMessageBadArguments));
  for (const auto& row : rows) {
    const auto run = Run(row.arguments);
    EXPECT_EQ(run.status, 2) << row.name;
    EXPECT_EQ(run.err.find("palvarin: " + message), 0u) << row.name << run.err;
    EXPECT_NE(run.err.find(row.named), std::string::npos) << row.name << run.err;
    EXPECT_NE(run.err.find(TerminalHelpText()), std::string::npos) << row.name;
    EXPECT_TRUE(NoProfileMade()) << row.name;
  }
}

TEST_F(StartUp, HelpWinsOverAHeadlessJob) {
  const auto run = Run({"/n", "/h", "/f", "/o", "/p1", a_, "/p2", b_});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, TerminalHelpText() + "\n");
  EXPECT_EQ(test::MessageTexts(b_), (std::vector<std::string>{"two"})) << "nothing merged";
  EXPECT_TRUE(NoProfileMade());
}

// The version on standard output and nothing else, even where a window could be opened: the
// display named here does not exist, so any attempt to open a window would end the run.
TEST_F(StartUp, VersionPrintsTwoLinesAndOpensNoWindow) {
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
  } rows[] = {
      {"alone, no display", {"--version"}, {}},
      {"with a display", {"--VERSION"}, {"DISPLAY=:9731"}},
      {"with a chosen platform", {"--version"}, {"QT_QPA_PLATFORM=xcb", "DISPLAY=:9731"}},
      {"wins over help and a job", {"/h", "--version", "/f", "/o", "/p1", a_, "/p2", b_}, {}},
  };
  for (const auto& row : rows) {
    const auto run = RunPalvarin(row.arguments, folder_.Path(), profile_, row.environment);
    EXPECT_EQ(run.status, 0) << row.name << run.err;
    EXPECT_EQ(run.out.find("palvarin " PALVARIN_PROJECT_VERSION "\nLicense "), 0u)
        << row.name << run.out;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 2) << row.name << run.out;
    EXPECT_EQ(run.err, "") << row.name;
    EXPECT_EQ(test::MessageTexts(b_), (std::vector<std::string>{"two"})) << row.name;
    EXPECT_TRUE(NoProfileMade()) << row.name;
  }
}

TEST_F(StartUp, VersionAfterABadArgumentIsRefused) {
  const auto run = Run({"--version", "--bogus"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  // A long switch makes it a GNU usage error: the problem and the hint, no version.
  EXPECT_NE(run.err.find("unknown option '--bogus'"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("--help"), std::string::npos) << run.err;
}

// The message names the field and the path it is about; no history changes.
TEST_F(StartUp, RefusedJobsExitWithStatusTwoAndSaveNothing) {
  std::filesystem::create_directory(folder_ / "dir");
  std::filesystem::create_directory(folder_ / "dir2");
  const std::string missing = folder_ / "missing.xml";
  const std::string dir = folder_ / "dir";
  const std::string dir2 = folder_ / "dir2";
  const std::string nowhere = folder_ / "nowhere";
  const std::string linkToA = folder_ / "link.xml";
  std::filesystem::create_symlink("a.xml", linkToA);
  for (const auto& folder : {dir, dir2}) {
    WriteFile(folder + "/x.xml", test::HistoryText({{"2006/01/23", "12:00:00", folder, 1}}));
  }
  const auto histories = [&] {
    std::string all;
    for (const std::string& file : {a_.string(), b_.string(), dir + "/x.xml", dir2 + "/x.xml"}) {
      all += ReadFile(file);
    }
    return all;
  };
  const std::string before = histories();
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    MessageId message;
    const char* field;
    std::string path;
  } rows[] = {
      {"missing input",
       {"/n", "/f", "/o", "/p1", a_, "/p2", missing},
       kMessageMissingPath,
       "Second input",
       missing},
      {"folder job, missing output folder",
       {"/n", "/d", "/t", "/p1", dir, "/p2", dir, "/ps", nowhere},
       kMessageMissingPath,
       "Output",
       nowhere},
      {"folder job with a file",
       {"/n", "/d", "/o", "/p1", a_, "/p2", dir},
       kMessageNotFolder,
       "First input",
       a_},
      {"folder job, output is a file",
       {"/n", "/d", "/t", "/p1", dir, "/p2", dir2, "/ps", a_},
       kMessageNotFolder,
       "Output",
       a_},
      {"file job with a folder",
       {"/n", "/f", "/o", "/p1", a_, "/p2", dir},
       kMessageNotFile,
       "Second input",
       dir},
      {"file merged with itself",
       {"/n", "/f", "/o", "/p1", a_, "/p2", a_},
       kMessageSamePath,
       "Second input",
       a_},
      {"file merged with a link to it",
       {"/n", "/f", "/o", "/p1", linkToA, "/p2", a_},
       kMessageSamePath,
       "Second input",
       a_},
      {"folder merged with itself",
       {"/n", "/d", "/o", "/p1", dir, "/p2", dir + "/."},
       kMessageSamePath,
       "Second input",
       dir + "/."},
      {"separate output over the first input",
       {"/n", "/f", "/t", "/p1", a_, "/p2", b_, "/ps", linkToA},
       kMessageSamePath,
       "Output",
       linkToA},
      {"separate output folder over the second",
       {"/n", "/d", "/t", "/p1", dir, "/p2", dir2, "/ps", dir2},
       kMessageSamePath,
       "Output",
       dir2},
  };
  for (const auto& row : rows) {
    const auto run = Run(row.arguments);
    EXPECT_EQ(run.status, 2) << row.name;
    EXPECT_EQ(run.err, "palvarin: " + std::string(MessageText(row.message)) +
                           "\npalvarin: " + row.field + ": " + row.path + "\n")
        << row.name;
    EXPECT_TRUE(NothingSaved()) << row.name;
    EXPECT_EQ(histories(), before) << row.name;
  }
}

// An overwrite folder job uses no output: the one a file job stored before it, a file, is
// neither checked nor changed. Two folders without a history merge nothing and say so.
TEST_F(StartUp, AFolderJobIgnoresAStoredOutputAndSaysWhenItFindsNoHistory) {
  const std::string out = (folder_ / "out.xml").string();
  ASSERT_EQ(Run({"/n", "/f", "/t", "/p1", a_, "/p2", b_, "/ps", out}).status, 0);
  const std::filesystem::path pc1 = folder_ / "pc1";
  const std::filesystem::path pc2 = folder_ / "pc2";
  std::filesystem::create_directories(pc1);
  std::filesystem::create_directories(pc2);
  WriteFile(pc1 / "notes.txt", "no history");
  const auto empty = Run({"/n", "/d", "/o", "/nb", "/p1", pc1, "/p2", pc2});
  EXPECT_EQ(empty.status, 1) << empty.err;
  EXPECT_NE(empty.err.find(pc1.string() + " and " + pc2.string() + " hold no message history"),
            std::string::npos)
      << empty.err;
  std::filesystem::copy_file(a_, pc1 / "a.xml");
  const auto merged = Run({"/n", "/d", "/o", "/nb", "/p1", pc1, "/p2", pc2});
  EXPECT_EQ(merged.status, 0) << merged.err;
  EXPECT_EQ(ReadFile(pc2 / "a.xml"), ReadFile(a_));
  ProfileStore store(profile_, ProfileAccess::ReadOnly);
  MergeSettings stored;
  LoadSettings(store, stored);
  EXPECT_EQ(stored.PathSave, out) << "the stored output is kept for the next job that uses it";
}

// Only a job that ran stores its settings: a dry run after it keeps them, saying nothing of them.
TEST_F(StartUp, ADryRunKeepsTheStoredSettings) {
  ASSERT_EQ(Run({"/n", "/f", "/o", "/nb", "/p1", a_, "/p2", b_}).status, 0);
  const auto dry = Run({"/n", "/f", "/t", "/dry", "/p1", b_, "/p2", a_, "/ps", folder_ / "c.xml"});
  EXPECT_EQ(dry.status, 0) << dry.err;
  EXPECT_EQ(dry.err, "");
  ProfileStore store(profile_, ProfileAccess::ReadOnly);
  MergeSettings stored;
  LoadSettings(store, stored);
  EXPECT_EQ(stored.Path1, a_.string());
  EXPECT_EQ(stored.OutTarget, OutTarget::OverWrite);
}

TEST_F(StartUp, WithoutArgumentsAndWithoutWindowsItSaysSo) {
  const auto run = Run({});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("dialog"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(TerminalHelpText()), std::string::npos);
}

// The switches of a headless job's report: without /n they are refused; quiet leaves standard
// output empty; standard error that is no terminal gets no progress line; a report file holds
// the JSON of the job.
TEST_F(StartUp, ReportSwitchesShapeOnlyAHeadlessJob) {
  const std::string json = (folder_ / "report.json").string();
  const auto refused = Run({"/f", "/o", "/p1", a_, "/p2", b_, "--dry-run"});
  EXPECT_EQ(refused.status, 2) << refused.err;
  EXPECT_EQ(Run({"/f", "/o", "/p1", a_, "/p2", b_, "--report", json}).status, 2);
  EXPECT_TRUE(NothingSaved());

  WriteFile(b_, test::HistoryText({{"2006/01/23", "13:00:00", "two, a longer one", 1}}));
  const auto quiet = Run({"/n", "/f", "/o", "/nb", "/p1", a_, "/p2", b_, "/q", "/report", json});
  EXPECT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.out, "");
  EXPECT_EQ(quiet.err, "");
  const std::string report = ReadFile(json);
  EXPECT_NE(report.find("\"outcome\":\"merged\""), std::string::npos) << report;
  EXPECT_NE(report.find("\"kind\":\"copyBack\""), std::string::npos) << report;

  WriteFile(b_, test::HistoryText({{"2006/01/23", "14:00:00", "three, of another size", 1}}));
  const auto loud = Run({"/n", "/f", "/o", "/nb", "/p1", a_, "/p2", b_});
  EXPECT_EQ(loud.status, 0) << loud.err;
  EXPECT_NE(loud.out.find("1 pair merged"), std::string::npos) << loud.out;
  EXPECT_EQ(loud.err.find('\r'), std::string::npos) << "a progress line went to a file";
}

}  // namespace
}  // namespace palvarin

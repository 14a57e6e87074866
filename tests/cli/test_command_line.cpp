#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "app/command_line.hpp"
#include "switches.hpp"

namespace palvarin {
namespace {

// A profile-like starting point in which every switch has something to change.
MergeSettings Loaded() {
  MergeSettings settings;
  settings.InTarget = InTarget::Folder;
  settings.OutTarget = OutTarget::OtherFile;
  settings.CreateBackup = false;
  settings.NotMergeSameDatetime = false;
  settings.IgnoreOldMerge = false;
  settings.FindEchoes = false;
  return settings;
}

// The switches of `arguments`, their settings laid over `settings`.
Switches Read(const std::vector<std::string>& arguments, MergeSettings& settings) {
  Switches line = ReadSwitches(arguments);
  settings = line.settings.Over(settings);
  return line;
}

struct SwitchRow {
  std::vector<const char*> forms;
  std::function<bool(const MergeSettings&, const Switches&)> applied;
};

// Every form of every switch, in slash and dash form, as written and in other letter cases.
TEST(ReadSwitches, EverySwitchInEveryFormAndCase) {
  const SwitchRow rows[] = {
      {{"/n", "/nowindow", "-n", "-nowindow"}, [](auto&, auto& l) { return l.headless; }},
      {{"/f", "-f"}, [](auto& s, auto&) { return s.InTarget == InTarget::File; }},
      {{"/o", "-o"}, [](auto& s, auto&) { return s.OutTarget == OutTarget::OverWrite; }},
      {{"/b", "-b"}, [](auto& s, auto&) { return s.CreateBackup; }},
      {{"/nt", "-nt"}, [](auto& s, auto&) { return s.NotMergeSameDatetime; }},
      {{"/na", "-na"}, [](auto& s, auto&) { return s.IgnoreOldMerge; }},
      {{"--find-echoes"}, [](auto& s, auto&) { return s.FindEchoes; }},
      {{"/h", "/help", "-h", "-help", "--help"}, [](auto&, auto& l) { return l.help; }},
      {{"/dry", "-dry", "--dry-run"}, [](auto&, auto& l) { return l.dryRun; }},
      {{"/q", "-q", "--quiet"}, [](auto&, auto& l) { return l.quiet; }},
  };
  for (const auto& row : rows) {
    for (const char* form : row.forms) {
      std::string upper = form;
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      std::string mixed = form;
      mixed[1] = static_cast<char>(std::toupper(static_cast<unsigned char>(mixed[1])));
      for (const std::string& argument : {std::string(form), upper, mixed}) {
        MergeSettings settings = Loaded();
        const Switches line = Read({argument}, settings);
        EXPECT_FALSE(line.Refused()) << argument;
        EXPECT_TRUE(row.applied(settings, line)) << argument;
      }
    }
  }
}

TEST(ReadSwitches, SwitchesThatClearOrChooseTheOtherSide) {
  const struct {
    const char* argument;
    std::function<bool(const MergeSettings&)> applied;
  } rows[] = {
      {"/d", [](auto& s) { return s.InTarget == InTarget::Folder; }},
      {"-D", [](auto& s) { return s.InTarget == InTarget::Folder; }},
      {"/t", [](auto& s) { return s.OutTarget == OutTarget::OtherFile; }},
      {"-T", [](auto& s) { return s.OutTarget == OutTarget::OtherFile; }},
      {"/nb", [](auto& s) { return !s.CreateBackup; }},
      {"-NB", [](auto& s) { return !s.CreateBackup; }},
      {"/a", [](auto& s) { return !s.IgnoreOldMerge; }},
      {"-A", [](auto& s) { return !s.IgnoreOldMerge; }},
      {"--keep-echoes", [](auto& s) { return !s.FindEchoes; }},
      {"--Keep-Echoes", [](auto& s) { return !s.FindEchoes; }},
  };
  for (const auto& row : rows) {
    MergeSettings settings;
    settings.InTarget = InTarget::File;
    settings.OutTarget = OutTarget::OverWrite;
    EXPECT_FALSE(Read({row.argument}, settings).Refused()) << row.argument;
    EXPECT_TRUE(row.applied(settings)) << row.argument;
  }
}

TEST(ReadSwitches, ValueSwitchesTakeTheNextArgumentVerbatim) {
  const struct {
    std::vector<std::string> arguments;
    std::string MergeSettings::*field;
    std::string expected;
  } rows[] = {
      {{"/p1", "a.xml"}, &MergeSettings::Path1, "a.xml"},
      {{"-PATH1", "/n"}, &MergeSettings::Path1, "/n"},
      {{"/p2", "-h"}, &MergeSettings::Path2, "-h"},
      {{"-Path2", " spaced /x "}, &MergeSettings::Path2, " spaced /x "},
      {{"/ps", "out"}, &MergeSettings::PathSave, "out"},
      {{"/pathSave", "/p1"}, &MergeSettings::PathSave, "/p1"},
      {{"-pathsave", ""}, &MergeSettings::PathSave, ""},
      {{"/p1", "first", "/p1", "later wins"}, &MergeSettings::Path1, "later wins"},
  };
  for (const auto& row : rows) {
    MergeSettings settings;
    const Switches line = Read(row.arguments, settings);
    EXPECT_FALSE(line.Refused()) << row.arguments[0];
    EXPECT_FALSE(line.headless || line.help) << "a value is never read as a switch";
    EXPECT_EQ(settings.*row.field, row.expected) << row.arguments[0];
  }
}

// A whole number from 0 to 100, as the dialog takes it; anything else is a usage error that
// keeps the maximum as it was.
TEST(ReadSwitches, BackupMaximumNumberRules) {
  const struct {
    const char* text;
    std::optional<std::uint32_t> expected;
  } rows[] = {
      {"5", 5},
      {"  12 ", 12},
      {"0", 0},
      {"100", 100},
      {"0007", 7},
      {"abc", std::nullopt},
      {"-1", std::nullopt},
      {"3x", std::nullopt},
      {"+7", std::nullopt},
      {"", std::nullopt},
      {"101", std::nullopt},
      {"4294967301", std::nullopt},
  };
  for (const auto& row : rows) {
    MergeSettings settings;
    settings.BackupMax = 42;
    const Switches line = Read({"-BM", row.text}, settings);
    EXPECT_EQ(line.Refused(), !row.expected) << '"' << row.text << '"';
    EXPECT_EQ(settings.BackupMax, row.expected.value_or(42)) << '"' << row.text << '"';
  }
}

TEST(ReadSwitches, ErrorsAndHowReadingGoesOn) {
  const struct {
    const char* name;
    std::vector<std::string> arguments;
  } errors[] = {
      {"bare path", {"/n", "history.xml"}},
      {"misspelt switch", {"/pl", "x"}},
      {"value switch last", {"/n", "/p1"}},
      {"backup maximum last", {"/bm"}},
      {"double slash", {"//n"}},
      {"switch with a value glued on", {"/p1=x"}},
  };
  for (const auto& row : errors) {
    MergeSettings settings;
    EXPECT_TRUE(Read(row.arguments, settings).Refused()) << row.name;
  }
  MergeSettings settings;
  const Switches line = Read({"bogus", "/h", "/f"}, settings);
  EXPECT_TRUE(line.Refused() && line.help) << "reading never stops early";
  EXPECT_EQ(settings.InTarget, InTarget::File);
}

// "--version" in its one long form, in any letter case; look-alikes are refused.
TEST(ReadSwitches, VersionOnlyInItsLongForm) {
  const struct {
    const char* argument;
    bool version;
  } rows[] = {
      {"--version", true},   {"--VERSION", true},    {"--Version", true}, {"-version", false},
      {"/version", false},   {"--versions", false},  {"version", false},  {"--v", false},
      {"---version", false}, {"--version=1", false},
  };
  for (const auto& row : rows) {
    MergeSettings settings;
    const Switches line = Read({row.argument}, settings);
    EXPECT_EQ(line.version, row.version) << row.argument;
    EXPECT_EQ(line.Refused(), !row.version) << row.argument;
    EXPECT_FALSE(line.help || line.headless) << row.argument;
  }
  MergeSettings settings;
  const Switches line = Read({"/n", "--version", "/f"}, settings);
  EXPECT_TRUE(line.version && line.headless && !line.Refused());
  EXPECT_EQ(settings.InTarget, InTarget::File) << "reading goes on after it";
}

TEST(ReadSwitches, NoSwitchClearsTheUnchangedSkip) {
  MergeSettings settings;
  settings.NotMergeSameDatetime = false;
  Read({"/t", "/a", "/nb", "/d"}, settings);
  EXPECT_FALSE(settings.NotMergeSameDatetime);
  settings.NotMergeSameDatetime = true;
  Read({"/t", "/a", "/nb", "/d"}, settings);
  EXPECT_TRUE(settings.NotMergeSameDatetime);
}

// The report's file is taken as it stands, even when it looks like a switch; without it the
// command line is in error.
TEST(ReadSwitches, ReportTakesTheNextArgumentVerbatim) {
  const struct {
    std::vector<std::string> arguments;
    std::string file;
    bool error;
  } rows[] = {
      {{"/n", "--report", "out.json"}, "out.json", false},
      {{"/REPORT", "/dry"}, "/dry", false},
      {{"-report", "a b.json", "/q"}, "a b.json", false},
      {{"/n", "--report"}, "", true},
  };
  for (const auto& row : rows) {
    MergeSettings settings = Loaded();
    const Switches line = Read(row.arguments, settings);
    EXPECT_EQ(line.reportFile, row.file) << row.arguments.back();
    EXPECT_EQ(line.Refused(), row.error) << row.arguments.back();
    EXPECT_FALSE(line.dryRun) << "a file named like a switch is no switch";
  }
}

// Each long switch does what its slash form does, in any letter case.
TEST(ReadSwitches, LongSwitchesActLikeTheirSlashForms) {
  const struct {
    std::vector<std::string> longForm;
    std::vector<std::string> slashForm;
  } rows[] = {
      {{"--no-window"}, {"/n"}},
      {{"--files"}, {"/f"}},
      {{"--folders"}, {"/d"}},
      {{"--overwrite"}, {"/o"}},
      {{"--separate-output"}, {"/t"}},
      {{"--backup"}, {"/b"}},
      {{"--no-backup"}, {"/nb"}},
      {{"--skip-unchanged"}, {"/nt"}},
      {{"--archive-rule"}, {"/na"}},
      {{"--keep-all"}, {"/a"}},
      {{"--help"}, {"/h"}},
      {{"--first", "a.xml"}, {"/p1", "a.xml"}},
      {{"--second", "b.xml"}, {"/p2", "b.xml"}},
      {{"--output", "out"}, {"/ps", "out"}},
      {{"--backup-max", "7"}, {"/bm", "7"}},
      {{"--first=a.xml"}, {"/p1", "a.xml"}},
      {{"--output=x=y"}, {"/ps", "x=y"}},
      {{"--second="}, {"/p2", ""}},
      {{"--backup-max=12"}, {"/bm", "12"}},
      {{"--merge-unchanged"}, {"/mu"}},
      {{"--First=A.xml"}, {"/p1", "A.xml"}},
      {{"--NO-WINDOW"}, {"/n"}},
      {{"--dry-run"}, {"/dry"}},
      {{"--quiet"}, {"/q"}},
      {{"--report", "r.json"}, {"/report", "r.json"}},
      {{"--report=r.json"}, {"/report", "r.json"}},
      {{"--first", "--files"}, {"/p1", "--files"}},
  };
  for (const auto& row : rows) {
    const std::string name = ::testing::PrintToString(row.longForm);
    MergeSettings byLong = Loaded(), bySlash = Loaded();
    const Switches longLine = Read(row.longForm, byLong);
    const Switches slashLine = Read(row.slashForm, bySlash);
    EXPECT_FALSE(longLine.Refused()) << name;
    EXPECT_TRUE(longLine.longForms) << name;
    EXPECT_FALSE(slashLine.longForms) << name;
    EXPECT_EQ(longLine.headless, slashLine.headless) << name;
    EXPECT_EQ(longLine.help, slashLine.help) << name;
    const auto jobSwitches = [](const Switches& line) {
      return std::tuple(line.dryRun, line.quiet, line.reportFile, line.mergeUnchanged);
    };
    EXPECT_EQ(jobSwitches(longLine), jobSwitches(slashLine)) << name;
    EXPECT_EQ(byLong, bySlash) << name;
  }
}

TEST(ReadSwitches, LongSwitchProblemsAreNamed) {
  using Kind = UsageProblem::Kind;
  const struct {
    std::vector<std::string> arguments;
    Kind kind;
    const char* argument;
  } rows[] = {
      {{"--frobnicate"}, Kind::UnknownSwitch, "--frobnicate"},
      {{"--frobnicate=3"}, Kind::UnknownSwitch, "--frobnicate"},
      {{"--"}, Kind::UnknownSwitch, "--"},
      {{"--path1", "a"}, Kind::UnknownSwitch, "--path1"},
      {{"--files", "--first"}, Kind::MissingValue, "--first"},
      {{"--backup-max"}, Kind::MissingValue, "--backup-max"},
      {{"--backup-max=3x"}, Kind::BadNumber, "--backup-max"},
      {{"--files=yes"}, Kind::UnexpectedValue, "--files"},
      {{"--help=x"}, Kind::UnexpectedValue, "--help"},
      {{"--dry-run=yes"}, Kind::UnexpectedValue, "--dry-run"},
      {{"--no-window", "--report"}, Kind::MissingValue, "--report"},
      {{"--files", "history.xml"}, Kind::UnexpectedArgument, "history.xml"},
      {{"--files", "/home/a.xml"}, Kind::UnexpectedArgument, "/home/a.xml"},
      {{"--files", "/bogus"}, Kind::UnknownSwitch, "/bogus"},
      {{"--files", "-x"}, Kind::UnknownSwitch, "-x"},
      {{"--bogus", "--other"}, Kind::UnknownSwitch, "--bogus"},  // the first problem
  };
  for (const auto& row : rows) {
    const std::string name = ::testing::PrintToString(row.arguments);
    MergeSettings settings;
    const Switches line = Read(row.arguments, settings);
    EXPECT_TRUE(line.Refused()) << name;
    EXPECT_TRUE(line.longForms) << name;
    ASSERT_TRUE(line.problem) << name;
    EXPECT_EQ(line.problem->kind, row.kind) << name;
    EXPECT_EQ(line.problem->argument, row.argument) << name;
  }
}

TEST(ReadSwitches, OnlyTheDoubleDashMakesALongSwitchAndHelpForTheTerminal) {
  MergeSettings settings;
  EXPECT_TRUE(Read({"--help"}, settings).helpOnTerminal);
  EXPECT_FALSE(Read({"/help"}, settings).helpOnTerminal);
  EXPECT_FALSE(Read({"-help"}, settings).helpOnTerminal);
  EXPECT_TRUE(Read({"-files"}, settings).Refused()) << "one dash takes no long name";
  EXPECT_FALSE(Read({"/p1", "--bogus"}, settings).longForms) << "a value is no switch";
}

template <typename Work>
bool Is(const Command& command) {
  return std::holds_alternative<Work>(command.work);
}

// One command per line: a usage error before the version before the help before the rest; a
// merge without a window is refused once the stored settings leave out a path it needs.
TEST(ParseCommandLine, PicksOneCommand) {
  const struct {
    std::vector<std::string> arguments;
    bool (*is)(const Command&);
  } rows[] = {
      {{}, Is<DialogCommand>},
      {{"/f", "/p1", "a"}, Is<DialogCommand>},
      {{"/n", "/p1", "a"}, Is<MergeCommand>},
      {{"/n", "/h"}, Is<HelpCommand>},
      {{"/h", "--version", "/n"}, Is<VersionCommand>},
      {{"--version", "--bogus"}, Is<UsageError>},
      {{"/q"}, Is<UsageError>},
      {{"--find=x", "--first", "a"}, Is<UsageError>},
      {{"--find=x"}, Is<FindCommand>},
      {{"--read"}, Is<ReadCommand>},
      {{"--search", "w", "--first", "a"}, Is<SearchCommand>},
      {{"--export=html", "--first", "a", "--output", "o"}, Is<ExportCommand>},
      {{"--gather", "--input", "a", "--input", "b", "--output", "o"}, Is<GatherCommand>},
  };
  for (const auto& row : rows) {
    EXPECT_TRUE(row.is(ParseCommandLine(row.arguments))) << ::testing::PrintToString(row.arguments);
  }
  MergeSettings paths;
  paths.Path1 = "a";
  paths.Path2 = "b";
  for (const auto& arguments :
       {std::vector<std::string>{"/n"}, {"/n", "/h"}, {"/n", "--version"}}) {
    Command command = ParseCommandLine(arguments);
    CheckStoredPaths(command, paths);
    EXPECT_FALSE(Is<UsageError>(command)) << arguments.back();
    CheckStoredPaths(command, MergeSettings{});
    EXPECT_TRUE(Is<UsageError>(command)) << arguments.back();
  }
}

}  // namespace
}  // namespace palvarin

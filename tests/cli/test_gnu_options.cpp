// "--help", long switches and usage errors the GNU way, with and without a display, and the
// terminal's texts in the language of the locale.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string>

#include "app/command_line.hpp"
#include "app/message_text.hpp"
#include "program_test.hpp"
#include "state/profile_store.hpp"
#include "state/settings_store.hpp"
#include "support/history_builder.hpp"
#include "support/palvarin_process.hpp"
#include "support/test_language.hpp"
#include "support/test_support.hpp"
#include "texts/catalogue.hpp"
#include "texts/help_text.hpp"

namespace palvarin {
namespace {

using test::RunPalvarin;
using test::TempFolder;
using test::WriteFile;

// Without a display, and with one on which a window would stay open until the guard ends
// the run: every answer below must come without a window.
const struct {
  const char* name;
  std::vector<std::string> environment;
} kDisplays[] = {
    {"no display", {}},
    {"a display", {"QT_QPA_PLATFORM=offscreen"}},
};

class GnuOptions : public test::ProgramTest {
 protected:
  // A window left open would hold the run until the guard: keep that short.
  GnuOptions() : ProgramTest("the second") { guard_ = std::chrono::seconds(60); }
};

TEST_F(GnuOptions, HelpGoesToStandardOutputAndNeverOpensAWindow) {
  for (const auto& display : kDisplays) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--help"},
          {"--HELP"},
          {"--files", "--help", "/d"},
          {"--no-window", "--help", "--first", a_, "--second", b_, "--overwrite"}}) {
      const std::string name = std::string(display.name) + " " + arguments[0];
      const auto run = Run(arguments, display.environment);
      EXPECT_FALSE(run.timedOut) << name << ": a window opened";
      EXPECT_EQ(run.status, 0) << name;
      EXPECT_EQ(run.out, TerminalHelpText() + "\n") << name;
      EXPECT_EQ(run.err, "") << name;
    }
  }
  EXPECT_EQ(test::MessageTexts(b_), (std::vector<std::string>{"the second"})) << "nothing merged";
  EXPECT_TRUE(NoProfileMade());
}

TEST_F(GnuOptions, UsageErrorsAreOneLineAndAHint) {
  struct Row {
    std::vector<std::string> arguments;
    std::string problem;
  };
  std::vector<Row> rows = {
      {{"--frobnicate"}, "unknown option '--frobnicate'"},
      {{"--no-window", "--files", "--first", a_, "--second"}, "option '--second' needs a value"},
      {{"--files=yes"}, "option '--files' takes no value"},
      {{"--files", "stray.xml"}, "unexpected argument 'stray.xml'"},
      {{"--files", "/bogus"}, "unknown option '/bogus'"},
      {{"--help", "--frobnicate"}, "unknown option '--frobnicate'"},
      {{"--no-window", "--files", "--overwrite", "--first", a_},
       "a run without a window needs --first and --second, and --output with --separate-output"},
      {{"--no-window", "--files", "--separate-output", "--first", a_, "--second", b_},
       "a run without a window needs --first and --second, and --output with --separate-output"},
      // These shape a run without a window only.
      {{"--files", "--overwrite", "--first", a_, "--second", b_, "--dry-run"},
       "option '--dry-run' needs --no-window"},
      {{"/f", "/o", "/p1", a_, "/p2", b_, "--quiet"}, "option '--quiet' needs --no-window"},
      {{"--report=" + (folder_ / "r.json").string(), "--files"},
       "option '--report' needs --no-window"},
      {{"/f", "/o", "/p1", a_, "/p2", b_, "--merge-unchanged"},
       "option '--merge-unchanged' needs --no-window"},
      // The reader runs no job and no search.
      // Its path may be left out, and a switch after it is no path.
      {{"--read", "--quiet"}, "option '--quiet' cannot be used with --read"},
      {{"--read=" + a_.string(), "--no-window"}, "option '--no-window' cannot be used with --read"},
      {{"--search", "one", "--first", a_, "--read", a_},
       "option '--search' cannot be used with --read"},
      {{"--read", a_, "--export=html", "--first", a_, "--output", b_},
       "option '--export' cannot be used with --read"},
      // A gather is a job of its own: no reader, no search beside it.
      {{"--read", a_, "--gather", "--input", a_, "--input", b_, "--output", b_},
       "option '--gather' cannot be used with --read"},
      {{"--search", "one", "--first", a_, "--gather", "--input", a_, "--input", b_, "--output", b_},
       "option '--gather' cannot be used with --search"},
  };
  const std::vector<std::string> job = {"--no-window", "--files", "--overwrite", "--first", a_,
                                        "--second",    b_};
  for (const char* maximum : {"abc", "-1", "3x", "101"}) {
    rows.push_back({job, Format("option '--backup-max' takes a whole number from 0 to 100, not "
                                "'{0}'",
                                {maximum})});
    rows.back().arguments.insert(rows.back().arguments.end(), {"--backup-max", maximum});
  }
  for (const auto& display : kDisplays) {
    for (const auto& row : rows) {
      const std::string name = std::string(display.name) + " " + row.problem;
      const auto run = Run(row.arguments, display.environment);
      EXPECT_FALSE(run.timedOut) << name << ": a window opened";
      EXPECT_EQ(run.status, 2) << name;
      EXPECT_EQ(run.out, "") << name;
      EXPECT_EQ(run.err,
                "palvarin: " + row.problem + "\nTry 'palvarin --help' for more information.\n")
          << name;
    }
  }
  EXPECT_EQ(test::MessageTexts(b_), (std::vector<std::string>{"the second"})) << "nothing merged";
  EXPECT_TRUE(NoProfileMade());
}

// Without a display the reader cannot be shown: said in one line, refused, nothing written.
TEST_F(GnuOptions, ReadWithoutADisplayIsRefused) {
  const auto run = Run({"--read=" + folder_.Path().string()});
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "palvarin: the reader window cannot be shown here (no display, or built without the "
            "GUI)\n");
  EXPECT_TRUE(NoProfileMade());
}

TEST_F(GnuOptions, LongSwitchesRunAJob) {
  const auto run =
      Run({"--no-window", "--files", "--separate-output", "--keep-all", "--first=" + a_.string(),
           "--second", b_, "--output", (folder_ / "out.xml").string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::MessageTexts(folder_ / "out.xml"),
            (std::vector<std::string>{"one", "the second"}))
      << run.out;
  ProfileStore store(profile_);
  MergeSettings stored;
  LoadSettings(store, stored);
  EXPECT_EQ(stored.Path1, a_.string());
  EXPECT_EQ(stored.PathSave, (folder_ / "out.xml").string());
  EXPECT_EQ(stored.OutTarget, OutTarget::OtherFile);
}

// The slash forms keep their own answer: message 204, then the help.
TEST_F(GnuOptions, SlashFormsKeepMessage204AndTheHelp) {
  const auto run = Run({"/n", "/frobnicate"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.find("palvarin: " + std::string(MessageText(kMessageBadArguments))), 0u)
      << run.err;
  EXPECT_NE(run.err.find(TerminalHelpText()), std::string::npos);
  EXPECT_EQ(run.err.find("Try 'palvarin --help'"), std::string::npos);
}

// A job's own switches without /n are refused the same way, and the job does not run.
TEST_F(GnuOptions, SlashFormsOfTheJobSwitchesNeedNoWindow) {
  const std::string json = (folder_ / "r.json").string();
  for (const std::vector<std::string>& extra :
       {std::vector<std::string>{"/dry"}, {"-q"}, {"/REPORT", json}}) {
    std::vector<std::string> arguments = {"/f", "/o", "/p1", a_, "/p2", b_};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    const auto run = Run(arguments);
    EXPECT_EQ(run.status, 2) << extra[0];
    EXPECT_EQ(run.err.find("palvarin: " + std::string(MessageText(kMessageBadArguments))), 0u)
        << extra[0] << run.err;
    EXPECT_NE(run.err.find(TerminalHelpText()), std::string::npos) << extra[0];
  }
  EXPECT_FALSE(std::filesystem::exists(json));
  EXPECT_EQ(test::MessageTexts(b_), (std::vector<std::string>{"the second"})) << "nothing merged";
  EXPECT_TRUE(NoProfileMade());
}

// Every switch is described on one line: a long switch's own line says what it does, or
// names its short form, which a line of the help blocks describes.
TEST(TerminalHelp, DescribesEveryLongSwitchInEveryLanguage) {
  for (const std::string& locale : {test::kEnglishLocales[0], std::string(test::kJapaneseLocale)}) {
    test::ScopedLanguage language(locale);
    std::vector<std::string> lines;
    std::istringstream help(TerminalHelpText());
    for (std::string line; std::getline(help, line);) lines.push_back(line);
    const auto describedInBlocks = [&lines](const std::string& slash) {
      return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.starts_with(slash + ' ') &&
               line.find_first_not_of(' ', slash.size()) == line.find(':');
      });
    };
    for (std::string_view name : LongSwitchNames()) {
      SCOPED_TRACE(locale + " --" + std::string(name));
      const auto own = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.starts_with("  --" + std::string(name) + ' ');
      });
      ASSERT_NE(own, lines.end());
      // "  --name [VALUE]   /x: what it does", "  --name   what it does" or "  --name   /x".
      std::string rest = own->substr(name.size() + 4);
      rest = rest.substr(rest.find_first_not_of(' '));
      if (std::isupper(static_cast<unsigned char>(rest[0]))) {
        rest = rest.substr(rest.find_first_not_of(' ', rest.find(' ')));
      }
      ASSERT_FALSE(rest.empty());
      if (rest.starts_with('/') && rest.find(": ") == std::string::npos) {
        EXPECT_TRUE(describedInBlocks(rest)) << rest;
      }
    }
  }
}

// What the terminal shows follows the locale of the run: the Japanese texts under ja,
// English under every other.
TEST_F(GnuOptions, TerminalTextsFollowTheLocale) {
  const std::vector<std::string> refused = {
      "/n", "/f", "/o", "/p1", a_, "/p2", (folder_ / "missing.xml").string()};
  for (const std::string& locale : test::kEnglishLocales) {
    test::ScopedLanguage english(locale);
    for (const std::vector<std::string>& environment :
         {std::vector<std::string>{"LANG=" + locale},
          {"LANG=ja_JP.UTF-8", "LC_ALL=" + locale},
          {"LANG=ja_JP.UTF-8", "LANGUAGE=" + locale.substr(0, 5)}}) {
      const std::string name = ::testing::PrintToString(environment);
      const auto help = Run({"--help"}, environment);
      EXPECT_FALSE(test::HasJapanese(help.out)) << name;
      EXPECT_EQ(help.out, TerminalHelpText() + "\n") << name;
      const auto run = Run(refused, environment);
      EXPECT_EQ(run.err.find("palvarin: " + std::string(MessageText(kMessageMissingPath)) + "\n"),
                0u)
          << name;
      EXPECT_FALSE(test::HasJapanese(run.err)) << name;
      const auto usage = Run({"--bogus"}, environment);
      EXPECT_FALSE(test::HasJapanese(usage.err)) << name;
    }
  }
  for (const std::vector<std::string>& environment : {std::vector<std::string>{"LANG=ja_JP.UTF-8"},
                                                      {"LANG=C.UTF-8", "LC_MESSAGES=ja_JP.UTF-8"},
                                                      {"LANG=C.UTF-8", "LANGUAGE=ja"}}) {
    const std::string name = ::testing::PrintToString(environment);
    const auto run = Run(refused, environment);
    EXPECT_EQ(run.err,
              "palvarin: 存在しないファイル、又はフォルダが設定されています\npalvarin: 入力2: " +
                  refused.back() + "\n")
        << name;
    const auto help = Run({"--help"}, environment);
    EXPECT_NE(help.out.find("引数の一覧\n/h  : ヘルプ このウィンドウを表示します\n"),
              std::string::npos)
        << name;
    const auto bad = Run({"/n", "/bogus"}, environment);
    EXPECT_EQ(bad.err.find("palvarin: 不正な引数がありました。\nヘルプを確認して引数を再度設定して"
                           "ください。\n"),
              0u)
        << name << bad.err;
    const auto usage = Run({"--bogus"}, environment);
    EXPECT_TRUE(test::HasJapanese(usage.err)) << name << usage.err;
    EXPECT_NE(usage.err.find("'--bogus'"), std::string::npos) << name << usage.err;
  }
}

// A failure's reason is worded like the line around it, in the terminal and in the JSON
// report; only the paths stay as they are.
TEST_F(GnuOptions, FailureReasonsFollowTheLocale) {
  const auto broken = folder_ / "broken.xml";
  WriteFile(broken, "no history");
  const auto json = folder_ / "report.json";
  const std::vector<std::string> job = {"--no-window", "--files",  "--separate-output",
                                        "--first",     a_,         "--second",
                                        broken,        "--output", (folder_ / "out.xml").string(),
                                        "--report",    json};
  const struct {
    const char* name;
    std::vector<std::string> environment;
    std::string reason;
    std::string untouched;
    std::string foreign;  // words of the other language that must not appear
  } rows[] = {
      {"English",
       {"LANG=en_US.UTF-8"},
       broken.string() + " is not a message history: it has text outside its root element",
       "; nothing was written and both inputs are as they were",
       "履歴"},
      {"Japanese",
       {"LANG=ja_JP.UTF-8"},
       broken.string() + " はメッセージ履歴ではありません: ルート要素の外にテキストがあります",
       "; 何も書き込まず、両方の元ファイルはそのままです",
       "not a message history"},
  };
  for (const auto& row : rows) {
    const auto run = Run(job, row.environment);
    EXPECT_EQ(run.status, 1) << row.name << run.err;
    EXPECT_NE(run.err.find(row.reason), std::string::npos) << row.name << run.err;
    EXPECT_NE(run.err.find(row.untouched), std::string::npos) << row.name << run.err;
    EXPECT_EQ(run.err.find(row.foreign), std::string::npos) << row.name << run.err;
    const std::string report = test::ReadFile(json);
    EXPECT_NE(report.find(row.reason), std::string::npos) << row.name << report;
    EXPECT_NE(report.find(row.untouched), std::string::npos) << row.name << report;
  }
}

}  // namespace
}  // namespace palvarin

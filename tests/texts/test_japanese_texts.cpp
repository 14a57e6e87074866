// Under a Japanese locale the messages and the help are the program's Japanese texts byte
// for byte; under an English one they are English.
#include <gtest/gtest.h>

#include <string>

#include "app/message_text.hpp"
#include "support/test_language.hpp"
#include "texts/catalogue.hpp"
#include "texts/help_text.hpp"
#include "texts/progress_text.hpp"
#include "texts/report_text.hpp"

namespace palvarin::test {
namespace {

const struct {
  MessageId id;
  const char* japanese;
} kMessages[] = {
    {kMessageNoPath, "入力先、又は出力先が選択されていません"},
    {kMessageMissingPath, "存在しないファイル、又はフォルダが設定されています"},
    {kMessageNotFolder,
     "対象にフォルダが設定されていません\n(ファイルが設定されている可能性があります)"},
    {kMessageNotFile,
     "対象にファイルが設定されていません\n(フォルダが設定されている可能性があります)"},
    {kMessageBadArguments,
     "不正な引数がありました。\nヘルプを確認して引数を再度設定してください。"},
    {kMessageMergeFinished, "マージが終了しました"},
};

const char* const kHelpBlocks[] = {
    "引数の一覧\n"
    "/h  : ヘルプ このウィンドウを表示します\n"
    "/n  : ウィンドウを表示せずに実行\n"
    "/d  : マージの対象にフォルダを指定\n"
    "/f  : マージの対象にファイルを指定",
    "/p1 : パス1の設定(このスイッチの後にパスを続ける)\n"
    "/p2 : パス2の設定(このスイッチの後にパスを続ける)\n"
    "/ps : 出力先の設定(このスイッチの後にパスを続ける)\n"
    "/o  : マージ対象のファイルを上書きする\n"
    "/t  : 出力先を別ファイル(又はフォルダ)にする\n",
    "/b  : バックアップファイルを作成する\n"
    "/nb : バックアップファイルを作成しない\n"
    "/bm : バックアップファイルを作成する場合の最大数\n"
    "      (このスイッチの後に、作成するバックアップの数の最大値を設定する)\n ",
    "/mu : ファイルサイズ、更新日時が同じ場合もマージを行う\n"
    "/nt : ファイルサイズ、更新日時が同じ場合、マージを行わない\n"
    "/na : 片方のファイルに、前回マージした日時より古いメッセージがある場合、",
    "      もう一方のファイルでアーカイブが作成されたとみなし、\n"
    "      マージ後のファイルにそのメッセージを含めない\n"
    "/a  : ↑これを気にせず、マージする",
};

TEST(JapaneseTexts, JapaneseMessagesAndHelpAreByteIdentical) {
  ScopedLanguage japanese(kJapaneseLocale);
  for (const auto& message : kMessages) {
    EXPECT_EQ(MessageText(message.id), message.japanese) << message.id;
  }
  const auto blocks = HelpBlocks();
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    EXPECT_EQ(blocks[i], kHelpBlocks[i]) << "block " << i + 1;
  }
}

TEST(JapaneseTexts, EnglishMessagesAndHelpHaveNoJapanese) {
  for (const std::string& locale : kEnglishLocales) {
    ScopedLanguage english(locale);
    for (const auto& message : kMessages) {
      const std::string text(MessageText(message.id));
      EXPECT_FALSE(text.empty()) << locale << " " << message.id;
      EXPECT_FALSE(HasJapanese(text)) << locale << " " << text;
      // A message of two lines in Japanese has two in English.
      EXPECT_EQ(text.find('\n') == std::string::npos,
                std::string(message.japanese).find('\n') == std::string::npos)
          << locale << " " << text;
    }
    for (std::string_view block : HelpBlocks()) {
      EXPECT_FALSE(block.empty()) << locale;
      EXPECT_FALSE(HasJapanese(block)) << locale << " " << block;
    }
  }
}

// A report with something in every line it can have.
JobReport FullReport() {
  JobReport report;
  const auto pair = [](const char* first, const char* second, const char* output,
                       PairOutcome outcome) {
    PairReport made;
    made.first = first;
    made.second = second;
    made.output = output;
    made.outcome = outcome;
    return made;
  };
  PairReport merged = pair("a.xml", "b.xml", "out.xml", PairOutcome::Merged);
  merged.warnings.push_back(PairWarning::MergeTimeNotRecorded);
  merged.backupsKept.push_back("a.xml_20240101000000.backup");
  merged.counts.sessions = 2;
  merged.counts.fromBoth = 3;
  merged.counts.cutOff = 1;
  report.pairs.push_back(merged);
  report.pairs.push_back(pair("c.xml", "d.xml", "", PairOutcome::Unchanged));
  report.pairs.push_back(pair("e.xml", "f.xml", "", PairOutcome::Failed));
  report.pairs.back().problem = PairProblem::NotAHistory;
  report.pairs.back().cause = Reason{.detail = "broken"};
  report.copies.push_back(
      {false, false, "g.xml", "h.xml", CopyOutcome::Copied, CopyProblem::None, {}, {}});
  report.copies.push_back({false,
                           false,
                           "i.xml",
                           "j.xml",
                           CopyOutcome::Failed,
                           CopyProblem::Failed,
                           Reason{.detail = "full"},
                           {}});
  report.warnings.push_back({JobWarning::Kind::FolderNotRead, Reason{.detail = "profile"}});
  return report;
}

TEST(ReportTexts, EveryLineInTheLanguageInUseWithItsFacts) {
  const JobReport report = FullReport();
  for (const std::string& locale :
       {kEnglishLocales[0], kEnglishLocales[1], kEnglishLocales[2], std::string(kJapaneseLocale)}) {
    ScopedLanguage language(locale);
    const bool japanese = TextLanguage() == "ja";
    std::vector<std::string> lines = DescribePairs(report);
    const std::vector<std::string> failures = DescribeFailures(report);
    lines.insert(lines.end(), failures.begin(), failures.end());
    lines.push_back(DescribeTotals(report));
    ASSERT_EQ(lines.size(), 10u) << locale;
    for (const std::string& line : lines) {
      EXPECT_EQ(HasJapanese(line), japanese) << locale << ": " << line;
    }
    // The facts survive the wording: names, reasons, counts.
    for (const char* fact :
         {"a.xml + b.xml", "out.xml", "c.xml + d.xml", "a.xml_20240101000000.backup"}) {
      EXPECT_NE((lines[0] + lines[1] + lines[2] + lines[3]).find(fact), std::string::npos) << fact;
    }
    for (const char* fact : {"e.xml + f.xml: broken", "i.xml -> j.xml: full", "profile"}) {
      EXPECT_NE((lines[6] + lines[7] + lines[8]).find(fact), std::string::npos) << fact;
    }
    EXPECT_NE(lines[9].find('1'), std::string::npos) << lines[9];
  }
}

// Entries two PCs logged at once are counted in the language in use, and only when there are.
TEST(ReportTexts, EchoesCountedInTheLanguageInUse) {
  MergeCounts counts;
  counts.sessions = 1;
  counts.fromBoth = 5;
  counts.echoes = 5;
  const std::pair<std::string, const char*> rows[] = {
      {kEnglishLocales[0], ", 5 entries logged on both PCs at once, written once"},
      {std::string(kJapaneseLocale), "、2台のPCで同時に記録された 5 件を1回だけ書き込み"},
  };
  for (const auto& [locale, said] : rows) {
    ScopedLanguage language(locale);
    EXPECT_TRUE(DescribeCounts(counts).ends_with(said)) << DescribeCounts(counts);
  }
  counts.echoes = 0;
  EXPECT_EQ(DescribeCounts(counts).find("PC"), std::string::npos);
}

// The totals say what the kind of job did: pairs and files for a merge, histories for a gather.
TEST(ReportTexts, TotalsInTheTermsOfTheJob) {
  const struct {
    bool gather, dryRun;
    const char* english;
    const char* japanese;
  } kTotals[] = {
      {false, false,
       "2 pairs merged, 1 unchanged, 1 failed; 1 file copied, 1 copy failed; stopped: 1 not run",
       "マージ 2 組、変更なし 1 組、失敗 1 組。コピー 1 件、コピー失敗 1 件。停止: 未実行 1 件"},
      {true, false,
       "2 histories gathered, 1 unchanged, 1 failed; 1 copy failed; stopped: 1 not run",
       "集めた履歴 2 件、変更なし 1 件、失敗 1 件。コピー失敗 1 件。停止: 未実行 1 件"},
      {true, true,
       "dry run, nothing was written: 2 histories would be gathered, 1 unchanged, 1 failed; 1 "
       "copy failed; stopped: 1 not run",
       "試行のみで何も書き込んでいません: 集める予定の履歴 2 件、変更なし 1 件、失敗 1 件。"
       "コピー失敗 1 件。停止: 未実行 1 件"},
  };
  for (const auto& row : kTotals) {
    JobReport report;
    report.gather = row.gather;
    report.dryRun = row.dryRun;
    for (const PairOutcome outcome :
         {PairOutcome::Merged, PairOutcome::Merged, PairOutcome::Unchanged, PairOutcome::Failed,
          PairOutcome::NotRun}) {
      report.pairs.push_back({});
      report.pairs.back().outcome = outcome;
    }
    for (const CopyOutcome outcome : {CopyOutcome::Copied, CopyOutcome::Failed}) {
      report.copies.push_back({});
      report.copies.back().outcome = outcome;
    }
    for (const std::string& locale : {kEnglishLocales[0], std::string(kJapaneseLocale)}) {
      ScopedLanguage language(locale);
      EXPECT_EQ(DescribeTotals(report), TextLanguage() == "ja" ? row.japanese : row.english);
    }
  }
}

// A dry run that was stopped, with backups and a stylesheet: the long-job lines.
JobReport StoppedDryReport() {
  JobReport report;
  report.dryRun = true;
  report.stopped = true;
  PairReport merged;
  merged.first = "a.xml";
  merged.second = "b.xml";
  merged.output = "b.xml";
  merged.outcome = PairOutcome::Merged;
  merged.backupsMade = {"a.xml_20060123120000.backup"};
  merged.backupsRemoved = {"a.xml_20050101000000.backup"};
  report.pairs.push_back(merged);
  PairReport notRun;
  notRun.first = "c.xml";
  notRun.second = "d.xml";
  notRun.outcome = PairOutcome::NotRun;
  notRun.problem = PairProblem::NotStarted;
  report.pairs.push_back(notRun);
  CopyReport stylesheet{false,
                        true,
                        "one/MessageLog.xsl",
                        "out/MessageLog.xsl",
                        CopyOutcome::Copied,
                        CopyProblem::None,
                        {},
                        {}};
  report.copies.push_back(stylesheet);
  CopyReport copyNotRun{
      false, false, "g.xml", "h.xml", CopyOutcome::NotRun, CopyProblem::NotStarted, {}, {}};
  report.copies.push_back(copyNotRun);
  CopyReport withOutput{false,
                        false,
                        "i.xml",
                        "j.xml",
                        CopyOutcome::MergedWithOutput,
                        CopyProblem::None,
                        {},
                        {.fromBoth = 2, .sessions = 1}};
  report.copies.push_back(withOutput);
  CopyReport keptOutput{false,
                        false,
                        "k.xml",
                        "l.xml",
                        CopyOutcome::KeptExisting,
                        CopyProblem::OutputNotAHistory,
                        {.kind = ReasonKind::RootNotLog, .path = "l.xml", .detail = "html"},
                        {}};
  report.copies.push_back(keptOutput);
  return report;
}

TEST(LongJobTexts, EveryLineInTheLanguageInUseWithItsFacts) {
  const JobReport report = StoppedDryReport();
  JobProgress item;
  item.stage = JobStage::Merging;
  item.kind = JobItemKind::Pair;
  item.index = 119;
  item.total = 1000;
  item.finished = 120;
  item.name = "alice.xml";
  for (const std::string& locale : {kEnglishLocales[0], std::string(kJapaneseLocale)}) {
    ScopedLanguage language(locale);
    const bool japanese = TextLanguage() == "ja";
    std::vector<std::string> lines = DescribePairs(report);
    lines.push_back(DescribeTotals(report));
    lines.push_back(StoppedText(report));
    lines.push_back(StoppingText());
    lines.push_back(ProgressLine(item));
    for (const ResultRow& row : ResultRows(report)) lines.push_back(row.outcome);
    for (const std::string& line : lines) {
      EXPECT_EQ(HasJapanese(line), japanese) << locale << ": " << line;
    }
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    for (const char* fact :
         {"a.xml + b.xml", "a.xml_20060123120000.backup", "a.xml_20050101000000.backup",
          "c.xml + d.xml", "one/MessageLog.xsl -> out/MessageLog.xsl", "g.xml -> h.xml",
          "i.xml -> j.xml", "l.xml", "k.xml", "120", "1,000", "alice.xml"}) {
      EXPECT_NE(all.find(fact), std::string::npos) << locale << ": " << fact << "\n" << all;
    }
  }
}

}  // namespace
}  // namespace palvarin::test

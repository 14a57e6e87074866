// A job run from the dialog: off the GUI thread, with a progress window that moves and a Cancel
// that stops between pairs, and a results window that fits the screen however long its list.
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include "files/history_locks.hpp"
#include "job/job_report.hpp"
#include "texts/catalogue.hpp"
#include "texts/cause_text.hpp"
#include "texts/progress_text.hpp"
#include "ui/results/job_results_dialog.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "ui/shared/job_progress_dialog.hpp"
#include "ui_fixtures.hpp"

namespace palvarin::test {
namespace {

class LongJobTest : public DialogTest {
 protected:
  // `pairs` contacts met in both folders, with different messages on each side.
  void WritePairs(int pairs) {
    for (const auto& folder : {one_, two_, out_}) std::filesystem::create_directories(folder);
    for (int i = 0; i < pairs; ++i) {
      const std::string name = "c" + std::to_string(100 + i) + ".xml";
      WriteFile(one_ / name, SampleHistory("one " + name, "10:00:00"));
      WriteFile(two_ / name, SampleHistory("two " + name + " longer", "11:00:00"));
    }
  }
  MergeSettings Settings(OutTarget target) const {
    MergeSettings settings;
    settings.InTarget = InTarget::Folder;
    settings.OutTarget = target;
    settings.Path1 = one_.string();
    settings.Path2 = two_.string();
    settings.PathSave = out_.string();
    settings.CreateBackup = true;  // one pair at a time
    return settings;
  }

  std::filesystem::path one_ = temp_ / "pc1";
  std::filesystem::path two_ = temp_ / "pc2";
  std::filesystem::path out_ = temp_ / "out";
};

TEST_F(LongJobTest, TheProgressMovesAndNoMergeRunsOnTheGuiThread) {
  WritePairs(40);
  Open(Settings(OutTarget::OtherFile));
  std::vector<int> values;
  QStringList labels;
  int maximum = -1;
  ProgressWatcher watcher([&](QWidget* window) {
    auto* bar = window->findChild<QProgressBar*>("progressBar");
    auto* label = window->findChild<QLabel*>("progressFileLabel");
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(label, nullptr);
    QObject::connect(bar, &QProgressBar::valueChanged, [&, bar, label](int value) {
      values.push_back(value);
      labels << label->text();
      maximum = bar->maximum();
    });
  });

  Click("okButton");

  ASSERT_FALSE(values.empty()) << "the bar never moved";
  EXPECT_EQ(maximum, 40);
  EXPECT_EQ(values.back(), 40);
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << "the bar went back";
  EXPECT_GT(values.size(), 5u) << "the bar jumped instead of moving";
  // Whenever the bar moves, the label (in the language of the tests' locale) says the same
  // count of 40, and names one of the files.
  const QRegularExpression line(
      u'^' +
      QRegularExpression::escape(
          FromUtf8(Format(Tr("{0} of {1} done — merging {2}"), {"NUMBER", "40", "NAME"})))
          .replace(QStringLiteral("NUMBER"), QStringLiteral("(\\d+)"))
          .replace(QStringLiteral("NAME"), QStringLiteral("c1\\d\\d\\.xml")) +
      u'$');
  for (std::size_t i = 0; i < values.size(); ++i) {
    const QRegularExpressionMatch match = line.match(labels[static_cast<qsizetype>(i)]);
    ASSERT_TRUE(match.hasMatch()) << labels[static_cast<qsizetype>(i)].toStdString();
    EXPECT_EQ(match.captured(1).toInt(), values[i]) << "the label and the bar disagree";
  }
  EXPECT_EQ(dialog_->ItemsStarted(), 40);
  EXPECT_EQ(dialog_->ItemsStartedOnGuiThread(), 0) << "a merge ran on the GUI thread";
  ASSERT_EQ(messages_.results.size(), 1u);
  EXPECT_EQ(messages_.results[0].Count(PairOutcome::Merged), 40);
  EXPECT_EQ(messages_.shown, QStringList{MessageQText(kMessageMergeFinished)});
}

TEST_F(LongJobTest, CancelStopsBetweenPairsAndTheResultsSayWhatRan) {
  constexpr int kPairs = 80;
  WritePairs(kPairs);
  std::map<std::string, std::string> before;
  for (const auto& folder : {one_, two_}) {
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
      before[item.path().string()] = ReadFile(item.path());
    }
  }
  Open(Settings(OutTarget::OverWrite));
  bool cancelled = false;
  bool cancelDisabled = false;
  ProgressWatcher watcher([&](QWidget* window) {
    auto* bar = window->findChild<QProgressBar*>("progressBar");
    auto* cancel = window->findChild<QPushButton*>("progressCancelButton");
    QObject::connect(bar, &QProgressBar::valueChanged, [&, cancel](int value) {
      if (value < 1 || cancelled) return;
      cancelled = true;
      test::Click(cancel);
      cancelDisabled = !cancel->isEnabled();
    });
  });

  Click("okButton");

  ASSERT_TRUE(cancelled);
  EXPECT_TRUE(cancelDisabled);
  ASSERT_EQ(messages_.results.size(), 1u);
  const JobReport& report = messages_.results[0];
  EXPECT_TRUE(report.stopped);
  const int merged = report.Count(PairOutcome::Merged);
  const int notRun = report.Count(PairOutcome::NotRun);
  EXPECT_GT(merged, 0);
  EXPECT_GT(notRun, 0) << "the stop came too late to keep any pair from starting";
  EXPECT_EQ(merged + notRun, kPairs);
  for (const PairReport& pair : report.pairs) {
    if (pair.outcome == PairOutcome::Merged) {
      EXPECT_EQ(ReadFile(pair.second), ReadFile(pair.first)) << pair.first << " not copied back";
      EXPECT_NE(ReadFile(pair.first).find("two "), std::string::npos) << pair.first;
    } else {
      EXPECT_EQ(ReadFile(pair.first), before[pair.first]) << pair.first;
      EXPECT_EQ(ReadFile(pair.second), before[pair.second]) << pair.second;
    }
  }
  // The end message still comes, after the results, warning that the job was stopped, and the
  // dialog closes as after any job.
  EXPECT_EQ(messages_.shown,
            QStringList{MessageQText(kMessageMergeFinished) + u'\n' +
                        StoppedJobNote(notRun, report.Count(CopyOutcome::NotRun))});
  EXPECT_EQ(messages_.icons, std::vector{MessageIcon::Warning});
  EXPECT_EQ(messages_.resultsAfter, std::vector<int>{0});
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
}

// Cancel while another job holds the files ends the wait: no pair starts, nothing is written,
// and the other job still holds its files.
TEST_F(LongJobTest, CancelEndsAWaitForAnotherJob) {
  WritePairs(3);
  std::map<std::string, std::string> before;
  for (const auto& folder : {one_, two_}) {
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
      before[item.path().string()] = ReadFile(item.path());
    }
  }
  HistoryLocks otherJob;
  ASSERT_TRUE(otherJob.Acquire(
      {(two_ / "c101.xml").string()}, [] {}, [] { return false; }));
  Open(Settings(OutTarget::OverWrite));
  QPushButton* cancel = nullptr;
  ProgressWatcher watcher(
      [&](QWidget* window) { cancel = window->findChild<QPushButton*>("progressCancelButton"); });
  bool cancelled = false;
  QObject::connect(dialog_.get(), &QWidget::windowTitleChanged, [&](const QString& title) {
    if (cancelled || !title.contains(WaitingForOtherJobText()) || cancel == nullptr) return;
    cancelled = true;
    test::Click(cancel);
  });
  // Had the cancel not ended the wait, the pairs would run once the other job lets go.
  QTimer::singleShot(std::chrono::seconds(20), [&otherJob] { otherJob.Release(); });

  Click("okButton");

  ASSERT_TRUE(cancelled);
  ASSERT_EQ(messages_.results.size(), 1u);
  const JobReport& report = messages_.results[0];
  EXPECT_TRUE(report.stopped);
  EXPECT_EQ(report.Count(PairOutcome::NotRun), 3);
  for (const auto& [path, bytes] : before) EXPECT_EQ(ReadFile(path), bytes) << path;
  for (const auto& folder : {one_, two_}) {
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              3)
        << "no backup made in " << folder;
  }
  HistoryLocks third;
  EXPECT_FALSE(third.Acquire(
      {(two_ / "c101.xml").string()}, [] {}, [] { return false; }))
      << "the other job lost its lock";
}

// 1,000 failed pairs with long reasons on a small screen: the window stays on the screen with
// its OK button, and the list scrolls inside it.
TEST(JobResultsDialog, AThousandFailuresFitASmallScreen) {
  JobReport report;
  for (int i = 0; i < 1000; ++i) {
    PairReport pair;
    pair.first = "/home/someone/pc1/contact" + std::to_string(i) + "@example.com.xml";
    pair.second = "/home/someone/pc2/contact" + std::to_string(i) + "@example.com.xml";
    pair.problem = PairProblem::NotAHistory;
    pair.cause = {.kind = ReasonKind::NotWellFormed,
                  .path = pair.first,
                  .detail = "Error parsing start element tag",
                  .offset = 12};
    report.pairs.push_back(std::move(pair));
  }
  CopyReport copy;
  copy.from = "/a/only.xml";
  copy.to = "/b/only.xml";
  copy.outcome = CopyOutcome::Copied;
  report.copies.push_back(copy);

  JobResultsDialog dialog(report, nullptr);
  dialog.show();
  QApplication::processEvents();

  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.contains(dialog.frameGeometry()))
      << dialog.frameGeometry().width() << "x" << dialog.frameGeometry().height() << " on "
      << screen.width() << "x" << screen.height();
  auto* list = dialog.findChild<QTreeWidget*>("resultsList");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->topLevelItemCount(), 1001);
  EXPECT_EQ(list->topLevelItem(0)->text(0), QTr("failed"));
  // The parser's own words stand as they are in every language.
  EXPECT_TRUE(list->topLevelItem(0)
                  ->text(JobResultsDialog::kDetail)
                  .contains("Error parsing start element tag"));
  EXPECT_EQ(list->topLevelItem(1000)->text(0), QTr("copied"));
  EXPECT_GT(list->verticalScrollBar()->maximum(), 0) << "the list does not scroll";
  auto* ok = dialog.findChild<QPushButton*>("okButton");
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(ok->isVisible());
  EXPECT_TRUE(screen.contains(QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size())));
  auto* summary = dialog.findChild<QLabel*>("resultsSummary");
  ASSERT_NE(summary, nullptr);
  // The summary counts the failures in the language of the tests' locale.
  EXPECT_TRUE(summary->text().contains(FromUtf8(Format(Tr("{0} failed"), {"1000"}))))
      << summary->text().toStdString();
}

// The label and the bar say the same count out of the same total, in whatever order the news of
// a folder job's items comes; the count never goes back, and the label names the item last
// started.
TEST(JobProgressDialog, LabelAndBarShowTheSameCount) {
  StopFlag stop;
  JobProgressDialog window(stop, nullptr);
  window.show();
  auto* bar = window.findChild<QProgressBar*>("progressBar");
  auto* label = window.findChild<QLabel*>("progressFileLabel");
  ASSERT_NE(bar, nullptr);
  ASSERT_NE(label, nullptr);
  constexpr auto kMerging = JobStage::Merging;
  constexpr auto kBack = JobStage::CopyingBack;
  constexpr auto kPair = JobItemKind::Pair;
  constexpr auto kCopy = JobItemKind::Copy;
  const struct {
    const char* what;
    bool started;
    JobProgress item;  // stage, kind, index, total, finished, name
    std::size_t done;  // the count both show
  } steps[] = {
      {"a pair starts", true, {kMerging, kPair, 0, 10, 0, "a.xml"}, 0},
      {"another starts beside it", true, {kMerging, kPair, 1, 10, 0, "b.xml"}, 0},
      {"the first ends", false, {kMerging, kPair, 0, 10, 1, "a.xml"}, 1},
      {"a start told late", true, {kMerging, kCopy, 2, 10, 0, "c.xml"}, 1},
      {"the copy ends", false, {kMerging, kCopy, 2, 10, 2, "c.xml"}, 2},
      {"an end told late", false, {kMerging, kPair, 1, 10, 1, "b.xml"}, 2},
      {"copying back", true, {kBack, kCopy, 0, 10, 9, "a.xml"}, 9},
      {"all done", false, {kBack, kCopy, 0, 10, 10, "a.xml"}, 10},
      {"a new total", true, {kMerging, kPair, 998, 1000, 999, "z.xml"}, 999},
  };
  JobProgress started;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    if (step.started) {
      started = step.item;
      window.Started(step.item);
    } else {
      window.Finished(step.item);
    }
    JobProgress shown = started;
    shown.total = step.item.total;
    shown.finished = step.done;
    EXPECT_EQ(label->text(), FromUtf8(ProgressLine(shown)));
    EXPECT_EQ(bar->value(), static_cast<int>(step.done));
    EXPECT_EQ(bar->maximum(), static_cast<int>(step.item.total));
    EXPECT_EQ(bar->text(), FromUtf8(FormatCount(step.done) + " / " + FormatCount(step.item.total)));
  }
}

// Narrowed, a path never overflows and keeps its file name whole for as long as there is room
// for it beside an ellipsis: the folders give way first.
TEST(JobResultsDialog, ElidedPathsKeepTheFileNameWhole) {
  const QFontMetrics metrics(QApplication::font());
  const QString ellipsis(QChar(0x2026));
  for (const QString& path :
       {QStringLiteral("/home/someone/a rather long folder name/alice@example.com.xml"),
        QStringLiteral("/home/user/統合/花子@example.com.xml"), QStringLiteral("/alice.xml"),
        QStringLiteral("alice@example.com.xml")}) {
    SCOPED_TRACE(path.toStdString());
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const int nameRoom = metrics.horizontalAdvance(ellipsis + u'/' + name);
    const int full = metrics.horizontalAdvance(path);
    for (int width = 0; width <= full + 4; ++width) {
      const QString shown = ElidePath(path, metrics, width);
      ASSERT_LE(metrics.horizontalAdvance(shown), width) << shown.toStdString();
      if (width >= full) {
        ASSERT_EQ(shown, path);
      } else if (width >= nameRoom) {
        ASSERT_TRUE(shown.endsWith(u'/' + name) && shown.contains(ellipsis))
            << width << ": " << shown.toStdString();
      }
    }
  }
}

// Whole paths in their own columns, and the current row whole in the pane under the list, where
// a keyboard reaches it: the first row when the window opens, then the row the arrows choose.
TEST(JobResultsDialog, WholePathsAndTheCurrentRowAsText) {
  const std::string deep = "/home/someone/a rather long folder name/another long folder name/";
  JobReport report;
  PairReport merged;
  merged.first = deep + "pc1/alice@example.com.xml";
  merged.second = deep + "pc2/alice@example.com.xml";
  merged.output = deep + "merged/alice@example.com.xml";
  merged.outcome = PairOutcome::Merged;
  report.pairs.push_back(merged);
  PairReport failed;
  failed.first = deep + "pc1/bob@example.com.xml";
  failed.second = deep + "pc2/bob@example.com.xml";
  failed.outcome = PairOutcome::Failed;
  failed.problem = PairProblem::NotAHistory;
  failed.cause = {.kind = ReasonKind::NotWellFormed, .path = failed.first, .offset = 12};
  report.pairs.push_back(failed);
  CopyReport copy;
  copy.from = deep + "pc2/carol@example.com.xml";
  copy.to = deep + "merged/carol@example.com.xml";
  copy.outcome = CopyOutcome::Copied;
  report.copies.push_back(copy);

  JobResultsDialog dialog(report, nullptr);
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  auto* list = dialog.findChild<QTreeWidget*>("resultsList");
  auto* details = dialog.findChild<QPlainTextEdit*>("resultsDetails");
  ASSERT_NE(list, nullptr);
  ASSERT_NE(details, nullptr);

  using Column = JobResultsDialog::Column;
  const struct {
    std::string input, second, output;
  } rows[] = {{merged.first, merged.second, merged.output},
              {failed.first, failed.second, ""},
              {copy.from, "", copy.to}};
  ASSERT_EQ(list->topLevelItemCount(), 3);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const QTreeWidgetItem* item = list->topLevelItem(i);
    for (const auto& [column, path] :
         {std::pair{Column::kInput, rows[i].input}, std::pair{Column::kSecondInput, rows[i].second},
          std::pair{Column::kOutput, rows[i].output}}) {
      EXPECT_EQ(item->text(column).toStdString(), path);
      EXPECT_EQ(item->toolTip(column).toStdString(), path);
      EXPECT_EQ(list->header()->sectionResizeMode(column), QHeaderView::Interactive);
    }
  }
  for (const int column : {Column::kInput, Column::kSecondInput, Column::kOutput}) {
    EXPECT_NE(list->itemDelegateForColumn(column), nullptr) << "paths drawn through ElidePath";
  }

  // Open: the first row is current, and the pane shows it whole.
  EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
  EXPECT_TRUE(list->hasFocus());
  for (const std::string& path : {merged.first, merged.second, merged.output}) {
    EXPECT_TRUE(details->toPlainText().contains(FromUtf8(path))) << path;
  }

  // Down to the failed pair: its outcome, both inputs and its reason, as selectable text.
  QTest::keyClick(list, Qt::Key_Down);
  const QString text = details->toPlainText();
  EXPECT_TRUE(text.contains(QTr("failed")));
  EXPECT_TRUE(text.contains(FromUtf8(Word(failed.cause)))) << text.toStdString();
  EXPECT_TRUE(text.contains(FromUtf8(failed.second)));
  EXPECT_FALSE(text.contains(FromUtf8(merged.first)));
  EXPECT_TRUE(details->isReadOnly());
  EXPECT_TRUE(details->textInteractionFlags() & Qt::TextSelectableByKeyboard);

  // Ctrl+C in the list copies the same text.
  QGuiApplication::clipboard()->clear();
  QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), text);
}

}  // namespace
}  // namespace palvarin::test

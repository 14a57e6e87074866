// A job run from the dialog: off the GUI thread, with a progress window that moves and a Cancel
// that stops between pairs, and a results window that fits the screen however long its list.
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include "dialog_strings.hpp"
#include "files/history_locks.hpp"
#include "job/job_report.hpp"
#include "job_results_dialog.hpp"
#include "ui_fixtures.hpp"

namespace palvarin::test {
namespace {

// Calls `shown` with the progress window as soon as it is shown, before the job's first news.
class ProgressWatcher : public QObject {
 public:
  explicit ProgressWatcher(std::function<void(QWidget*)> shown) : shown_(std::move(shown)) {
    QApplication::instance()->installEventFilter(this);
  }
  ~ProgressWatcher() override { QApplication::instance()->removeEventFilter(this); }

  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::Show && object->objectName() == "jobProgressDialog") {
      shown_(static_cast<QWidget*>(object));
    }
    return false;
  }

 private:
  std::function<void(QWidget*)> shown_;
};

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
  QStringList files;
  int maximum = -1;
  ProgressWatcher watcher([&](QWidget* window) {
    auto* bar = window->findChild<QProgressBar*>("progressBar");
    auto* file = window->findChild<QLabel*>("progressFileLabel");
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(file, nullptr);
    QObject::connect(bar, &QProgressBar::valueChanged, [&values, &maximum, bar](int value) {
      values.push_back(value);
      maximum = bar->maximum();
    });
    QObject::connect(bar, &QProgressBar::valueChanged, [&files, file] { files << file->text(); });
  });

  Click("okButton");

  ASSERT_FALSE(values.empty()) << "the bar never moved";
  EXPECT_EQ(maximum, 40);
  EXPECT_EQ(values.back(), 40);
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << "the bar went back";
  EXPECT_GT(values.size(), 5u) << "the bar jumped instead of moving";
  // The line in the language of the tests' locale: the pair's number, of 40, and its file.
  const QString line = QRegularExpression::escape(
                           FromUtf8(Format(Tr("pair {0} of {1}: {2}"), {"NUMBER", "40", "NAME"})))
                           .replace(QStringLiteral("NUMBER"), QStringLiteral("\\d+"))
                           .replace(QStringLiteral("NAME"), QStringLiteral("c1\\d\\d\\.xml"));
  EXPECT_TRUE(files.filter(QRegularExpression(u'^' + line + u'$')).size() > 0)
      << files.join(u'|').toStdString();
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
  // The end message still comes, after the results, and the dialog closes as after any job.
  EXPECT_EQ(messages_.shown, QStringList{MessageQText(kMessageMergeFinished)});
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
    pair.reason = pair.first +
                  " is not a message history: it is no well-formed XML (Error "
                  "parsing start element tag at byte 12); nothing was written and both inputs "
                  "are as they were";
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
  EXPECT_TRUE(list->topLevelItem(0)->text(2).contains(QStringLiteral("byte 12")));
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

}  // namespace
}  // namespace palvarin::test

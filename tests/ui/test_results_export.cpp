// The results window's "Export to HTML and open", driven by its object names, with the folder
// dialog and the browser replaced.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <filesystem>

#include "job/job_report.hpp"
#include "support/history_builder.hpp"
#include "support/test_support.hpp"
#include "ui/results/job_results_dialog.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "ui_fixtures.hpp"

namespace palvarin {
namespace {

class ResultsExport : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteFile(folder_ / "alice.xml", test::OneMessageHistory("merged hello"));
    test::WriteFile(folder_ / "bob.xml", test::OneMessageHistory("copied hello"));
    test::WriteFile(folder_ / "carol.xml", test::OneMessageHistory("merged into the output"));
    PairReport pair;
    pair.output = (folder_ / "alice.xml").string();
    pair.outcome = PairOutcome::Merged;
    report_.pairs.push_back(pair);
    CopyReport copy;
    copy.to = (folder_ / "bob.xml").string();
    copy.outcome = CopyOutcome::Copied;
    report_.copies.push_back(copy);
    copy.to = (folder_ / "carol.xml").string();
    copy.outcome = CopyOutcome::MergedWithOutput;
    report_.copies.push_back(copy);
  }
  // Runs the window on `report` and clicks its export button when it may be clicked; the
  // folder chosen is `chosen`. Whether the button could be clicked.
  bool ClickExport(const JobReport& report, const QString& chosen) {
    JobResultsDialog dialog(report, nullptr,
                            {[chosen](QWidget*) { return chosen; },
                             [this](const QUrl& page) {
                               opened_.push_back(page);
                               return browserStarts_;
                             }});
    dialog.show();
    auto* button = dialog.findChild<QPushButton*>("exportButton");
    EXPECT_NE(button, nullptr);
    if (button == nullptr || !button->isEnabled()) return false;
    EXPECT_EQ(button->text(), ExportButtonText());
    // Fires once the GUI thread turns again: inside the progress window's loop while the
    // export runs on its own thread, or only after the click when it blocked this thread.
    QTimer::singleShot(0, &dialog, [this, &dialog] {
      progressWhileExporting_ = dialog.findChild<QDialog*>("jobProgressDialog") != nullptr;
    });
    QTest::mouseClick(button, Qt::LeftButton);
    status_ = dialog.findChild<QLabel*>("exportStatus")->text();
    return true;
  }

  test::TempFolder folder_;
  JobReport report_;
  std::vector<QUrl> opened_;
  QString status_;
  bool progressWhileExporting_ = false;
  bool browserStarts_ = true;
};

// The merged history, the copied one and the one merged with the output's copy become pages in
// the folder picked, and the browser is asked to open their index.
TEST_F(ResultsExport, ExportsWhatTheJobWroteAndOpensTheIndex) {
  const std::filesystem::path out = folder_ / "pages";
  ASSERT_TRUE(ClickExport(report_, QString::fromStdString(out.string())));
  ASSERT_EQ(opened_.size(), 1u) << status_.toStdString();
  EXPECT_EQ(opened_[0], QUrl::fromLocalFile(QString::fromStdString((out / "index.html").string())));
  EXPECT_NE(test::ReadFile(out / "alice.html").find("merged hello"), std::string::npos);
  EXPECT_NE(test::ReadFile(out / "bob.html").find("copied hello"), std::string::npos);
  EXPECT_NE(test::ReadFile(out / "carol.html").find("merged into the output"), std::string::npos);
  EXPECT_NE(test::ReadFile(out / "index.html").find("./bob.html"), std::string::npos);
  EXPECT_FALSE(status_.isEmpty());
  EXPECT_TRUE(progressWhileExporting_) << "the export ran on the GUI thread";
}

// Without a browser the window says where the index is, and its button copies the path.
TEST_F(ResultsExport, SaysWhereTheIndexIsWhenNoBrowserStarts) {
  browserStarts_ = false;
  const QString index = QString::fromStdString((folder_ / "pages" / "index.html").string());
  QGuiApplication::clipboard()->clear();
  QString told;
  const test::WhenModalShown copier(
      [&told](QWidget* modal) {
        told = static_cast<QMessageBox*>(modal)->text();
        QTest::mouseClick(modal->findChild<QPushButton*>("copyIndexPathButton"), Qt::LeftButton);
      },
      QStringLiteral("indexNotOpenedBox"));
  ASSERT_TRUE(ClickExport(report_, QString::fromStdString((folder_ / "pages").string())));
  EXPECT_TRUE(copier.Acted());
  EXPECT_TRUE(told.endsWith(index)) << told.toStdString();
  EXPECT_TRUE(status_.contains(index)) << status_.toStdString();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), index);
}

// A name that looks like markup is shown on hover as text, never by Qt's rich tooltip.
TEST_F(ResultsExport, ARowsTooltipShowsMarkupInANameAsText) {
  const std::string name = (folder_ / "<img src=x>.xml").string();
  report_.pairs[0].output = name;
  JobResultsDialog dialog(report_, nullptr, {});
  dialog.show();
  auto* list = dialog.findChild<QTreeWidget*>("resultsList");
  ASSERT_NE(list, nullptr);
  const QPoint at = list->visualItemRect(list->topLevelItem(0)).topLeft() +
                    QPoint(list->header()->sectionPosition(JobResultsDialog::kOutput) + 4, 4);
  QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
  QApplication::sendEvent(list->viewport(), &help);
  EXPECT_FALSE(QToolTip::isVisible());
  auto* tip = list->findChild<QLabel*>(QStringLiteral("plainToolTip"));
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(tip->textFormat(), Qt::PlainText);
  EXPECT_EQ(tip->text().toStdString(), name);
}

// Nothing is exported or opened when the folder dialog is cancelled, and the button cannot be
// clicked after a dry run, which wrote no history.
TEST_F(ResultsExport, NothingWithoutAFolderOrAfterADryRun) {
  EXPECT_TRUE(ClickExport(report_, QString()));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "alice.html"));
  JobReport dry = report_;
  dry.dryRun = true;
  EXPECT_FALSE(ClickExport(dry, QString::fromStdString(folder_.Path().string())));
  EXPECT_TRUE(opened_.empty());
}

}  // namespace
}  // namespace palvarin

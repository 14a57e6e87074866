#include "job_results_dialog.hpp"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "dialog_strings.hpp"
#include "job/job_report.hpp"
#include "texts/progress_text.hpp"
#include "texts/report_text.hpp"

namespace palvarin {
namespace {

// The room the window may take: the screen's, less the frame and the task bars.
QRect AvailableArea(QWidget* parent) {
  QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 640, 480);
}

}  // namespace

JobResultsDialog::JobResultsDialog(const JobReport& report, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("jobResultsDialog"));
  setWindowTitle(ResultsWindowTitle());

  auto* summary = new QLabel(this);
  summary->setObjectName(QStringLiteral("resultsSummary"));
  summary->setTextFormat(Qt::PlainText);
  summary->setWordWrap(true);
  QString text = FromUtf8(DescribeTotals(report));
  if (report.stopped) text += u'\n' + FromUtf8(StoppedText(report));
  summary->setText(text);

  auto* list = new QTreeWidget(this);
  list->setObjectName(QStringLiteral("resultsList"));
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setHeaderLabels({ResultsColumnOutcome(), ResultsColumnFiles(), ResultsColumnDetail()});
  QList<QTreeWidgetItem*> items;
  for (const ResultRow& row : ResultRows(report)) {
    auto* item = new QTreeWidgetItem(
        QStringList{FromUtf8(row.outcome), FromUtf8(row.what), FromUtf8(row.detail)});
    // The whole text on hover: paths and reasons are often wider than their column.
    item->setToolTip(1, item->text(1));
    item->setToolTip(2, item->text(2));
    if (row.failed) {
      for (int column = 0; column < 3; ++column) item->setForeground(column, Qt::darkRed);
    }
    items << item;
  }
  list->addTopLevelItems(items);
  list->header()->setSectionResizeMode(QHeaderView::Interactive);
  list->setColumnWidth(0, 110);
  list->setColumnWidth(1, 360);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary);
  layout->addWidget(list, 1);
  layout->addWidget(buttons);

  // However many rows there are, the window (its frame included) stays on the screen and
  // the list scrolls inside it.
  const QRect area = AvailableArea(parent);
  const QSize room(std::max(200, area.width() - 40), std::max(150, area.height() - 60));
  setMaximumSize(room);
  resize(std::min(room.width(), 900), std::min(room.height(), 520));
}

}  // namespace palvarin

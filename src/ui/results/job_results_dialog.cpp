#include "ui/results/job_results_dialog.hpp"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "job/job_report.hpp"
#include "state/profile_store.hpp"
#include "texts/progress_text.hpp"
#include "texts/report_text.hpp"
#include "ui/reader/reader_window.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "ui/shared/path_chooser.hpp"
#include "ui/shared/plain_tool_tip.hpp"

namespace palvarin {
namespace {

// The room the window may take: the screen's, less the frame and the task bars.
QRect AvailableArea(QWidget* parent) {
  QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 640, 480);
}

// Draws a file column's paths through ElidePath.
class PathDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QStyle* style = cell.widget != nullptr ? cell.widget->style() : QApplication::style();
    // The room the style leaves for the text: the cell less a margin on each side.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, cell.widget) + 1;
    cell.text = ElidePath(cell.text, cell.fontMetrics, cell.rect.width() - 2 * margin);
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
  }
};

// `text` elided to at most `width` pixels as horizontalAdvance measures them, which elidedText
// alone may miss by a pixel: a text that overflows is elided once more by the style, from the
// right, which would cut off the file name after all.
QString Elided(const QString& text, const QFontMetrics& metrics, int width) {
  QString elided = metrics.elidedText(text, Qt::ElideMiddle, width);
  for (int room = width - 1; room >= 0 && metrics.horizontalAdvance(elided) > width; --room) {
    elided = metrics.elidedText(text, Qt::ElideMiddle, room);
  }
  return elided;
}

// The whole row as text, one "column: value" line for each column that has a value.
constexpr int kRowTextRole = Qt::UserRole;
// The history the row's job wrote, which "Read" opens; none where it wrote none.
constexpr int kWrittenRole = Qt::UserRole + 1;

QString RowText(const QStringList& headers, const QStringList& values) {
  QStringList lines;
  for (qsizetype column = 0; column < values.size(); ++column) {
    if (!values[column].isEmpty()) lines << headers[column] + QStringLiteral(": ") + values[column];
  }
  return lines.join(u'\n');
}

QTreeWidgetItem* MakeItem(const ResultRow& row, const QStringList& headers) {
  QStringList values(JobResultsDialog::kColumns);
  values[JobResultsDialog::kOutcome] = FromUtf8(row.outcome);
  values[JobResultsDialog::kInput] = FromUtf8(row.input);
  values[JobResultsDialog::kSecondInput] = FromUtf8(row.second);
  values[JobResultsDialog::kOutput] = FromUtf8(row.output);
  values[JobResultsDialog::kDetail] = FromUtf8(row.detail);
  auto* item = new QTreeWidgetItem(values);
  // The whole text on hover: paths and reasons are often wider than their column. The list's
  // PlainToolTips show it as text, whatever markup a file's name may hold.
  for (int column = JobResultsDialog::kInput; column < JobResultsDialog::kColumns; ++column) {
    item->setToolTip(column, values[column]);
  }
  item->setData(0, kRowTextRole, RowText(headers, values));
  if (row.failed) {
    for (int column = 0; column < JobResultsDialog::kColumns; ++column) {
      item->setForeground(column, Qt::darkRed);
    }
  }
  return item;
}

}  // namespace

QString ElidePath(const QString& path, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(path) <= width) return path;
  const qsizetype slash = path.lastIndexOf(u'/');
  const QString name = path.mid(slash + 1);
  const QString ellipsis(QChar(0x2026));
  const int folderRoom = width - metrics.horizontalAdvance(u'/' + name);
  if (slash <= 0 || folderRoom < metrics.horizontalAdvance(ellipsis)) {
    return Elided(name, metrics, width);
  }
  return Elided(path.left(slash), metrics, folderRoom) + u'/' + name;
}

// The histories a job wrote and left in place: merged outputs, and files it copied. A dry run
// wrote none.
std::vector<std::string> WrittenHistories(const JobReport& report) {
  std::vector<std::string> written;
  if (report.dryRun) return written;
  const auto add = [&written](const std::string& path) {
    if (std::find(written.begin(), written.end(), path) == written.end()) written.push_back(path);
  };
  for (const PairReport& pair : report.pairs) {
    if (pair.outcome == PairOutcome::Merged) add(pair.output);
  }
  for (const CopyReport& copy : report.copies) {
    const bool oneSide = !copy.stylesheet && !copy.copyBack;
    if (oneSide &&
        (copy.outcome == CopyOutcome::Copied || copy.outcome == CopyOutcome::MergedWithOutput)) {
      add(copy.to);
    }
  }
  return written;
}

JobResultsDialog::JobResultsDialog(const JobReport& report, QWidget* parent,
                                   ExportAndOpen exportAndOpen)
    : QDialog(parent),
      histories_(WrittenHistories(report)),
      exportAndOpen_(std::move(exportAndOpen)) {
  setObjectName(QStringLiteral("jobResultsDialog"));
  setWindowTitle(ResultsWindowTitle(report.gather));

  auto* summary = new QLabel(this);
  summary->setObjectName(QStringLiteral("resultsSummary"));
  summary->setTextFormat(Qt::PlainText);
  summary->setWordWrap(true);
  QString text = FromUtf8(DescribeTotals(report));
  if (report.stopped) text += u'\n' + FromUtf8(StoppedText(report));
  summary->setText(text);

  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("resultsList"));
  new PlainToolTips(list_);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  const QStringList headers{ResultsColumnOutcome(), ResultsColumnInput(report.gather),
                            ResultsColumnSecondInput(), ResultsColumnOutput(),
                            ResultsColumnDetail()};
  list_->setHeaderLabels(headers);
  QList<QTreeWidgetItem*> items;
  for (const ResultRow& row : ResultRows(report)) {
    items << MakeItem(row, headers);
    if (std::find(histories_.begin(), histories_.end(), row.output) != histories_.end()) {
      items.back()->setData(0, kWrittenRole, FromUtf8(row.output));
    }
  }
  list_->addTopLevelItems(items);
  list_->header()->setSectionResizeMode(QHeaderView::Interactive);
  // A gather has no second input: its copies are rows of their own.
  list_->setColumnHidden(kSecondInput, report.gather);
  list_->setColumnWidth(kOutcome, 110);
  auto* paths = new PathDelegate(list_);
  for (int column : {kInput, kSecondInput, kOutput}) {
    list_->setItemDelegateForColumn(column, paths);
    list_->setColumnWidth(column, 230);
  }

  // The current row whole, where a keyboard can reach, select and copy it.
  details_ = new QPlainTextEdit(this);
  details_->setObjectName(QStringLiteral("resultsDetails"));
  details_->setAccessibleName(ResultsDetailsName());
  details_->setReadOnly(true);
  details_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  details_->setMinimumHeight(details_->fontMetrics().lineSpacing() * 5);
  connect(list_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current) { ShowDetails(current); });
  auto* copy = new QShortcut(QKeySequence::Copy, list_);
  copy->setContext(Qt::WidgetShortcut);
  connect(copy, &QShortcut::activated, this, [this] { CopyCurrentRow(); });

  exportStatus_ = new QLabel(this);
  exportStatus_->setObjectName(QStringLiteral("exportStatus"));
  exportStatus_->setTextFormat(Qt::PlainText);
  exportStatus_->setWordWrap(true);
  exportStatus_->hide();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  QPushButton* exportButton = buttons->addButton(ExportButtonText(), QDialogButtonBox::ActionRole);
  exportButton->setObjectName(QStringLiteral("exportButton"));
  exportButton->setAutoDefault(false);
  exportButton->setEnabled(!histories_.empty());
  connect(exportButton, &QPushButton::clicked, this, [this] { ExportHistories(); });
  QPushButton* readButton = buttons->addButton(QTr("Read"), QDialogButtonBox::ActionRole);
  readButton->setObjectName(QStringLiteral("readButton"));
  readButton->setAccessibleName(QTr("Read the written history"));
  readButton->setAutoDefault(false);
  readButton->setEnabled(false);
  connect(list_, &QTreeWidget::currentItemChanged, readButton, [readButton](QTreeWidgetItem* at) {
    readButton->setEnabled(at != nullptr && at->data(0, kWrittenRole).isValid());
  });
  connect(readButton, &QPushButton::clicked, this, [this] {
    if (const QTreeWidgetItem* item = list_->currentItem()) {
      ProfileStore profile;
      DialogPathChooser chooser;
      RunReaderWindow(this, item->data(0, kWrittenRole).toString().toStdString(),
                      {.profile = &profile, .chooser = &chooser});
    }
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary);
  layout->addWidget(list_, 3);
  layout->addWidget(details_, 1);
  layout->addWidget(exportStatus_);
  layout->addWidget(buttons);

  if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
  list_->setFocus();

  // However many rows there are, the window (its frame included) stays on the screen and
  // the list scrolls inside it.
  const QRect area = AvailableArea(parent);
  const QSize room(std::max(200, area.width() - 40), std::max(150, area.height() - 60));
  setMaximumSize(room);
  resize(std::min(room.width(), 1000), std::min(room.height(), 560));
}

void JobResultsDialog::ShowDetails(const QTreeWidgetItem* item) {
  details_->setPlainText(item != nullptr ? item->data(0, kRowTextRole).toString() : QString());
}

void JobResultsDialog::ExportHistories() {
  const QString status = ExportHistoriesAndOpen(this, histories_, exportAndOpen_);
  if (status.isEmpty()) return;
  exportStatus_->setText(status);
  exportStatus_->show();
}

void JobResultsDialog::CopyCurrentRow() const {
  if (const QTreeWidgetItem* item = list_->currentItem()) {
    QGuiApplication::clipboard()->setText(item->data(0, kRowTextRole).toString());
  }
}

}  // namespace palvarin

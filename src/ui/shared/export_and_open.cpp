#include "ui/shared/export_and_open.hpp"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "job/run_export_job.hpp"
#include "texts/export_text.hpp"
#include "texts/report_text.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "ui/shared/progress_run.hpp"

namespace palvarin {
namespace {

// No browser could be started: the user is told where the index is, with a button that copies
// its path, so that it can be opened by hand. The path is plain text, as any name may be.
void TellIndexNotOpened(QWidget* parent, const QString& text, const QString& path) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Palvarin"), text, QMessageBox::Ok, parent);
  box.setObjectName(QStringLiteral("indexNotOpenedBox"));
  box.setTextFormat(Qt::PlainText);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  QPushButton* copy = box.addButton(CopyPathButtonText(), QMessageBox::ActionRole);
  copy->setObjectName(QStringLiteral("copyIndexPathButton"));
  box.exec();
  if (box.clickedButton() == copy) QGuiApplication::clipboard()->setText(path);
}

}  // namespace

ExportAndOpen DesktopExportAndOpen() {
  return {[](QWidget* parent) {
            return QFileDialog::getExistingDirectory(parent, ExportFolderTitle());
          },
          [](const QUrl& page) { return QDesktopServices::openUrl(page); }};
}

QString ExportHistoriesAndOpen(QWidget* parent, const std::vector<std::string>& inputs,
                               const ExportAndOpen& exportAndOpen) {
  const QString folder = exportAndOpen.chooseFolder(parent);
  if (folder.isEmpty()) return {};
  StopFlag stop;
  JobProgressDialog progress(stop, parent);
  ProgressRelay relay(progress);
  const ExportResult result = RunOffGuiThread(progress, [&] {
    return RunExportJob({.format = ExportFormat::Html,
                         .inputs = inputs,
                         .outputFolder = folder.toStdString(),
                         .words = ExportWordsInUse(),
                         .stop = &stop},
                        relay);
  });
  if (result.refusal) return FromUtf8(RefusalText(*result.refusal));
  QStringList lines{FromUtf8(DescribeExportTotals(result.report))};
  for (const std::string& line : DescribeExportFailures(result.report)) lines << FromUtf8(line);
  const ExportItem& index = result.report.items.back();
  if (index.outcome == ExportOutcome::Exported &&
      !exportAndOpen.open(QUrl::fromLocalFile(FromUtf8(index.output)))) {
    const QString notOpened = IndexNotOpenedText(FromUtf8(index.output));
    lines << notOpened;
    TellIndexNotOpened(parent, notOpened, FromUtf8(index.output));
  }
  return lines.join(u'\n');
}

}  // namespace palvarin

#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "ui/shared/export_and_open.hpp"

class QFontMetrics;
class QLabel;
class QPushButton;
class QPlainTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace palvarin {

struct JobReport;

// `path` shortened to `width` pixels as the results list shows it: whole if it fits, else its
// folders give way from their middle so that the file name stays whole, and only when even
// that has no room is the file name shortened in its middle.
QString ElidePath(const QString& path, const QFontMetrics& metrics, int width);

// What a job did, after it ran: a summary line, then one row per pair, copy, backup and note,
// in a list that scrolls, so that the window fits the screen however long the list is. The
// file columns hold whole paths, shown by ElidePath where narrow (the whole path in the
// tooltip); the pane under the list shows the current row whole as plain text, and Ctrl+C in
// the list copies that text. The first row is current when the window opens.
// Where the job wrote histories, "Export to HTML and open" exports them into a folder the user
// picks and opens its index.html; a line under the list says how the export went. "Read" opens
// the reader window on the history the current row's pair wrote.
// Object names: "jobResultsDialog", "resultsSummary", "resultsList", "resultsDetails",
// "exportButton", "exportStatus", "readButton", "okButton".
class JobResultsDialog : public QDialog {
 public:
  JobResultsDialog(const JobReport& report, QWidget* parent,
                   ExportAndOpen exportAndOpen = DesktopExportAndOpen());

  // The list's columns.
  enum Column { kOutcome, kInput, kSecondInput, kOutput, kDetail, kColumns };

 private:
  void ShowDetails(const QTreeWidgetItem* item);
  void CopyCurrentRow() const;
  void ExportHistories();

  QTreeWidget* list_;
  QPlainTextEdit* details_;
  std::vector<std::string> histories_;  // what the job wrote: merged outputs, copies made
  ExportAndOpen exportAndOpen_;
  QLabel* exportStatus_;
};

}  // namespace palvarin

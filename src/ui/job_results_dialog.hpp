#pragma once

#include <QDialog>

class QTreeWidget;

namespace palvarin {

struct JobReport;

// What a job did, after it ran: a summary line, then one row per pair, copy, backup and note,
// in a list that scrolls, so that the window fits the screen however long the list is.
// Object names: "jobResultsDialog", "resultsSummary", "resultsList", "okButton".
class JobResultsDialog : public QDialog {
 public:
  JobResultsDialog(const JobReport& report, QWidget* parent);
};

}  // namespace palvarin

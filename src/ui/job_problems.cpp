#include "job_problems.hpp"

#include "dialog_strings.hpp"
#include "job/job_report.hpp"
#include "message_presenter.hpp"
#include "texts/report_text.hpp"

namespace palvarin {

void ShowArchivedEntries(MessagePresenter& messages, QWidget* parent, const JobReport& report) {
  if (report.ArchivedEntries() > 0) {
    messages.Show(parent, ArchivedEntriesNote(report.ArchivedEntries()));
  }
}

}  // namespace palvarin

#include "ui/results/job_problems.hpp"

#include "job/job_report.hpp"
#include "texts/report_text.hpp"
#include "ui/results/message_presenter.hpp"
#include "ui/shared/dialog_strings.hpp"

namespace palvarin {

void ShowArchivedEntries(MessagePresenter& messages, QWidget* parent, const JobReport& report) {
  if (report.ArchivedEntries() > 0) {
    messages.Show(parent, ArchivedEntriesNote(report.ArchivedEntries()));
  }
}

void ShowJobEnd(MessagePresenter& messages, QWidget* parent, const JobReport& report) {
  QString text = MessageQText(kMessageMergeFinished);
  const int failedPairs = report.Count(PairOutcome::Failed);
  const int failedCopies = report.Count(CopyOutcome::Failed);
  const int notRunPairs = report.Count(PairOutcome::NotRun);
  const int notRunCopies = report.Count(CopyOutcome::NotRun);
  if (failedPairs + failedCopies > 0) text += u'\n' + FailedItemsNote(failedPairs, failedCopies);
  if (report.stopped) text += u'\n' + StoppedJobNote(notRunPairs, notRunCopies);
  // A stop that came once everything had started left nothing undone.
  const bool allDone = failedPairs + failedCopies + notRunPairs + notRunCopies == 0;
  messages.Show(parent, text, allDone ? MessageIcon::Information : MessageIcon::Warning);
}

}  // namespace palvarin

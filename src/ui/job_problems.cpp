#include "job_problems.hpp"

#include <QStringList>

#include "dialog_strings.hpp"
#include "message_presenter.hpp"
#include "texts/report_text.hpp"

namespace palvarin {

void ShowJobProblems(MessagePresenter& messages, QWidget* parent, const JobReport& report) {
  const std::vector<std::string> failures = DescribeFailures(report);
  if (failures.empty()) return;
  QStringList lines{JobProblemsHeading()};
  for (const std::string& line : failures) lines << FromUtf8(line);
  messages.Show(parent, lines.join(u'\n'));
}

void ShowArchivedEntries(MessagePresenter& messages, QWidget* parent, const JobReport& report) {
  if (report.ArchivedEntries() > 0) {
    messages.Show(parent, ArchivedEntriesNote(report.ArchivedEntries()));
  }
}

}  // namespace palvarin

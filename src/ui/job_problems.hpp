#pragma once

class QWidget;

namespace palvarin {

class MessagePresenter;
struct JobReport;

// After a job: one warning that lists every pair and copy that failed and every note of the
// job (DescribeFailures); nothing when there is none.
void ShowJobProblems(MessagePresenter& messages, QWidget* parent, const JobReport& report);

// After a job: how many entries the archive rule left out; nothing when it left out none.
void ShowArchivedEntries(MessagePresenter& messages, QWidget* parent, const JobReport& report);

}  // namespace palvarin

#pragma once

class QWidget;

namespace palvarin {

class MessagePresenter;
struct JobReport;

// After a job: how many entries the archive rule left out; nothing when it left out none.
void ShowArchivedEntries(MessagePresenter& messages, QWidget* parent, const JobReport& report);

// The end message (250): with the information icon when every pair and copy ran and none
// failed; else with the warning icon and, after the message, what failed or was not started.
void ShowJobEnd(MessagePresenter& messages, QWidget* parent, const JobReport& report);

}  // namespace palvarin

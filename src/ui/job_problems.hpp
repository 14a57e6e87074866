#pragma once

class QWidget;

namespace palvarin {

class MessagePresenter;
struct JobReport;

// After a job: how many entries the archive rule left out; nothing when it left out none.
void ShowArchivedEntries(MessagePresenter& messages, QWidget* parent, const JobReport& report);

}  // namespace palvarin

#pragma once

#include <QString>
#include <memory>

class QMessageBox;
class QWidget;

namespace palvarin {

struct JobReport;

// Shows the program's messages and what a job did; tests record them instead of opening
// modal windows.
class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  // Tells the user `text` and returns once it has been seen.
  virtual void Show(QWidget* parent, const QString& text) = 0;
  // Lists what the job did and returns once it has been seen.
  virtual void ShowResults(QWidget* parent, const JobReport& report) = 0;
};

// The message box of every message: warning icon, OK only, caption "Palvarin", plain text.
std::unique_ptr<QMessageBox> MakeWarningBox(QWidget* parent, const QString& text);

// Shows each message in a modal MakeWarningBox, and the results in a modal JobResultsDialog.
class MessageBoxPresenter : public MessagePresenter {
 public:
  void Show(QWidget* parent, const QString& text) override;
  void ShowResults(QWidget* parent, const JobReport& report) override;
};

}  // namespace palvarin

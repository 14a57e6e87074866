#pragma once

#include <QString>
#include <memory>

class QMessageBox;
class QWidget;

namespace palvarin {

struct JobReport;

// The icon of a message: a warning for every message but the end of a job that went well, and
// a question for what asks Yes or No.
enum class MessageIcon { Warning, Information, Question };

// Shows the program's messages and what a job did; tests record them instead of opening
// modal windows.
class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  // Tells the user `text` with `icon` and returns once it has been seen.
  virtual void Show(QWidget* parent, const QString& text, MessageIcon icon) = 0;
  void Show(QWidget* parent, const QString& text) { Show(parent, text, MessageIcon::Warning); }
  // Lists what the job did and returns once it has been seen.
  virtual void ShowResults(QWidget* parent, const JobReport& report) = 0;
  // Asks `text` with Yes and No, No the default: true when the user says Yes.
  virtual bool Ask(QWidget* parent, const QString& text) = 0;
};

// The message box of every message: `icon`, caption "Palvarin", plain text; OK only, or for a
// question Yes and No with No the default.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& text, MessageIcon icon);

// Shows each message in a modal MakeMessageBox, and the results in a modal JobResultsDialog.
class MessageBoxPresenter : public MessagePresenter {
 public:
  using MessagePresenter::Show;
  void Show(QWidget* parent, const QString& text, MessageIcon icon) override;
  void ShowResults(QWidget* parent, const JobReport& report) override;
  bool Ask(QWidget* parent, const QString& text) override;
};

}  // namespace palvarin

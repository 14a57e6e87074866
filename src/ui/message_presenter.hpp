#pragma once

#include <QString>
#include <memory>

class QMessageBox;
class QWidget;

namespace palvarin {

// Shows the program's messages; tests record them instead of opening modal boxes.
class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  // Tells the user `text` and returns once it has been seen.
  virtual void Show(QWidget* parent, const QString& text) = 0;
};

// The message box of every message: warning icon, OK only, caption "Palvarin", plain text.
std::unique_ptr<QMessageBox> MakeWarningBox(QWidget* parent, const QString& text);

// Shows each message in a modal MakeWarningBox.
class MessageBoxPresenter : public MessagePresenter {
 public:
  void Show(QWidget* parent, const QString& text) override;
};

}  // namespace palvarin

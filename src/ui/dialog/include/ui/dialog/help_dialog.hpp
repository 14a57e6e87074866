#pragma once

#include <QDialog>

namespace palvarin {

// The list of command-line switches: five labels ("helpBlock1" to "helpBlock5", top to
// bottom) and an OK button ("okButton"); titled "Help" in the language in use.
class HelpDialog : public QDialog {
 public:
  explicit HelpDialog(QWidget* parent = nullptr);
};

}  // namespace palvarin

#pragma once

#include <memory>

#include "app/front_end.hpp"

namespace palvarin {

class MessagePresenter;
class PathChooser;

// Messages as warning boxes, the help as HelpDialog, the main dialog as CPalvarinDlg.
// Needs a running QApplication.
class DialogFrontEnd : public WindowFace {
 public:
  DialogFrontEnd(MessagePresenter& messages, PathChooser& chooser)
      : messages_(messages), chooser_(chooser) {}
  void ShowMessage(MessageId id) override;
  void ShowHelp(HelpReason reason) override;
  void ShowWarning(const std::string& text) override;
  // Shows the main dialog modally. The exit status: 1 when a job run from it left a pair
  // failed, else 0.
  int RunDialog(const MergeSettings& settings, ProfileStore& profile) override;
  // The reader window, modally, keeping its size in the profile; 0 when it was shown, 2 when
  // nothing is at `path` or its folder cannot be listed (said in a message).
  int ShowReader(const std::string& path) override;

 private:
  MessagePresenter& messages_;
  PathChooser& chooser_;
};

// True when a window can be shown: QT_QPA_PLATFORM, DISPLAY or WAYLAND_DISPLAY is set.
bool CanShowWindows();

// The windowed front end with real message boxes and file dialogs, or null when no window
// can be shown. The QApplication is made on first use, so a run that never shows a window
// never connects to the display. `argc` and `argv` must outlive the front end.
std::unique_ptr<WindowFace> MakeDialogFrontEnd(int& argc, char** argv);

}  // namespace palvarin

#include "ui/dialog_front_end.hpp"

#include <QApplication>

#include "app/front_end.hpp"
#include "qt_translations.hpp"
#include "state/profile_store.hpp"
#include "texts/cause_text.hpp"
#include "ui/dialog/help_dialog.hpp"
#include "ui/dialog/palvarin_dlg.hpp"
#include "ui/reader/reader_window.hpp"
#include "ui/results/message_presenter.hpp"
#include "ui/shared/desktop_identity.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "ui/shared/path_chooser.hpp"

namespace palvarin {
namespace {

// DialogFrontEnd with the real presenter and chooser, starting Qt when first needed.
class QtFrontEnd final : public WindowFace {
 public:
  QtFrontEnd(int& argc, char** argv) : argc_(argc), argv_(argv) {}
  void ShowMessage(MessageId id) override { Started().ShowMessage(id); }
  void ShowHelp(HelpReason reason) override { Started().ShowHelp(reason); }
  void ShowWarning(const std::string& text) override { Started().ShowWarning(text); }
  int RunDialog(const MergeSettings& settings, ProfileStore& profile) override {
    return Started().RunDialog(settings, profile);
  }
  int ShowReader(const std::string& path) override { return Started().ShowReader(path); }

 private:
  WindowFace& Started() {
    if (!application_) {
      application_ = std::make_unique<QApplication>(argc_, argv_);
      SetUpApplicationIdentity();
      InstallQtTranslations(*application_);
    }
    return windows_;
  }

  int& argc_;
  char** argv_;
  std::unique_ptr<QApplication> application_;
  MessageBoxPresenter messages_;
  DialogPathChooser chooser_;
  DialogFrontEnd windows_{messages_, chooser_};
};

bool IsSet(const char* name) { return !qEnvironmentVariableIsEmpty(name); }

}  // namespace

void DialogFrontEnd::ShowMessage(MessageId id) { messages_.Show(nullptr, MessageQText(id)); }

void DialogFrontEnd::ShowHelp(HelpReason /*reason*/) { HelpDialog().exec(); }

void DialogFrontEnd::ShowWarning(const std::string& text) {
  messages_.Show(nullptr, FromUtf8(text));
}

int DialogFrontEnd::RunDialog(const MergeSettings& settings, ProfileStore& profile) {
  CPalvarinDlg dialog(settings, profile, messages_, chooser_);
  dialog.exec();
  return dialog.JobFailed() ? kExitFellShort : kExitDone;
}

int DialogFrontEnd::ShowReader(const std::string& path) {
  // The window keeps its size in the profile, which start-up opened for reading only.
  ProfileStore profile;
  ReaderWindow window({.profile = &profile, .chooser = &chooser_});
  if (!path.empty()) {
    if (const Result<> opened = window.Open(path); !opened) {
      ShowWarning(Word(opened.reason()));
      return kExitRefused;
    }
  }
  window.exec();
  return kExitDone;
}

bool CanShowWindows() {
  return IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
}

std::unique_ptr<WindowFace> MakeDialogFrontEnd(int& argc, char** argv) {
  if (!CanShowWindows()) return nullptr;
  return std::make_unique<QtFrontEnd>(argc, argv);
}

}  // namespace palvarin

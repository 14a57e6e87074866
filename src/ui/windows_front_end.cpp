#include "ui/windows_front_end.hpp"

#include <QApplication>

#include "app/start_up.hpp"
#include "ui/desktop_identity.hpp"
#include "ui/dialog_strings.hpp"
#include "ui/help_dialog.hpp"
#include "ui/job_problems.hpp"
#include "ui/message_presenter.hpp"
#include "ui/palvarin_dlg.hpp"
#include "ui/path_chooser.hpp"

namespace palvarin {
namespace {

// WindowsFrontEnd with the real presenter and chooser, starting Qt when first needed.
class QtFrontEnd final : public FrontEnd {
 public:
  QtFrontEnd(int& argc, char** argv) : argc_(argc), argv_(argv) {}
  void ShowMessage(MessageId id) override { Started().ShowMessage(id); }
  void ShowHelp(HelpReason reason) override { Started().ShowHelp(reason); }
  void ShowWarning(const std::string& text) override { Started().ShowWarning(text); }
  void ShowJobReport(const JobReport& report) override { Started().ShowJobReport(report); }
  int RunDialog(MergeSettings& settings, ProfileStore& profile) override {
    return Started().RunDialog(settings, profile);
  }

 private:
  FrontEnd& Started() {
    if (!application_) {
      application_ = std::make_unique<QApplication>(argc_, argv_);
      SetUpApplicationIdentity();
    }
    return windows_;
  }

  int& argc_;
  char** argv_;
  std::unique_ptr<QApplication> application_;
  MessageBoxPresenter messages_;
  DialogPathChooser chooser_;
  WindowsFrontEnd windows_{messages_, chooser_};
};

bool IsSet(const char* name) { return !qEnvironmentVariableIsEmpty(name); }

}  // namespace

void WindowsFrontEnd::ShowMessage(MessageId id) { messages_.Show(nullptr, MessageQText(id)); }

void WindowsFrontEnd::ShowHelp(HelpReason /*reason*/) { HelpDialog().exec(); }

void WindowsFrontEnd::ShowWarning(const std::string& text) {
  messages_.Show(nullptr, FromUtf8(text));
}

void WindowsFrontEnd::ShowJobReport(const JobReport& report) {
  ShowJobProblems(messages_, nullptr, report);
  messages_.Show(nullptr, FromUtf8(DescribeTotals(report)));
}

int WindowsFrontEnd::RunDialog(MergeSettings& settings, ProfileStore& profile) {
  CPalvarinDlg dialog(settings, profile, messages_, chooser_);
  dialog.exec();
  settings = dialog.Settings();
  return dialog.JobFailed() ? kExitPairFailed : kExitDone;
}

bool CanShowWindows() {
  return IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
}

std::unique_ptr<FrontEnd> MakeWindowsFrontEnd(int& argc, char** argv) {
  if (!CanShowWindows()) return nullptr;
  return std::make_unique<QtFrontEnd>(argc, argv);
}

}  // namespace palvarin

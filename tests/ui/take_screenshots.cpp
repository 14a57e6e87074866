// Saves PNGs of the dialogs for docs/screenshots: palvarin_screenshots <output folder>.
// Runs on the profile named by PALVARIN_PROFILE only, so that it never sees the user's own.
// Under a window manager it also saves the main dialog as the screen shows it, with the title bar
// and the window icon there.
// The language follows the locale as in the program; Japanese shots are <name>.png, those of
// another language <name>-<language>.png.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QThread>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>

#include "app/message_text.hpp"
#include "desktop_identity.hpp"
#include "dialog_strings.hpp"
#include "help_dialog.hpp"
#include "job/job_report.hpp"
#include "job_problems.hpp"
#include "job_results_dialog.hpp"
#include "message_presenter.hpp"
#include "palvarin_dlg.hpp"
#include "path_chooser.hpp"
#include "qt_translations.hpp"
#include "state/profile_store.hpp"
#include "state/settings_store.hpp"
#include "texts/catalogue.hpp"

namespace {

// "main-dialog.png", or "main-dialog-en.png" in English.
QString FileName(const char* name) {
  const std::string& language = palvarin::TextLanguage();
  const QString suffix =
      language == "ja" ? QString() : QStringLiteral("-") + QString::fromStdString(language);
  return QString::fromLatin1(name) + suffix + QStringLiteral(".png");
}

bool Save(QWidget& window, const QDir& folder, const char* name) {
  window.show();
  QApplication::processEvents();
  const QString file = folder.filePath(FileName(name));
  const bool saved = window.grab().save(file, "PNG");
  std::fprintf(stderr, "%s %s\n", saved ? "saved" : "could not save", qPrintable(file));
  return saved;
}

// The window with the frame the window manager drew around it, grabbed from the screen; false
// when no frame appears (no window manager), which is not an error.
bool SaveWithFrame(QWidget& window, const QDir& folder, const QString& name) {
  window.show();
  QElapsedTimer waited;
  waited.start();
  while (window.frameGeometry() == window.geometry() && waited.elapsed() < 5000) {
    QApplication::processEvents();
    QThread::msleep(50);
  }
  if (window.frameGeometry() == window.geometry()) {
    std::fprintf(stderr, "no window manager: %s not saved\n", qPrintable(name));
    return true;
  }
  // Let the window manager finish drawing the title bar before grabbing the screen.
  for (int i = 0; i < 20; ++i) {
    QApplication::processEvents();
    QThread::msleep(50);
  }
  const QRect frame = window.frameGeometry();
  const QPixmap shot =
      window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
  const QString file = folder.filePath(name);
  const bool saved = shot.save(file, "PNG");
  std::fprintf(stderr, "%s %s\n", saved ? "saved" : "could not save", qPrintable(file));
  return saved;
}

template <typename Widget>
Widget* Child(QWidget& parent, const char* name) {
  return parent.findChild<Widget*>(QString::fromLatin1(name));
}

// A folder job that merged one pair, copied a file found on one side only, and failed on a
// pair whose first file is broken, with the reason the core gives for it.
palvarin::JobReport SampleReport() {
  const std::string out =
      palvarin::TextLanguage() == "ja" ? "/home/user/統合/" : "/home/user/merged/";
  palvarin::JobReport report;
  palvarin::PairReport alice;
  alice.first = "/home/user/PC1/alice@example.com.xml";
  alice.second = "/home/user/PC2/alice@example.com.xml";
  alice.output = out + "alice@example.com.xml";
  alice.outcome = palvarin::PairOutcome::Merged;
  alice.counts.fromInput1 = 12;
  alice.counts.fromInput2 = 30;
  alice.counts.fromBoth = 1840;
  alice.counts.sessions = 214;
  report.pairs.push_back(alice);
  palvarin::PairReport bob;
  bob.first = "/home/user/PC1/bob@example.com.xml";
  bob.second = "/home/user/PC2/bob@example.com.xml";
  bob.output = out + "bob@example.com.xml";
  bob.outcome = palvarin::PairOutcome::Failed;
  bob.problem = palvarin::PairProblem::NotAHistory;
  bob.cause = {.kind = palvarin::ReasonKind::NotWellFormed,
               .path = bob.first,
               .detail = "Error parsing start element tag",
               .offset = 48213};
  report.pairs.push_back(bob);
  palvarin::CopyReport carol;
  carol.from = "/home/user/PC2/carol@example.com.xml";
  carol.to = out + "carol@example.com.xml";
  carol.outcome = palvarin::CopyOutcome::Copied;
  report.copies.push_back(carol);
  return report;
}

// Keeps the end message instead of showing it, for a box of its own to be saved.
class KeptMessage : public palvarin::MessagePresenter {
 public:
  using MessagePresenter::Show;
  void Show(QWidget* /*parent*/, const QString& text, palvarin::MessageIcon icon) override {
    text_ = text;
    icon_ = icon;
  }
  void ShowResults(QWidget* /*parent*/, const palvarin::JobReport& /*report*/) override {}
  std::unique_ptr<QMessageBox> Box() const {
    return palvarin::MakeMessageBox(nullptr, text_, icon_);
  }

 private:
  QString text_;
  palvarin::MessageIcon icon_ = palvarin::MessageIcon::Warning;
};

bool SaveEndMessage(const palvarin::JobReport& report, const QDir& folder, const char* name) {
  KeptMessage end;
  palvarin::ShowJobEnd(end, nullptr, report);
  return Save(*end.Box(), folder, name);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || qEnvironmentVariableIsEmpty("PALVARIN_PROFILE")) {
    std::fprintf(stderr, "usage: PALVARIN_PROFILE=<temporary file> %s <output folder>\n", argv[0]);
    return 2;
  }
  palvarin::UseLanguage(palvarin::RequestedLanguages([](const char* name) {
                          const char* value = std::getenv(name);
                          return value ? std::optional<std::string>(value) : std::nullopt;
                        }),
                        {PALVARIN_LOCALE_BUILD_DIR});
  QApplication application(argc, argv);
  palvarin::SetUpApplicationIdentity();
  palvarin::InstallQtTranslations(application);
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  palvarin::ProfileStore profile;
  palvarin::MergeSettings settings;
  palvarin::LoadSettings(profile, settings);
  palvarin::MessageBoxPresenter messages;
  palvarin::DialogPathChooser chooser;
  bool ok = true;

  palvarin::CPalvarinDlg dialog(settings, profile, messages, chooser);
  ok &= Save(dialog, folder, "main-dialog-first-run");
  ok &= SaveWithFrame(dialog, folder, FileName("main-dialog-window-frame"));

  Child<QAbstractButton>(dialog, "fileRadio")->click();
  Child<QAbstractButton>(dialog, "otherOutputRadio")->click();
  Child<QLineEdit>(dialog, "path1Edit")->setText(QStringLiteral("/home/user/PC1/alice.xml"));
  Child<QLineEdit>(dialog, "path2Edit")->setText(QStringLiteral("/home/user/PC2/alice.xml"));
  Child<QLineEdit>(dialog, "pathSaveEdit")
      ->setText(palvarin::TextLanguage() == "ja" ? QStringLiteral("/home/user/統合/alice.xml")
                                                 : QStringLiteral("/home/user/merged/alice.xml"));
  ok &= Save(dialog, folder, "main-dialog-file-mode-separate-output");
  dialog.hide();

  palvarin::HelpDialog help;
  ok &= Save(help, folder, "help-dialog");
  help.hide();

  const auto box =
      palvarin::MakeMessageBox(nullptr, palvarin::MessageQText(palvarin::kMessageBadArguments),
                               palvarin::MessageIcon::Warning);
  ok &= Save(*box, folder, "message-204");
  box->hide();

  const palvarin::JobReport report = SampleReport();
  palvarin::JobResultsDialog results(report, nullptr);
  // The failed pair chosen, so that the pane shows its reason.
  auto* list = Child<QTreeWidget>(results, "resultsList");
  list->setCurrentItem(list->topLevelItem(1));
  ok &= Save(results, folder, "job-results");
  results.hide();

  palvarin::JobReport allWell = report;
  allWell.pairs.pop_back();
  ok &= SaveEndMessage(allWell, folder, "message-250-information");
  ok &= SaveEndMessage(report, folder, "message-250-warning");
  return ok ? 0 : 1;
}

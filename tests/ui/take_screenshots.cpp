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
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>

#include "app/message_text.hpp"
#include "job/job_report.hpp"
#include "qt_translations.hpp"
#include "state/profile_store.hpp"
#include "state/settings_store.hpp"
#include "texts/catalogue.hpp"
#include "ui/dialog/help_dialog.hpp"
#include "ui/dialog/palvarin_dlg.hpp"
#include "ui/reader/reader_window.hpp"
#include "ui/results/job_problems.hpp"
#include "ui/results/job_results_dialog.hpp"
#include "ui/results/message_presenter.hpp"
#include "ui/shared/desktop_identity.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "ui/shared/path_chooser.hpp"

namespace {

// "main-dialog.png", or "main-dialog-en.png" in English.
QString FileName(const char* name) {
  const std::string& language = palvarin::TextLanguage();
  const QString suffix =
      language == "ja" ? QString() : QStringLiteral("-") + QString::fromStdString(language);
  return QString::fromLatin1(name) + suffix + QStringLiteral(".png");
}

// Saves `window` as "<name>.png", the language in the name already.
bool SaveAs(QWidget& window, const QDir& folder, const QString& name) {
  window.show();
  QApplication::processEvents();
  const QString file = folder.filePath(name + QStringLiteral(".png"));
  const bool saved = window.grab().save(file, "PNG");
  std::fprintf(stderr, "%s %s\n", saved ? "saved" : "could not save", qPrintable(file));
  return saved;
}

bool Save(QWidget& window, const QDir& folder, const char* name) {
  return SaveAs(window, folder, FileName(name).chopped(4));
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
  bool Ask(QWidget* /*parent*/, const QString& text) override {
    text_ = text;
    icon_ = palvarin::MessageIcon::Question;
    return false;
  }
  std::unique_ptr<QMessageBox> Box() const {
    return palvarin::MakeMessageBox(nullptr, text_, icon_);
  }

 private:
  QString text_;
  palvarin::MessageIcon icon_ = palvarin::MessageIcon::Warning;
};

// A message of many lines, to show it wrapped whole.
const char* LongText() {
  static const std::string text = [] {
    std::string words;
    for (int at = 1; at <= 120; ++at)
      words += "line " + std::to_string(at) + " of a long message; ";
    return words;
  }();
  return text.c_str();
}

// Three contacts' histories in a folder of their own, in the language of the shots.
QString WriteSampleHistories(const QTemporaryDir& folder) {
  const bool japanese = palvarin::TextLanguage() == "ja";
  struct Line {
    const char *date, *time, *from, *text;
    int session;
  };
  // The user of every history, who writes to its contact and is written to: the reader tells
  // the two sides apart by that.
  const QString user = QString::fromUtf8(japanese ? "太郎" : "Bob");
  const auto write = [&](const char* name, const std::vector<Line>& lines) {
    QFile file(folder.filePath(QString::fromLatin1(name)));
    if (!file.open(QIODevice::WriteOnly)) return;
    QByteArray xml = "<?xml version=\"1.0\"?>\r\n<Log FirstSessionID=\"1\" LastSessionID=\"3\">";
    const QString contact = QString::fromUtf8(lines.front().from);
    for (const Line& line : lines) {
      const QString from = QString::fromUtf8(line.from);
      xml += QStringLiteral(
                 "<Message Date=\"%1\" Time=\"%2\" SessionID=\"%3\"><From><User "
                 "FriendlyName=\"%4\"/></From><To><User FriendlyName=\"%5\"/></To>"
                 "<Text>%6</Text></Message>")
                 .arg(QString::fromLatin1(line.date), QString::fromLatin1(line.time))
                 .arg(line.session)
                 .arg(from, from == user ? contact : user, QString::fromUtf8(line.text))
                 .toUtf8();
    }
    file.write(xml + "</Log>\r\n");
  };
  // A name that would turn the line round and a right-to-left one, shown as they are.
  write(
      "mallory@example.com.xml",
      {{"2008/05/01", "10:00:00", "Mallory&#x202E;", "please send 100 dollars to account 4711", 1},
       {"2008/05/01", "10:00:30", "&#x5D3;&#x5E0;&#x5D4;", "&#x5E9;&#x5DC;&#x5D5;&#x5DD; 4711", 1},
       {"2008/05/01", "10:01:00", "&lt;b&gt;Eve&lt;/b&gt;", "&lt;img src=\"file:///x\"&gt;", 1}});
  if (japanese) {
    write("hanako@example.com.xml",
          {{"2008/07/12", "21:02:10", "花子", "こんばんは、今週末の予定は？", 1},
           {"2008/07/12", "21:03:40", "太郎", "土曜日は海に行こうと思ってる", 1},
           {"2008/07/12", "21:04:05", "花子", "いいね！天気が晴れるといいけど", 1},
           {"2008/07/12", "21:05:31", "太郎", "予報では晴れだって", 1},
           {"2008/08/02", "9:15:00", "花子", "写真を送るね", 2},
           {"2008/09/20", "22:40:12", "太郎", "来月また晴れたら行こう", 3},
           {"2008/10/04", "23:58:02", "花子", "The photos are up: https://example.com/photos", 4},
           {"2008/10/05", "0:01:10", "太郎", "ありがとう！ Great shots", 4},
           {"2008/10/05", "0:02:45", "花子", LongText(), 4}});
    write("jiro@example.com.xml", {{"2008/06/01", "12:00:00", "次郎", "明日は晴れるかな", 1},
                                   {"2008/06/01", "12:01:00", "太郎", "たぶん雨", 1}});
  } else {
    write("alice@example.com.xml",
          {{"2008/07/12", "21:02:10", "Alice", "Hi! Any plans for the weekend?", 1},
           {"2008/07/12", "21:03:40", "Bob", "Thinking of going to the beach on Saturday", 1},
           {"2008/07/12", "21:04:05", "Alice", "Nice! I hope the weather stays sunny", 1},
           {"2008/07/12", "21:05:31", "Bob", "The forecast says sunny all day", 1},
           {"2008/08/02", "9:15:00", "Alice", "I'll send you the photos", 2},
           {"2008/09/20", "22:40:12", "Bob", "Let's go again next month if it's sunny", 3},
           {"2008/10/04", "23:58:02", "Alice", "The photos are up: https://example.com/photos", 4},
           {"2008/10/05", "0:01:10", "Bob", "Thanks! 写真きれい", 4},
           {"2008/10/05", "0:02:45", "Alice", LongText(), 4}});
    write("carol@example.com.xml",
          {{"2008/06/01", "12:00:00", "Carol", "Will it be sunny tomorrow?", 1},
           {"2008/06/01", "12:01:00", "Bob", "Probably rain", 1}});
  }
  return folder.path();
}

// The reader on the sample histories: a contact's conversation, then a search's hits.
bool SaveReader(const QDir& out) {
  const QTemporaryDir histories, cache;
  const QString folder = WriteSampleHistories(histories);
  palvarin::ReaderWindow reader(
      {.searchIndex = cache.filePath(QStringLiteral("index.sqlite3")).toStdString()});
  reader.resize(960, 560);
  bool ok = static_cast<bool>(reader.Open(folder.toStdString()));
  QElapsedTimer waited;
  waited.start();
  while (reader.Loading() && waited.elapsed() < 20000) QApplication::processEvents();
  auto* conversations = Child<QListView>(reader, "readerConversations");
  conversations->setCurrentIndex(conversations->model()->index(0, 0));
  const QString language = QString::fromStdString(palvarin::TextLanguage());
  ok &= SaveAs(reader, out, QStringLiteral("reader-contact-") + language);
  auto* search = Child<QLineEdit>(reader, "readerSearch");
  search->setText(language == u"ja" ? QStringLiteral("晴れ") : QStringLiteral("sunny"));
  QMetaObject::invokeMethod(search, "returnPressed");
  waited.restart();
  while (reader.Searching() && waited.elapsed() < 20000) QApplication::processEvents();
  ok &= SaveAs(reader, out, QStringLiteral("reader-search-") + language);
  // A conversation across midnight with a long message, and a hostile contact's.
  auto* contacts = Child<QListView>(reader, "readerContacts");
  const auto choose = [&](int contact, int conversation) {
    contacts->setCurrentIndex(contacts->model()->index(contact, 0));
    waited.restart();
    while (reader.Loading() && waited.elapsed() < 20000) QApplication::processEvents();
    conversations->setCurrentIndex(conversations->model()->index(conversation, 0));
  };
  choose(1, 0);  // leaves the hits for the conversations
  choose(0, 3);
  ok &= SaveAs(reader, out, QStringLiteral("reader-midnight-") + language);
  choose(contacts->model()->rowCount() - 1, 0);
  ok &= SaveAs(reader, out, QStringLiteral("reader-hostile-") + language);
  return ok;
}

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
  ok &= SaveReader(folder);
  return ok ? 0 : 1;
}

// Start-up through the windowed front end: which window opens, the message boxes, and the
// test for a display.
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <sstream>

#include "app/command_line.hpp"
#include "app/start_up.hpp"
#include "cli/terminal_front_end.hpp"
#include "ui/dialog_front_end.hpp"
#include "ui/results/message_presenter.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "ui_fixtures.hpp"

namespace palvarin::test {
namespace {

TEST(MessageBoxTest, CaptionedPalvarinWithTheIconAndButtonsAsked) {
  const QString text = QStringLiteral("対象にファイルが設定されていません\n<b>&x</b>");
  const struct {
    MessageIcon icon;
    QMessageBox::Icon shown;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton byDefault;
  } rows[] = {
      {MessageIcon::Warning, QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok},
      {MessageIcon::Information, QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok},
      {MessageIcon::Question, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
       QMessageBox::No}};
  for (const auto& row : rows) {
    const std::unique_ptr<QMessageBox> box = MakeMessageBox(nullptr, text, row.icon);
    EXPECT_EQ(box->icon(), row.shown);
    EXPECT_EQ(box->standardButtons(), row.buttons);
    if (row.byDefault != QMessageBox::Ok) {
      EXPECT_EQ(box->defaultButton(), box->button(row.byDefault));
    }
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Palvarin"));
    EXPECT_EQ(box->text(), text);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
  }
}

struct DisplayRow {
  const char* name;
  const char* platform;
  const char* display;
  const char* wayland;
  bool canShow;
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const DisplayRow& row, std::ostream* out) { *out << row.name; }

class DisplayTest : public ::testing::TestWithParam<DisplayRow> {};

TEST_P(DisplayTest, WindowsOnlyWhenThereIsAWayToShowThem) {
  const DisplayRow& row = GetParam();
  ScopedEnvironment platform("QT_QPA_PLATFORM", row.platform);
  ScopedEnvironment display("DISPLAY", row.display);
  ScopedEnvironment wayland("WAYLAND_DISPLAY", row.wayland);
  EXPECT_EQ(CanShowWindows(), row.canShow);
  int argc = 1;
  char name[] = "palvarin";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(MakeDialogFrontEnd(argc, argv) != nullptr, row.canShow);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, DisplayTest,
    ::testing::Values(DisplayRow{"Nothing", nullptr, nullptr, nullptr, false},
                      DisplayRow{"AllEmpty", "", "", "", false},
                      DisplayRow{"X11", nullptr, ":0", nullptr, true},
                      DisplayRow{"Wayland", nullptr, nullptr, "wayland-0", true},
                      DisplayRow{"PlatformChosen", "offscreen", nullptr, nullptr, true}),
    RowName);

// Start-up with the windowed front end on a temporary profile.
class StartUpTest : public ::testing::Test {
 protected:
  StartUpTest()
      : profileFile_("PALVARIN_PROFILE", (temp_ / "profile.sqlite3").c_str()),
        terminal_(out_, err_),
        windows_(messages_, chooser_) {}

  int Run(std::vector<std::string> arguments) {
    ProfileStore profile;
    return StartUp(ParseCommandLine(arguments), profile, terminal_, &windows_);
  }

  TempFolder temp_;
  ScopedTimeZone zone_{"Europe/Berlin"};
  ScopedEnvironment profileFile_;
  std::ostringstream out_;
  std::ostringstream err_;
  TerminalFrontEnd terminal_;
  RecordingPresenter messages_;
  ScriptedPathChooser chooser_;
  DialogFrontEnd windows_;
};

QString ModalName(QWidget* modal) { return modal ? modal->objectName() : QString(); }

TEST_F(StartUpTest, NoArgumentsOpensTheMainDialog) {
  QString shown;
  const WhenModalShown closer([&](QWidget* modal) {
    shown = ModalName(modal);
    static_cast<QDialog*>(modal)->reject();
  });
  EXPECT_EQ(Run({}), 0);
  EXPECT_TRUE(closer.Acted());
  EXPECT_EQ(shown, QStringLiteral("palvarinDialog"));
  EXPECT_TRUE(messages_.shown.isEmpty());
  EXPECT_TRUE(err_.str().empty());
}

TEST_F(StartUpTest, HelpSwitchOpensOnlyTheHelpDialog) {
  QString shown;
  const WhenModalShown closer([&](QWidget* modal) {
    shown = ModalName(modal);
    static_cast<QDialog*>(modal)->accept();
  });
  EXPECT_EQ(Run({"/h", "/f", "/p1", "a", "/p2", "b"}), 0);
  EXPECT_TRUE(closer.Acted());
  EXPECT_EQ(shown, QStringLiteral("helpDialog"));
  EXPECT_TRUE(messages_.shown.isEmpty());
}

TEST_F(StartUpTest, VersionGoesToTheTerminalAndOpensNoWindow) {
  const WhenModalShown closer([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
  EXPECT_EQ(Run({"--version"}), kExitDone);
  QApplication::processEvents();
  EXPECT_FALSE(closer.Acted());
  EXPECT_EQ(out_.str(), VersionText());
  EXPECT_TRUE(err_.str().empty());
  EXPECT_TRUE(messages_.shown.isEmpty());
}

// "--read" opens the reader window modally on what is at the path, on nothing without a path
// (to open one from there), or says why there is none.
TEST_F(StartUpTest, ReadOpensTheReaderWindowOrSaysWhyNot) {
  WriteFile(temp_ / "alice.xml", SampleHistory("hello", "12:00:00"));
  const struct {
    std::vector<std::string> arguments;
    int contacts;
  } rows[] = {
      {{"--read=" + temp_.Path().string()}, 1},
      {{"--read", (temp_ / "alice.xml").string()}, 1},
      {{"--read"}, 0},
  };
  for (const auto& row : rows) {
    QString shown;
    int contacts = -1;
    const WhenModalShown closer([&](QWidget* modal) {
      shown = ModalName(modal);
      if (auto* list = modal->findChild<QAbstractItemView*>(QStringLiteral("readerContacts"))) {
        contacts = list->model()->rowCount();
      }
      static_cast<QDialog*>(modal)->reject();
    });
    EXPECT_EQ(Run(row.arguments), kExitDone);
    EXPECT_TRUE(closer.Acted());
    EXPECT_EQ(shown, QStringLiteral("readerWindow"));
    EXPECT_EQ(contacts, row.contacts) << row.arguments.size();
    EXPECT_TRUE(messages_.shown.isEmpty());
  }
  EXPECT_EQ(Run({"--read", (temp_ / "gone").string()}), kExitRefused);
  ASSERT_EQ(messages_.shown.size(), 1);
  EXPECT_TRUE(messages_.shown[0].contains(FromUtf8((temp_ / "gone").string())))
      << messages_.shown[0].toStdString();
  EXPECT_TRUE(err_.str().empty());
}

TEST_F(StartUpTest, BadArgumentShowsMessage204ThenTheHelpDialog) {
  QStringList messagesWhenHelpOpened;
  QString shown;
  const WhenModalShown closer([&](QWidget* modal) {
    shown = ModalName(modal);
    messagesWhenHelpOpened = messages_.shown;
    static_cast<QDialog*>(modal)->accept();
  });
  EXPECT_EQ(Run({"/h", "/bogus"}), kExitRefused);
  EXPECT_TRUE(closer.Acted());
  EXPECT_EQ(shown, QStringLiteral("helpDialog"));
  // The message, then the switch it was about.
  ASSERT_EQ(messagesWhenHelpOpened.size(), 2);
  EXPECT_EQ(messagesWhenHelpOpened[0], MessageQText(kMessageBadArguments));
  EXPECT_TRUE(messagesWhenHelpOpened[1].contains(QStringLiteral("'/bogus'")));
}

// What the main dialog shows: the texts of the edits and which buttons are checked.
std::map<QString, QString> Shown(QWidget* dialog) {
  std::map<QString, QString> shown;
  for (auto* edit : dialog->findChildren<QLineEdit*>()) shown[edit->objectName()] = edit->text();
  for (auto* button : dialog->findChildren<QAbstractButton*>()) {
    if (button->isCheckable()) shown[button->objectName()] = button->isChecked() ? "x" : "";
  }
  return shown;
}

// A job run from the dialog stores its settings; the next start shows them.
TEST_F(StartUpTest, NextStartShowsTheValuesOfTheJobThatRan) {
  const std::filesystem::path first = temp_ / "one.xml";
  const std::filesystem::path second = temp_ / "two.xml";
  WriteFile(first, SampleHistory("from one", "10:00:00"));
  WriteFile(second, SampleHistory("from two", "11:00:00"));
  std::map<QString, QString> ran;
  {
    const WhenModalShown firstStart([&](QWidget* modal) {
      TypeInto(modal->findChild<QLineEdit*>("path1Edit"), QString::fromStdString(first));
      TypeInto(modal->findChild<QLineEdit*>("path2Edit"), QString::fromStdString(second));
      Click(modal->findChild<QAbstractButton*>("fileRadio"));
      Click(modal->findChild<QAbstractButton*>("ignoreOldMergeCheck"));
      ran = Shown(modal);
      Click(modal->findChild<QAbstractButton*>("okButton"));
    });
    EXPECT_EQ(Run({}), 0);
    EXPECT_TRUE(firstStart.Acted());
  }
  EXPECT_EQ(messages_.shown, QStringList{MessageQText(kMessageMergeFinished)});

  std::map<QString, QString> next;
  const WhenModalShown nextStart([&](QWidget* modal) {
    next = Shown(modal);
    static_cast<QDialog*>(modal)->reject();
  });
  EXPECT_EQ(Run({}), 0);
  EXPECT_TRUE(nextStart.Acted());
  EXPECT_EQ(next, ran);
  EXPECT_EQ(next[QStringLiteral("path1Edit")], QString::fromStdString(first));
  EXPECT_EQ(next[QStringLiteral("fileRadio")], QStringLiteral("x"));
  EXPECT_EQ(next[QStringLiteral("ignoreOldMergeCheck")], QString());
}

}  // namespace
}  // namespace palvarin::test

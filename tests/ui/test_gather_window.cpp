// The gather window: its list of copies, its output, and the job with its dry run and results.
#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "app/message_text.hpp"
#include "texts/catalogue.hpp"
#include "ui/gather/gather_window.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "ui_fixtures.hpp"

namespace palvarin::test {
namespace {

namespace fs = std::filesystem;

class GatherWindowTest : public DialogTest {
 protected:
  GatherWindowTest() : window_(messages_, chooser_, true) {
    for (const char* pc : {"pc1", "pc2"}) fs::create_directories(temp_ / pc);
    WriteFile(temp_ / "pc1" / "alice.xml", SampleHistory("hello", "10:00:00"));
    WriteFile(temp_ / "pc2" / "alice.xml", SampleHistory("bye", "11:00:00"));
    window_.show();
  }

  template <typename Widget>
  Widget* Control(const char* name) {
    auto* widget = window_.findChild<Widget*>(QString::fromLatin1(name));
    if (widget == nullptr) ADD_FAILURE() << "no control named " << name;
    return widget;
  }
  QString Folder(const char* name) const { return QString::fromStdString((temp_ / name).string()); }

  // Drops `folders` on the window as a file manager would.
  void Drop(const QStringList& folders) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& folder : folders) urls << QUrl::fromLocalFile(folder);
    data.setUrls(urls);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Straight to the window's handler: the application delivers drops only from a drag it runs.
    static_cast<QObject&>(window_).event(&drop);
  }

  GatherWindow window_;
};

TEST_F(GatherWindowTest, ListsCopiesOnceAndGathersThemAfterADryRun) {
  chooser_.AnswerNext(Folder("pc1"));
  test::Click(Control<QAbstractButton>("gatherAddButton"));
  Drop({Folder("pc2"), Folder("pc1"), Folder("missing")});
  EXPECT_EQ(window_.Inputs(), (QStringList{Folder("pc1"), Folder("pc2")}));
  EXPECT_FALSE(Control<QWidget>("gatherRunButton")->isEnabled()) << "no output yet";
  chooser_.AnswerNext(Folder("out"));
  test::Click(Control<QAbstractButton>("gatherOutputBrowse"));
  ASSERT_TRUE(Control<QWidget>("gatherRunButton")->isEnabled());

  test::Click(Control<QAbstractButton>("gatherDryRunCheck"));
  test::Click(Control<QAbstractButton>("gatherRunButton"));
  ASSERT_EQ(messages_.results.size(), 1u);
  EXPECT_TRUE(messages_.results[0].dryRun);
  EXPECT_TRUE(messages_.results[0].gather);
  EXPECT_FALSE(fs::exists(temp_ / "out")) << "a dry run wrote";

  test::Click(Control<QAbstractButton>("gatherDryRunCheck"));
  test::Click(Control<QAbstractButton>("gatherRunButton"));
  ASSERT_EQ(messages_.results.size(), 2u);
  EXPECT_EQ(messages_.results[1].Count(PairOutcome::Merged), 1);
  const std::string gathered = ReadFile(temp_ / "out" / "alice.xml");
  EXPECT_NE(gathered.find("hello"), std::string::npos);
  EXPECT_NE(gathered.find("bye"), std::string::npos);
}

TEST_F(GatherWindowTest, RemovesTheSelectedCopyAndRefusesAnOutputInsideOne) {
  window_.AddFolders({Folder("pc1"), Folder("pc2")});
  auto* list = Control<QListWidget>("gatherInputList");
  list->item(1)->setSelected(true);
  test::Click(Control<QAbstractButton>("gatherRemoveButton"));
  EXPECT_EQ(window_.Inputs(), QStringList{Folder("pc1")});
  TypeInto(Control<QWidget>("gatherOutputEdit"), Folder("pc2") + "/all");
  EXPECT_FALSE(Control<QWidget>("gatherRunButton")->isEnabled()) << "one copy is no gather";

  window_.AddFolders({Folder("pc2")});
  test::Click(Control<QAbstractButton>("gatherRunButton"));
  const Refusal refusal{RefusalKind::InsideInput, PathField::Output,
                        (Folder("pc2") + "/all").toStdString()};
  EXPECT_EQ(messages_.shown, QStringList{FromUtf8(RefusalText(refusal))});
  EXPECT_TRUE(messages_.results.empty());
  EXPECT_FALSE(fs::exists(temp_ / "pc2" / "all"));
}

// A disk with two history folders, one of other XML, and the output with a history of its own.
class FindCopiesTest : public GatherWindowTest {
 protected:
  FindCopiesTest() {
    for (const char* folder : {"disk/old/History", "disk/backup", "disk/notes", "disk/all/x"}) {
      fs::create_directories(temp_ / folder);
    }
    WriteFile(temp_ / "disk/old/History/bob.xml", SampleHistory("old", "09:00:00"));
    WriteFile(temp_ / "disk/backup/bob.xml", SampleHistory("backup", "09:30:00"));
    WriteFile(temp_ / "disk/notes/notes.xml", "<?xml version=\"1.0\"?>\n<notes/>\n");
    WriteFile(temp_ / "disk/all/bob.xml", SampleHistory("gathered", "09:00:00"));
    WriteFile(temp_ / "disk/all/x/bob.xml", SampleHistory("inside", "09:00:00"));
    TypeInto(Control<QWidget>("gatherOutputEdit"), Folder("disk/all"));
  }

  // Finds copies under `root` as the user does, through the folder browser.
  void FindUnder(const QString& root) {
    chooser_.AnswerNext(root);
    test::Click(Control<QAbstractButton>("findCopiesButton"));
  }
  QString Note() { return Control<QLabel>("gatherFindNote")->text(); }
};

TEST_F(FindCopiesTest, AddsTheHistoryFoldersFoundOnceAndNeverTheOutput) {
  window_.AddFolders({Folder("pc1"), Folder("disk/backup")});
  EXPECT_FALSE(Control<QWidget>("findCopiesButton")->accessibleName().isEmpty());

  FindUnder(Folder("disk"));
  EXPECT_EQ(window_.Inputs(),
            (QStringList{Folder("pc1"), Folder("disk/backup"), Folder("disk/old/History")}));
  // Found: the output, the folder inside it and the two copies; only one was new.
  EXPECT_EQ(Note(), FromUtf8(Format(TrN("{0} folder with histories found under {1}; {2} added to "
                                        "the list.",
                                        "{0} folders with histories found under {1}; {2} added to "
                                        "the list.",
                                        4),
                                    {"4", Folder("disk").toStdString(), "1"})));

  FindUnder(Folder("disk/notes"));
  EXPECT_EQ(window_.Inputs().size(), 3);
  EXPECT_EQ(Note(), FromUtf8(Format(Tr("No folder under {0} holds message histories."),
                                    {Folder("disk/notes").toStdString()})));
}

// Two accounts found: the user picks one, and the folders of no known account come along; two
// accounts in the list are gathered together only when the user says Yes to the question.
TEST_F(FindCopiesTest, AsksWhichAccountAndGathersOneAtATime) {
  for (const char* account : {"disk/taro1234567/History", "disk/hanako9876543/History"}) {
    fs::create_directories(temp_ / account);
    WriteFile(temp_ / account / "alice.xml", SampleHistory("x", "09:00:00"));
  }
  chooser_.AnswerAccount(QStringLiteral("taro1234567"));
  FindUnder(Folder("disk"));
  ASSERT_EQ(chooser_.requests.back().kind, test::ScriptedPathChooser::Kind::Account);
  EXPECT_EQ(chooser_.requests.back().current, QStringLiteral("hanako9876543\ntaro1234567"));
  EXPECT_EQ(window_.Inputs(), (QStringList{Folder("disk/taro1234567/History"),
                                           Folder("disk/backup"), Folder("disk/old/History")}));

  window_.AddFolders({Folder("disk/hanako9876543/History")});
  test::Click(Control<QAbstractButton>("gatherRunButton"));
  ASSERT_EQ(messages_.asked.size(), 1);
  EXPECT_TRUE(messages_.asked[0].contains(QStringLiteral("hanako9876543")))
      << messages_.asked[0].toStdString();
  EXPECT_TRUE(messages_.results.empty());

  messages_.answer = true;
  test::Click(Control<QAbstractButton>("gatherRunButton"));
  EXPECT_EQ(messages_.asked.size(), 2);
  ASSERT_EQ(messages_.results.size(), 1u);
  EXPECT_EQ(messages_.results[0].pairs.size(), 2u) << "alice.xml and bob.xml";
}

TEST_F(FindCopiesTest, CancelLeavesTheListAsItWas) {
  window_.AddFolders({Folder("pc1")});
  bool cancelled = false;
  ProgressWatcher watcher([&cancelled](QWidget* progress) {
    auto* cancel = progress->findChild<QAbstractButton*>("progressCancelButton");
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    cancelled = true;
  });
  FindUnder(Folder("disk"));
  ASSERT_TRUE(cancelled) << "no progress window";
  EXPECT_EQ(window_.Inputs(), QStringList{Folder("pc1")});
  EXPECT_TRUE(Note().isEmpty()) << Note().toStdString();

  chooser_.AnswerNext(std::nullopt);  // the user closes the folder browser: nothing is walked
  test::Click(Control<QAbstractButton>("findCopiesButton"));
  EXPECT_EQ(window_.Inputs(), QStringList{Folder("pc1")});
}

TEST_F(GatherWindowTest, TheMainDialogOpensIt) {
  Open();
  QString opened;
  WhenModalShown close([&opened](QWidget* shown) {
    opened = shown->objectName();
    shown->close();
  });
  Click("gatherButton");
  EXPECT_EQ(opened, QStringLiteral("gatherWindow"));
}

}  // namespace
}  // namespace palvarin::test

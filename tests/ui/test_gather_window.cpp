// The gather window: its list of copies, its output, and the job with its dry run and results.
#include <QCheckBox>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "app/message_text.hpp"
#include "dialog_strings.hpp"
#include "gather_window.hpp"
#include "ui_fixtures.hpp"

namespace palvarin::test {
namespace {

namespace fs = std::filesystem;

class GatherWindowTest : public DialogTest {
 protected:
  GatherWindowTest() : window_(messages_, chooser_) {
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

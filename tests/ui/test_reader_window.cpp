// The reader window driven by its object names: a folder's contacts, a contact's
// conversations, a conversation's entries as plain text, the filter, and a read-only folder
// left as it was.
#include <sys/stat.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QTextEdit>
#include <filesystem>
#include <map>
#include <memory>

#include "reader/history_shelf.hpp"
#include "reader_window.hpp"
#include "support/history_builder.hpp"
#include "ui_fixtures.hpp"

namespace palvarin::test {
namespace {

namespace fs = std::filesystem;

class ReaderWindowTest : public ::testing::Test {
 protected:
  ReaderWindowTest() {
    WriteFile(temp_ / "bob.xml",
              "<?xml version=\"1.0\"?>\r\n<Log FirstSessionID=\"1\" LastSessionID=\"2\">"
              "<Message Date=\"2006/01/23\" Time=\"12:00:00\" SessionID=\"1\"><From><User "
              "FriendlyName=\"Bob\"/></From><Text>&lt;b&gt;x&lt;/b&gt;&lt;script&gt;\nline 2"
              "</Text></Message>"
              "<Join Date=\"2006/01/23\" Time=\"12:01:00\" SessionID=\"1\"><User "
              "FriendlyName=\"Carol\"/></Join>"
              "<Message Date=\"2006/02/01\" Time=\"8:00:00\" SessionID=\"2\"><From><User "
              "FriendlyName=\"Bob\"/></From><Text>later</Text></Message></Log>\r\n");
    WriteFile(temp_ / "alice.xml", OneMessageHistory("hi"));
    WriteFile(temp_ / "broken.xml", "<Log><Message>");
  }

  // The window on `path`, shown; null (and a failure) when the shelf cannot be read.
  std::unique_ptr<ReaderWindow> Open(const fs::path& path) {
    Result<std::vector<ShelfHistory>> shelf = ReadShelf(path.string());
    EXPECT_TRUE(shelf);
    if (!shelf) return nullptr;
    auto window = std::make_unique<ReaderWindow>(std::move(*shelf));
    window->show();
    return window;
  }

  static QListView* List(const ReaderWindow& window, const char* name) {
    auto* list = window.findChild<QListView*>(QString::fromLatin1(name));
    if (list == nullptr) ADD_FAILURE() << "no list named " << name;
    return list;
  }
  static QStringList Rows(const QListView* list) {
    QStringList rows;
    for (int row = 0; row < list->model()->rowCount(); ++row) {
      rows << list->model()->index(row, 0).data().toString();
    }
    return rows;
  }
  static void Choose(QListView* list, int row) {
    list->setCurrentIndex(list->model()->index(row, 0));
  }

  TempFolder temp_;
};

TEST_F(ReaderWindowTest, ShowsContactsConversationsAndEntriesAsPlainText) {
  const auto window = Open(temp_.Path());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->objectName(), QStringLiteral("readerWindow"));
  QListView* contacts = List(*window, "readerContacts");
  QListView* conversations = List(*window, "readerConversations");
  QListView* conversation = List(*window, "readerConversation");
  ASSERT_TRUE(contacts && conversations && conversation);

  const QStringList names = Rows(contacts);
  ASSERT_EQ(names.size(), 3);
  EXPECT_EQ(names[0], QStringLiteral("alice"));
  EXPECT_EQ(names[1], QStringLiteral("bob"));
  // The unreadable one is listed, with its reason.
  EXPECT_TRUE(names[2].startsWith(QStringLiteral("broken"))) << names[2].toStdString();
  EXPECT_GT(names[2].size(), QStringLiteral("broken").size()) << names[2].toStdString();

  Choose(contacts, 1);
  const QStringList sessions = Rows(conversations);
  ASSERT_EQ(sessions.size(), 2);
  EXPECT_TRUE(sessions[0].startsWith(QStringLiteral("2006/01/23 12:00:00")))
      << sessions[0].toStdString();
  EXPECT_TRUE(sessions[1].startsWith(QStringLiteral("2006/02/01 8:00:00")))
      << sessions[1].toStdString();
  EXPECT_EQ(Rows(conversation), QStringList());

  Choose(conversations, 0);
  EXPECT_EQ(Rows(conversation),
            (QStringList{QStringLiteral("12:00:00  Bob: <b>x</b><script>\nline 2"),
                         QStringLiteral("12:01:00  Join")}));
  const QAbstractItemModel& entries = *conversation->model();
  EXPECT_FALSE(entries.index(0, 0).data(Qt::ForegroundRole).isValid()) << "a message";
  EXPECT_TRUE(entries.index(1, 0).data(Qt::ForegroundRole).isValid()) << "a join is grey";
  Choose(conversations, 1);
  EXPECT_EQ(Rows(conversation), QStringList{QStringLiteral("8:00:00  Bob: later")});

  // Choosing another contact shows its conversations and none of the last one's entries.
  Choose(contacts, 0);
  EXPECT_EQ(Rows(conversations).size(), 1);
  EXPECT_EQ(Rows(conversation), QStringList());

  // No text of a history is ever taken for markup.
  EXPECT_TRUE(window->findChildren<QTextEdit*>().isEmpty());
  for (const QLabel* label : window->findChildren<QLabel*>()) {
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
  }
  const QList<QListView*> lists = window->findChildren<QListView*>();
  QList<QWidget*> controls(lists.begin(), lists.end());
  controls << window->findChild<QLineEdit*>(QStringLiteral("readerFilter"));
  EXPECT_EQ(controls.size(), 4);
  for (const QWidget* control : controls) {
    EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
  }
}

TEST_F(ReaderWindowTest, FilterNarrowsTheContactsAndCtrlFReachesIt) {
  const auto window = Open(temp_.Path());
  ASSERT_NE(window, nullptr);
  QListView* contacts = List(*window, "readerContacts");
  auto* filter = window->findChild<QLineEdit*>(QStringLiteral("readerFilter"));
  ASSERT_TRUE(contacts && filter);
  const struct {
    const char* typed;
    QStringList shown;
  } rows[] = {
      {"BO", {QStringLiteral("bob")}},
      {"i", {QStringLiteral("alice")}},
      {"nobody", {}},
      {"", {QStringLiteral("alice"), QStringLiteral("bob")}},
  };
  for (const auto& row : rows) {
    TypeInto(filter, QString::fromUtf8(row.typed));
    QStringList shown = Rows(contacts);
    shown.removeIf([](const QString& name) { return name.startsWith(QStringLiteral("broken")); });
    EXPECT_EQ(shown, row.shown) << row.typed;
  }

  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  contacts->setFocus();
  QTest::keyClick(contacts, Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(QApplication::focusWidget(), filter);
  // Tab goes on from the filter through the three lists.
  QStringList order;
  for (QWidget* at = filter->nextInFocusChain(); order.size() < 3; at = at->nextInFocusChain()) {
    if (at->focusPolicy() & Qt::TabFocus) order << at->objectName();
  }
  EXPECT_EQ(order,
            (QStringList{QStringLiteral("readerContacts"), QStringLiteral("readerConversations"),
                         QStringLiteral("readerConversation")}));
}

// The modification time of the folder and of everything in it, by name.
std::map<std::string, fs::file_time_type> Listing(const fs::path& folder) {
  std::map<std::string, fs::file_time_type> listing{{".", fs::last_write_time(folder)}};
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    listing[entry.path().filename().string()] = entry.last_write_time();
  }
  return listing;
}

// Makes a folder read-only (0555) for the life of the object.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const fs::path& folder) : folder_(folder) {
    EXPECT_EQ(::chmod(folder_.c_str(), 0555), 0);
  }
  ~ReadOnlyFolder() { ::chmod(folder_.c_str(), 0755); }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

 private:
  fs::path folder_;
};

TEST_F(ReaderWindowTest, AReadOnlyFolderOpensAndNothingIsWrittenInIt) {
  const auto before = Listing(temp_.Path());
  const ReadOnlyFolder readOnly(temp_.Path());
  {
    const auto window = Open(temp_.Path());
    ASSERT_NE(window, nullptr);
    QListView* contacts = List(*window, "readerContacts");
    QListView* conversations = List(*window, "readerConversations");
    ASSERT_TRUE(contacts && conversations);
    EXPECT_EQ(contacts->model()->rowCount(), 3);
    for (int contact = 0; contact < contacts->model()->rowCount(); ++contact) {
      Choose(contacts, contact);
      for (int at = 0; at < conversations->model()->rowCount(); ++at) Choose(conversations, at);
    }
    window->close();
  }
  EXPECT_EQ(Listing(temp_.Path()), before);
}

}  // namespace
}  // namespace palvarin::test

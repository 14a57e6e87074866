// The reader window driven by its object names: a folder's contacts, a contact's
// conversations, a conversation's entries as plain text, the filter, the search and its hits,
// copying and exporting, a history changed on disk, the size kept in the profile, a read-only
// folder left as it was, and a window that answers while a history loads.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QTextEdit>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <map>
#include <memory>
#include <thread>

#include "entries_model.hpp"
#include "highlight_delegate.hpp"
#include "state/profile_store.hpp"
#include "support/history_builder.hpp"
#include "ui/reader/reader_window.hpp"
#include "ui/results/job_results_dialog.hpp"
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
              "FriendlyName=\"Bob\"/></From><To><User FriendlyName=\"Me\"/></To>"
              "<Text>&lt;b&gt;x&lt;/b&gt;&lt;script&gt;\nline 2</Text></Message>"
              "<Join Date=\"2006/01/23\" Time=\"12:01:00\" SessionID=\"1\"><User "
              "FriendlyName=\"Carol\"/></Join>"
              "<Message Date=\"2006/02/01\" Time=\"8:00:00\" SessionID=\"2\"><From><User "
              "FriendlyName=\"Me\"/></From><To><User FriendlyName=\"Bob\"/></To>"
              "<Text>later</Text></Message></Log>\r\n");
    WriteFile(temp_ / "alice.xml", OneMessageHistory("hi"));
    WriteFile(temp_ / "broken.xml", "<Log><Message>");
  }

  // The window on `path`, shown, its search index in a cache folder of its own, its first
  // contact loaded when `settle`; null (and a failure) when the shelf cannot be listed.
  std::unique_ptr<ReaderWindow> Open(const fs::path& path, ReaderSetup setup = {},
                                     bool settle = true) {
    setup.searchIndex = cache_ / "index.sqlite3";
    setup.exportAndOpen = {[this](QWidget*) { return QString::fromStdString(out_.string()); },
                           [this](const QUrl& page) {
                             opened_.push_back(page);
                             return true;
                           }};
    auto window = std::make_unique<ReaderWindow>(std::move(setup));
    const Result<> opened = window->Open(path.string());
    EXPECT_TRUE(opened);
    if (!opened) return nullptr;
    window->show();
    if (settle) Settle(*window);
    return window;
  }
  // Waits until the chosen history has loaded (and a hit waiting for it is shown).
  static void Settle(const ReaderWindow& window) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.Loading(); }, 20000));
  }

  static QListView* List(const ReaderWindow& window, const char* name) {
    auto* list = window.findChild<QListView*>(QString::fromLatin1(name));
    if (list == nullptr) ADD_FAILURE() << "no list named " << name;
    return list;
  }

 public:
  static QStringList Rows(const QListView* list, int role = Qt::DisplayRole) {
    QStringList rows;
    for (int row = 0; row < list->model()->rowCount(); ++row) {
      rows << list->model()->index(row, 0).data(role).toString();
    }
    return rows;
  }
  // The contacts' names alone, without what was read of them.
  static QStringList Names(const QListView* contacts) { return Rows(contacts, Qt::UserRole); }
  // A conversation's entries as one line each, without its date rows and bidi isolates.
  static QStringList Entries(const QListView* conversation) {
    QStringList entries;
    for (int row = 0; row < conversation->model()->rowCount(); ++row) {
      const QModelIndex index = conversation->model()->index(row, 0);
      if (index.data(EntriesModel::kEntryRole).toInt() < 0) continue;
      entries << Plain(index.data().toString());
    }
    return entries;
  }
  static QString Plain(QString text) { return text.remove(QChar(0x2068)).remove(QChar(0x2069)); }
  // The row of the conversation's `entry`-th entry, and back.
  static QModelIndex EntryRow(const QListView* conversation, int entry) {
    const QAbstractItemModel& model = *conversation->model();
    for (int row = 0; row < model.rowCount(); ++row) {
      if (model.index(row, 0).data(EntriesModel::kEntryRole).toInt() == entry) {
        return model.index(row, 0);
      }
    }
    return {};
  }

 protected:
  // The conversation view of `window` with its first conversation chosen; null (and a failure)
  // without the lists.
  static QListView* FirstConversation(const ReaderWindow& window) {
    QListView* conversations = List(window, "readerConversations");
    QListView* view = List(window, "readerConversation");
    if (conversations == nullptr || view == nullptr) return nullptr;
    Choose(conversations, 0);
    return view;
  }

  static void Choose(QListView* list, int row) {
    list->setCurrentIndex(list->model()->index(row, 0));
  }

  template <typename Widget = QWidget>
  static Widget* Find(const ReaderWindow& window, const char* name) {
    auto* widget = window.findChild<Widget*>(QString::fromLatin1(name));
    if (widget == nullptr) ADD_FAILURE() << "no control named " << name;
    return widget;
  }
  // Puts `query` in the search box (as an input method does), presses Enter and waits for the
  // hits.
  static void Search(ReaderWindow& window, const QString& query) {
    auto* search = Find<QLineEdit>(window, "readerSearch");
    search->setText(query);
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.Searching(); }, 20000));
  }
  // Waits until every contact has been read in the background.
  static void WaitForSummaries(const QListView* contacts, int unreadable) {
    EXPECT_TRUE(QTest::qWaitFor([&] {
      const QModelIndex last = contacts->model()->index(unreadable, 0);
      return Plain(last.data().toString()).size() > last.data(Qt::UserRole).toString().size();
    }));
  }

  TempFolder temp_, cache_;
  fs::path out_ = cache_ / "pages";
  std::vector<QUrl> opened_;
};

TEST_F(ReaderWindowTest, ShowsContactsConversationsAndEntriesAsPlainText) {
  const ScopedTimeZone zone("Europe/Berlin");
  const auto window = Open(temp_.Path());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->objectName(), QStringLiteral("readerWindow"));
  QListView* contacts = List(*window, "readerContacts");
  QListView* conversations = List(*window, "readerConversations");
  QListView* conversation = List(*window, "readerConversation");
  ASSERT_TRUE(contacts && conversations && conversation);

  WaitForSummaries(contacts, 2);
  EXPECT_EQ(Names(contacts), (QStringList{QStringLiteral("alice"), QStringLiteral("bob"),
                                          QStringLiteral("broken")}));
  const QStringList names = Rows(contacts);
  ASSERT_EQ(names.size(), 3);
  // The contact's newest name (not the owner's, "Me", in every conversation of the folder), under
  // it the file's name, how many conversations and the last one's date.
  const QStringList bob = names[1].split(u'\n');
  ASSERT_EQ(bob.size(), 2) << names[1].toStdString();
  EXPECT_EQ(bob[0], QString::fromUtf8("\u2068Bob\u2069"));
  EXPECT_TRUE(bob[1].startsWith(QString::fromUtf8("\u2068bob\u2069  ")) && bob[1].contains(u'2') &&
              bob[1].contains(QStringLiteral("2006-02-01")))
      << bob[1].toStdString();
  // The unreadable one is listed, with its reason.
  EXPECT_TRUE(Plain(names[2]).startsWith(QStringLiteral("broken"))) << names[2].toStdString();
  EXPECT_GT(names[2].size(), QStringLiteral("broken").size()) << names[2].toStdString();

  Choose(contacts, 1);
  Settle(*window);
  const QStringList sessions = Rows(conversations);
  ASSERT_EQ(sessions.size(), 2);
  EXPECT_TRUE(sessions[0].startsWith(QStringLiteral("2006-01-23 12:00:00")))
      << sessions[0].toStdString();
  EXPECT_TRUE(sessions[1].startsWith(QStringLiteral("2006-02-01 08:00:00")))
      << sessions[1].toStdString();
  EXPECT_EQ(Rows(conversation), QStringList());

  Choose(conversations, 0);
  EXPECT_EQ(Rows(conversation).mid(1),
            (QStringList{QString::fromUtf8("12:00:00  \u2068Bob\u2069: "
                                           "\u2068<b>x</b><script>\nline 2\u2069"),
                         QString::fromUtf8("12:01:00  \u2068Join\u2069")}));
  const QAbstractItemModel& entries = *conversation->model();
  EXPECT_FALSE(entries.index(1, 0).data(Qt::ForegroundRole).isValid()) << "a message";
  EXPECT_TRUE(entries.index(2, 0).data(Qt::ForegroundRole).isValid()) << "a join is grey";
  Choose(conversations, 1);
  EXPECT_EQ(Entries(conversation), QStringList{QStringLiteral("08:00:00  Me: later")});

  // Choosing another contact shows its conversations and none of the last one's entries.
  Choose(contacts, 0);
  Settle(*window);
  EXPECT_EQ(Rows(conversations).size(), 1);
  EXPECT_EQ(Rows(conversation), QStringList());

  // No text of a history is ever taken for markup.
  EXPECT_TRUE(window->findChildren<QTextEdit*>().isEmpty());
  for (const QLabel* label : window->findChildren<QLabel*>()) {
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
  }
  // Every control a keyboard reaches is named for a screen reader.
  int controls = 0;
  for (const QWidget* control : window->findChildren<QWidget*>()) {
    if (!(control->focusPolicy() & Qt::TabFocus) || control->objectName().isEmpty()) continue;
    ++controls;
    EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
  }
  EXPECT_GE(controls, 14);
}

// A message of `from` (with the address `address`) to "Me", in session `session`.
std::string Said(const char* from, const char* address, int session, const char* date) {
  return std::string("<Message Date=\"") + date + "\" Time=\"12:00:00\" SessionID=\"" +
         std::to_string(session) + "\"><From><User LogonName=\"" + address + "\" FriendlyName=\"" +
         from + "\"/></From><To><User FriendlyName=\"Me\"/></To><Text>t</Text></Message>";
}

// The contacts go by the names and addresses their histories hold, the newest name first; the
// filter finds any of them or the file name, whatever the letter case or the width typed.
TEST_F(ReaderWindowTest, FilterNarrowsTheContactsAndCtrlFReachesIt) {
  const ScopedTimeZone zone("Asia/Tokyo");
  WriteFile(temp_ / "yuki1234567890.xml",
            "<?xml version=\"1.0\"?>\r\n<Log>" + Said("ゆき", "yuki@example.jp", 1, "2007/01/01") +
                Said("ゆきちゃん", "yuki@example.jp", 2, "2007/02/01") + "</Log>\r\n");
  WriteFile(temp_ / "ben.xml", "<?xml version=\"1.0\"?>\r\n<Log>" +
                                   Said("Big Ben", "", 1, "2007/01/01") + "</Log>\r\n");
  const auto window = Open(temp_.Path());
  ASSERT_NE(window, nullptr);
  QListView* contacts = List(*window, "readerContacts");
  auto* filter = window->findChild<QLineEdit*>(QStringLiteral("readerFilter"));
  ASSERT_TRUE(contacts && filter);
  WaitForSummaries(contacts, 4);
  const QModelIndex yuki = contacts->model()->index(4, 0);
  const QString yukiRow = yuki.data().toString();
  EXPECT_TRUE(
      yukiRow.startsWith(QString::fromUtf8("\u2068ゆきちゃん\u2069  \u2068yuki@example.jp\u2069\n"
                                           "\u2068yuki1234567890\u2069  ")) &&
      yukiRow.contains(QStringLiteral("2007-02-01")))
      << yukiRow.toStdString();
  EXPECT_TRUE(
      yuki.data(Qt::ToolTipRole).toString().contains(QString::fromUtf8("\u2068ゆき\u2069")));
  // The history opened alone, read only as it is shown, is named once shown.
  {
    const auto alone = Open(temp_ / "yuki1234567890.xml");
    ASSERT_NE(alone, nullptr);
    const QModelIndex row = List(*alone, "readerContacts")->model()->index(0, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return row.data().toString().startsWith(yukiRow.left(7)); }))
        << row.data().toString().toStdString();
  }
  const QString yukiName = QStringLiteral("yuki1234567890");
  const struct {
    const char* typed;
    QStringList shown;
  } rows[] = {
      {"BO", {QStringLiteral("bob")}},
      {"lic", {QStringLiteral("alice")}},
      {"ＢＩＧ", {QStringLiteral("ben")}},
      {"ゆき", {yukiName}},
      {"YUKI@EXAMPLE", {yukiName}},
      {"4567", {yukiName}},
      {"nobody", {}},
      {"", {QStringLiteral("alice"), QStringLiteral("ben"), QStringLiteral("bob"), yukiName}},
  };
  for (const auto& row : rows) {
    filter->setText(QString::fromUtf8(row.typed));  // as an input method gives it
    QStringList shown = Names(contacts);
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

// Also a search: its index goes to the cache folder, never beside the histories.
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
      Settle(*window);
      for (int at = 0; at < conversations->model()->rowCount(); ++at) Choose(conversations, at);
    }
    Search(*window, QStringLiteral("hi"));
    EXPECT_EQ(List(*window, "readerResults")->model()->rowCount(), 1);
    window->close();
  }
  EXPECT_EQ(Listing(temp_.Path()), before);
}

// Histories in Japanese for the search: a two-character word in both contacts, in later
// conversations and rows, next to markup that must stay text; one message said twice.
void WriteJapaneseHistories(const fs::path& folder) {
  WriteFile(folder / "alice.xml",
            HistoryText({{"2008/07/01", "10:00:00", "晴れです", 1},
                         {"2008/07/01", "10:01:00", "hello", 1, "Bob"},
                         {"2008/07/02", "9:00:00", "雨", 2},
                         {"2008/07/02", "9:05:00", "明日は晴れ\nたぶん", 2, "Bob"},
                         {"2008/07/03", "8:00:00", "雪", 3},
                         {"2008/07/03", "8:01:00", "雪", 3}}));
  WriteFile(folder / "bob.xml",
            HistoryText({{"2008/08/01", "20:00:00", "晴れた日&lt;script&gt;", 1, "Bob"}}));
  // Written on a PC six hours behind UTC: its "DateTime" falls on another day in Tokyo.
  WriteFile(folder / "carol.xml",
            "<?xml version=\"1.0\"?>\r\n<Log><Message Date=\"2005/01/01\" Time=\"9:17:03\" "
            "DateTime=\"2005-01-01T15:17:03.000Z\" SessionID=\"1\"><From><User "
            "FriendlyName=\"Carol\"/></From><Text>clock</Text></Message></Log>\r\n");
}

// Where a hit is shown: the contact, the conversation and the entry's row in it.
struct Place {
  QString contact;
  int conversation, entry;
  bool operator==(const Place&) const = default;
};
void PrintTo(const Place& place, std::ostream* out) {
  *out << place.contact.toStdString() << " " << place.conversation << "/" << place.entry;
}

TEST_F(ReaderWindowTest, SearchListsEveryHitAndShowsEachInItsConversation) {
  const ScopedTimeZone zone("Asia/Tokyo");
  WriteJapaneseHistories(temp_.Path());
  const struct {
    const char* query;
    std::vector<Place> places;
    const char* shown;  // in the first hit's row, as plain text
  } rows[] = {
      {"晴れ",
       {{"alice", 0, 0}, {"alice", 1, 1}, {"bob", 0, 0}},
       "alice  2008-07-01 10:00:00  Alice: 晴れです"},
      // One clock: the hit's time as its conversation shows it, not its "DateTime" here.
      {"clock", {{"carol", 0, 0}}, "carol  2005-01-01 09:17:03  Carol: clock"},
      {"script 日", {{"bob", 0, 0}}, "Bob: 晴れた日<script>"},
      {"HELLO", {{"alice", 0, 1}}, "Bob: hello"},
      // Alike hits, each shown where it is.
      {"雪", {{"alice", 2, 0}, {"alice", 2, 1}}, "Alice: 雪"},
      {"曇り", {}, ""},
  };
  const auto window = Open(temp_.Path());
  ASSERT_NE(window, nullptr);
  QListView* contacts = List(*window, "readerContacts");
  QListView* conversations = List(*window, "readerConversations");
  QListView* entries = List(*window, "readerConversation");
  QListView* results = List(*window, "readerResults");
  ASSERT_TRUE(contacts && conversations && entries && results);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  const auto shownPlace = [&] {
    return Place{contacts->currentIndex().data(Qt::UserRole).toString(),
                 conversations->currentIndex().row(),
                 entries->currentIndex().data(EntriesModel::kEntryRole).toInt()};
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.query);
    Search(*window, QString::fromUtf8(row.query));
    ASSERT_TRUE(results->isVisible());
    const QStringList hits = Rows(results);
    ASSERT_EQ(hits.size(), static_cast<int>(row.places.size()));
    if (hits.isEmpty()) continue;
    EXPECT_TRUE(Plain(hits[0]).contains(QString::fromUtf8(row.shown))) << hits[0].toStdString();
    EXPECT_FALSE(results->model()->index(0, 0).data(kWordSpansRole).value<QList<QPoint>>().empty());

    // Enter on the first hit, then F3 through the rest and round to the first again.
    QTest::keyClick(results, Qt::Key_Return);
    Settle(*window);
    for (std::size_t at = 0; at <= row.places.size(); ++at) {
      const Place& expected = row.places[at % row.places.size()];
      EXPECT_EQ(shownPlace(), expected) << "hit " << at;
      EXPECT_TRUE(entries->isVisible());
      const QModelIndex entry = entries->currentIndex();
      EXPECT_FALSE(entry.data(kWordSpansRole).value<QList<QPoint>>().empty())
          << entry.data().toString().toStdString();
      QTest::keyClick(window.get(), Qt::Key_F3);
      Settle(*window);
    }
    // The loop went on to the second hit; Shift+F3 twice goes back round to the last. Esc
    // returns to the list.
    QTest::keyClick(window.get(), Qt::Key_F3, Qt::ShiftModifier);
    Settle(*window);
    QTest::keyClick(window.get(), Qt::Key_F3, Qt::ShiftModifier);
    Settle(*window);
    EXPECT_EQ(shownPlace(), row.places.back());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(results->isVisible());
    EXPECT_TRUE(window->isVisible());
    // A click on the last hit shows it.
    const QModelIndex last = results->model()->index(static_cast<int>(hits.size()) - 1, 0);
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, results->visualRect(last).center());
    Settle(*window);
    EXPECT_EQ(shownPlace(), row.places.back());
  }
}

TEST_F(ReaderWindowTest, CopiesSelectedEntriesAsTheTextExportWritesThem) {
  const ScopedTimeZone zone("Asia/Tokyo");
  const auto window = Open(temp_ / "bob.xml");
  ASSERT_NE(window, nullptr);
  QListView* conversations = List(*window, "readerConversations");
  QListView* entries = List(*window, "readerConversation");
  ASSERT_TRUE(conversations && entries);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  Choose(conversations, 0);
  entries->selectAll();
  QApplication::clipboard()->clear();
  entries->setFocus();
  QTest::keyClick(entries, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(),
            QStringLiteral("2006-01-23 12:00:00  Bob: <b>x</b><script>\n    line 2\n"
                           "2006-01-23 12:01:00  * Join\n"));
}

TEST_F(ReaderWindowTest, ExportsTheContactOrTheFolderAndOpensTheIndex) {
  const struct {
    const char* button;
    std::vector<std::string> pages;
  } rows[] = {
      {"readerExportContact", {"alice.html", "index.html"}},
      {"readerExportAll", {"alice.html", "bob.html", "index.html"}},
  };
  for (const auto& row : rows) {
    fs::remove_all(out_);
    opened_.clear();
    const auto window = Open(temp_.Path());
    ASSERT_NE(window, nullptr);
    QTest::mouseClick(Find<QPushButton>(*window, row.button), Qt::LeftButton);
    std::vector<std::string> pages;
    for (const auto& entry : fs::directory_iterator(out_)) {
      pages.push_back(entry.path().filename().string());
    }
    std::sort(pages.begin(), pages.end());
    EXPECT_EQ(pages, row.pages) << row.button;
    EXPECT_EQ(opened_, std::vector<QUrl>{QUrl::fromLocalFile(
                           QString::fromStdString((out_ / "index.html").string()))});
    EXPECT_FALSE(Find<QLabel>(*window, "readerStatus")->text().isEmpty());
  }
}

// A history changed while it is shown, in place or by a new file renamed over it as a merge
// does, is noticed, and Reload shows it as it now is; a second change is noticed again.
TEST_F(ReaderWindowTest, AHistoryChangedOnDiskIsNoticedAndReloaded) {
  const auto rewrite = [](const fs::path& file, const std::string& text, bool byRename) {
    if (!byRename) return WriteFile(file, text);
    WriteFile(fs::path(file) += ".new", text);
    fs::rename(fs::path(file) += ".new", file);
  };
  for (const bool byRename : {false, true}) {
    SCOPED_TRACE(byRename ? "renamed over" : "rewritten");
    WriteFile(temp_ / "alice.xml", OneMessageHistory("hi"));
    const auto window = Open(temp_ / "alice.xml");
    ASSERT_NE(window, nullptr);
    auto* changed = Find<QLabel>(*window, "readerChanged");
    auto* reload = Find<QPushButton>(*window, "readerReload");
    QListView* conversations = List(*window, "readerConversations");
    ASSERT_TRUE(changed && reload && conversations);
    EXPECT_FALSE(changed->isVisible());
    EXPECT_EQ(Rows(conversations).size(), 1);
    for (int sessions = 2; sessions <= 3; ++sessions) {
      std::vector<TestMessage> messages;
      for (int session = 1; session <= sessions; ++session) {
        messages.push_back({"2006/01/23", "12:00:00", "m", session});
      }
      rewrite(temp_ / "alice.xml", HistoryText(messages), byRename);
      EXPECT_TRUE(QTest::qWaitFor([&] { return changed->isVisible(); })) << sessions;
      EXPECT_EQ(Rows(conversations).size(), sessions - 1) << "shown as it was until reloaded";
      QTest::mouseClick(reload, Qt::LeftButton);
      Settle(*window);
      EXPECT_FALSE(changed->isVisible());
      EXPECT_EQ(Rows(conversations).size(), sessions);
    }
  }
}

// Holds back every load of a history until let go, at the latest when it goes, as a slow disk
// would; counts the loads asked for.
class HeldLoads {
 public:
  HeldLoads() = default;
  HeldLoads(const HeldLoads&) = delete;
  HeldLoads& operator=(const HeldLoads&) = delete;
  ~HeldLoads() { LetGo(); }

  std::function<Result<HistoryBook>(const fs::path&)> Opener() {
    return [gate = gate_, asked = asked_](const fs::path& path) {
      ++*asked;
      // Bounded, so that a window that waited for its load on the GUI thread fails, not hangs.
      (void)gate.wait_for(std::chrono::seconds(30));
      return OpenHistoryBook(path);
    };
  }
  void LetGo() {
    if (!released_) released_ = (release_.set_value(), true);
  }
  int Asked() const { return *asked_; }

 private:
  std::promise<void> release_;
  std::shared_future<void> gate_ = release_.get_future().share();
  std::shared_ptr<std::atomic<int>> asked_ = std::make_shared<std::atomic<int>>(0);
  bool released_ = false;
};

// While the chosen history loads the window says so and goes on answering: the filter narrows
// the contacts and the others are summarised. A load that comes after another contact was
// chosen is dropped for that contact's.
TEST_F(ReaderWindowTest, AnswersWhileAHistoryLoadsAndShowsOnlyTheLastChosen) {
  std::unique_ptr<ReaderWindow> window;
  HeldLoads loads;  // goes before the window, which waits for its load
  window = Open(temp_.Path(), {.openBook = loads.Opener()}, false);
  ASSERT_NE(window, nullptr);
  QListView* contacts = List(*window, "readerContacts");
  QListView* conversations = List(*window, "readerConversations");
  auto* filter = Find<QLineEdit>(*window, "readerFilter");
  auto* status = Find<QLabel>(*window, "readerStatus");
  ASSERT_TRUE(contacts && conversations && filter && status);

  EXPECT_TRUE(QTest::qWaitFor([&] { return loads.Asked() == 1; }));
  EXPECT_TRUE(window->Loading());
  EXPECT_EQ(Rows(conversations), QStringList{QString::fromUtf8("読み込み中...")});
  EXPECT_EQ(conversations->model()->flags(conversations->model()->index(0, 0)), Qt::NoItemFlags);
  EXPECT_TRUE(status->isVisible() && status->text().contains(QStringLiteral("alice")))
      << status->text().toStdString();
  WaitForSummaries(contacts, 2);
  TypeInto(filter, QStringLiteral("bo"));
  EXPECT_EQ(Names(contacts), QStringList{QStringLiteral("bob")});

  Choose(contacts, 0);
  loads.LetGo();
  Settle(*window);
  EXPECT_EQ(loads.Asked(), 2);
  EXPECT_EQ(contacts->currentIndex().data(Qt::UserRole).toString(), QStringLiteral("bob"));
  EXPECT_EQ(Rows(conversations).size(), 2);
  EXPECT_FALSE(status->isVisible());
}

// The size and the splitters come back as they were left, through the profile.
TEST_F(ReaderWindowTest, KeepsItsSizeAndSplittersInTheProfile) {
  ProfileStore profile(temp_ / "profile.sqlite3");
  QList<int> sides;
  {
    const auto window = Open(temp_.Path(), {.profile = &profile});
    ASSERT_NE(window, nullptr);
    window->resize(1000, 700);
    auto* splitter = Find<QSplitter>(*window, "readerSides");
    ASSERT_NE(splitter, nullptr);
    splitter->setSizes({300, 650});
    sides = splitter->sizes();
    window->close();
  }
  const auto window = Open(temp_.Path(), {.profile = &profile});
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->size(), QSize(1000, 700));
  EXPECT_EQ(Find<QSplitter>(*window, "readerSides")->sizes(), sides);
}

// Without a path the window opens on nothing, and Open file and Open folder fill it. A folder
// lists what the other jobs take for histories: a file of that name that is none (a settings
// file) leaves the list once read, and a folder of none says so.
TEST_F(ReaderWindowTest, OpensAFileOrAFolderWhenAsked) {
  const fs::path none = temp_ / "none";
  fs::create_directory(none);
  for (const fs::path& folder : {temp_.Path(), none}) {
    WriteFile(folder / "settings.xml", "<?xml version=\"1.0\"?>\r\n<Settings/>\r\n");
  }
  ScriptedPathChooser chooser;
  ReaderWindow window(
      {.profile = nullptr, .chooser = &chooser, .searchIndex = cache_ / "index.sqlite3"});
  window.show();
  QListView* contacts = List(window, "readerContacts");
  auto* status = Find<QLabel>(window, "readerStatus");
  ASSERT_TRUE(contacts && status);
  EXPECT_EQ(Rows(contacts), QStringList());
  const struct {
    const char* button;
    fs::path chosen;
    int contacts;
    QString status;  // a part of it (the folder named, isolated); empty: none shown
  } rows[] = {{"readerOpenFile", temp_ / "bob.xml", 1, {}},
              {"readerOpenFolder", temp_.Path(), 3, {}},
              {"readerOpenFolder", none, 0,
               QChar(0x2068) + QString::fromStdString(none.string()) + QChar(0x2069)}};
  for (const auto& row : rows) {
    chooser.AnswerNext(QString::fromStdString(row.chosen.string()));
    QTest::mouseClick(Find<QPushButton>(window, row.button), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Rows(contacts).size() == row.contacts; }, 20000))
        << row.button << ": " << Rows(contacts).join(u'|').toStdString();
    EXPECT_FALSE(Names(contacts).contains(QStringLiteral("settings"))) << row.button;
    EXPECT_TRUE(QTest::qWaitFor([&] { return status->isVisible() == !row.status.isEmpty(); }))
        << row.button;
    EXPECT_TRUE(status->text().contains(row.status)) << status->text().toStdString();
  }
}

// A message's "Style" shows only as far as the export's allow-list lets it: what it drops has
// no effect on the row's font or colour.
TEST_F(ReaderWindowTest, AppliesOnlyTheStylesTheExportAllows) {
  const struct {
    const char* style;
    bool bold, italic, underline;
    QColor color;  // invalid: none given
  } rows[] = {
      {"font-weight:bold; color:#ff0000", true, false, false, QColor(255, 0, 0)},
      {"FONT-STYLE: Italic; text-decoration: underline", false, true, true, {}},
      {"color:red;background:url(http://x/); font-weight:bold}", false, false, false,
       QColor(Qt::red)},
      {"color:expression(alert(1)); font-style:italic\\", false, false, false, {}},
  };
  std::string entries;
  for (const auto& row : rows) {
    entries += std::string(
                   "<Message Date=\"2006/01/23\" Time=\"12:00:00\" SessionID=\"1\"><From>"
                   "<User FriendlyName=\"A\"/></From><Text Style=\"") +
               row.style + "\">t</Text></Message>";
  }
  WriteFile(temp_ / "styled.xml", "<?xml version=\"1.0\"?>\r\n<Log>" + entries + "</Log>\r\n");
  const auto window = Open(temp_ / "styled.xml");
  ASSERT_NE(window, nullptr);
  QListView* conversation = FirstConversation(*window);
  ASSERT_NE(conversation, nullptr);
  ASSERT_EQ(Entries(conversation).size(), static_cast<int>(std::size(rows)));
  for (int at = 0; at < static_cast<int>(std::size(rows)); ++at) {
    const auto& row = rows[at];
    const QModelIndex entry = EntryRow(conversation, at);
    const QFont font = entry.data(Qt::FontRole).value<QFont>();
    EXPECT_EQ(font.bold(), row.bold) << row.style;
    EXPECT_EQ(font.italic(), row.italic) << row.style;
    EXPECT_EQ(font.underline(), row.underline) << row.style;
    EXPECT_EQ(entry.data(Qt::ForegroundRole).value<QColor>(), row.color) << row.style;
  }
}

// The user's messages are told from the contact's where the owner is known: in the folder, the
// one name ("Me") in every conversation of every history; one history of two people alone
// cannot tell, and shows no sides. Joins and the like have none. Each message names whom it was
// sent to, isolated.
TEST_F(ReaderWindowTest, SidesAndRecipientsOfEachMessage) {
  using Side = EntriesModel::Side;
  const QString bob = QString::fromUtf8("\u2068Bob\u2069"),
                me = QString::fromUtf8("\u2068Me\u2069");
  const struct {
    const char* name;
    fs::path path;
    int conversation;
    std::vector<Side> sides;
    QStringList recipients;
  } rows[] = {
      {"the folder, Bob's", temp_.Path(), 0, {Side::Contact, Side::None}, {me, {}}},
      {"the folder, the user's", temp_.Path(), 1, {Side::Own}, {bob}},
      {"the history alone", temp_ / "bob.xml", 1, {Side::None}, {bob}},
  };
  for (const auto& row : rows) {
    const auto window = Open(row.path);
    ASSERT_NE(window, nullptr);
    QListView* contacts = List(*window, "readerContacts");
    QListView* conversations = List(*window, "readerConversations");
    QListView* view = List(*window, "readerConversation");
    ASSERT_TRUE(contacts && conversations && view);
    if (contacts->model()->rowCount() > 1) {
      WaitForSummaries(contacts, 2);
      Choose(contacts, 1);
      Settle(*window);
    }
    Choose(conversations, row.conversation);
    std::vector<Side> sides;
    QStringList recipients;
    for (int entry = 0; EntryRow(view, entry).isValid(); ++entry) {
      const QModelIndex at = EntryRow(view, entry);
      sides.push_back(static_cast<Side>(at.data(EntriesModel::kSideRole).toInt()));
      recipients << at.data(EntriesModel::kRecipientsRole).toString();
    }
    EXPECT_EQ(sides, row.sides) << row.name;
    EXPECT_EQ(recipients, row.recipients) << row.name;
  }
}

// Only http, https and mailto links are links: the mouse over one shows its whole target as
// plain text, and only a click opens it; "javascript:" or "file:" stays text.
TEST_F(ReaderWindowTest, LinksOpenOnlyOnAClickAndShowTheirWholeTarget) {
  const ScopedTimeZone zone("Asia/Tokyo");
  WriteFile(temp_ / "links.xml",
            HistoryText({{"2006/01/23", "12:00:00",
                          "see https://example.com/a?b=1&amp;c=%3C, mailto:yuki@example.jp "
                          "or javascript:alert(1) file:///etc/passwd",
                          1}}));
  std::vector<QUrl> opened;
  const auto window = Open(temp_ / "links.xml", {.openLink = [&](const QUrl& link) {
                             opened.push_back(link);
                             return true;
                           }});
  ASSERT_NE(window, nullptr);
  QListView* view = FirstConversation(*window);
  auto* target = Find<QLabel>(*window, "readerLinkTarget");
  ASSERT_TRUE(view && target);
  // Every link the mouse finds over the message, with a point on it.
  const QRect row = view->visualRect(EntryRow(view, 0));
  std::map<QString, QPoint> links;
  for (int y = row.top(); y < row.bottom(); y += 3) {
    for (int x = row.left(); x < row.right(); x += 3) {
      QMouseEvent move(QEvent::MouseMove, QPointF(x, y),
                       view->viewport()->mapToGlobal(QPointF(x, y)), Qt::NoButton, Qt::NoButton,
                       Qt::NoModifier);
      QApplication::sendEvent(view->viewport(), &move);
      if (target->isVisible()) links.emplace(target->text().remove(QChar(0x200B)), QPoint(x, y));
    }
  }
  EXPECT_EQ(target->textFormat(), Qt::PlainText);
  const QString web = QStringLiteral("https://example.com/a?b=1&c=%3C");
  const QString mail = QStringLiteral("mailto:yuki@example.jp");
  QStringList found;
  for (const auto& [link, point] : links) found << link;
  EXPECT_EQ(found, (QStringList{web, mail}));
  EXPECT_TRUE(opened.empty()) << "opened by the mouse passing over";
  for (const QString& link : {web, mail}) {
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, links[link]);
  }
  EXPECT_EQ(opened, (std::vector<QUrl>{QUrl(web), QUrl(mail)}));
}

// Ctrl+J asks for a date; Enter opens the conversation nearest it, one that runs over it first.
TEST_F(ReaderWindowTest, CtrlJOpensTheConversationNearestADate) {
  const ScopedTimeZone zone("Asia/Tokyo");
  WriteFile(temp_ / "days.xml", HistoryText({{"2006/01/23", "23:59:00", "a", 1},
                                             {"2006/01/24", "0:01:00", "b", 1},
                                             {"2006/02/01", "8:00:00", "c", 2},
                                             {"2006/03/10", "8:00:00", "d", 3}}));
  const auto window = Open(temp_ / "days.xml");
  ASSERT_NE(window, nullptr);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QListView* conversations = List(*window, "readerConversations");
  auto* date = Find<QDateEdit>(*window, "readerDate");
  ASSERT_TRUE(conversations && date);
  EXPECT_FALSE(date->isVisible());
  const struct {
    QDate asked;
    int conversation;
  } rows[] = {
      {{2006, 1, 24}, 0}, {{2006, 1, 29}, 1}, {{2006, 2, 20}, 2}, {{1999, 1, 1}, 0},
      {{2030, 1, 1}, 2},  {{2006, 1, 28}, 0},  // four days from either: the earlier
  };
  for (const auto& row : rows) {
    QTest::keyClick(window.get(), Qt::Key_J, Qt::ControlModifier);
    ASSERT_TRUE(date->isVisible() && date->hasFocus());
    date->setDate(row.asked);
    QTest::keyClick(date, Qt::Key_Return);
    EXPECT_EQ(conversations->currentIndex().row(), row.conversation)
        << row.asked.toString().toStdString();
    EXPECT_FALSE(date->isVisible());
  }
  // Esc leaves the date field and the window stays.
  QTest::keyClick(window.get(), Qt::Key_J, Qt::ControlModifier);
  QTest::keyClick(date, Qt::Key_Escape);
  EXPECT_FALSE(date->isVisible());
  EXPECT_TRUE(window->isVisible());
}

// A date row opens the conversation and stands wherever the day changes inside it; it cannot be
// chosen, and copying passes over it.
TEST_F(ReaderWindowTest, DateRowsMarkEachDayAcrossMidnight) {
  const ScopedTimeZone zone("Asia/Tokyo");
  WriteFile(temp_ / "night.xml", HistoryText({{"2006/01/23", "23:59:00", "late", 1},
                                              {"2006/01/23", "23:59:30", "later", 1},
                                              {"2006/01/24", "0:00:10", "tomorrow", 1}}));
  const auto window = Open(temp_ / "night.xml");
  ASSERT_NE(window, nullptr);
  QListView* view = FirstConversation(*window);
  ASSERT_NE(view, nullptr);
  const QAbstractItemModel& rows = *view->model();
  QList<int> entries;
  QStringList dates;
  for (int row = 0; row < rows.rowCount(); ++row) {
    const QModelIndex index = rows.index(row, 0);
    entries << index.data(EntriesModel::kEntryRole).toInt();
    if (entries.back() < 0) {
      dates << index.data().toString();
      EXPECT_FALSE(rows.flags(index) & Qt::ItemIsSelectable);
    }
  }
  EXPECT_EQ(entries, (QList<int>{-1, 0, 1, -1, 2}));
  ASSERT_EQ(dates.size(), 2);
  EXPECT_TRUE(dates[0].contains(QStringLiteral("23")) && dates[1].contains(QStringLiteral("24")))
      << dates.join(u'|').toStdString();
  view->selectAll();
  QApplication::clipboard()->clear();
  view->setFocus();
  QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text().count(u'\n'), 3);
}

// A message many screens long is laid out whole and read to its last line a page at a time:
// no Page Down skips any of it, and no line is wider than the view.
TEST_F(ReaderWindowTest, ALongMessageIsReadToItsLastLine) {
  const ScopedTimeZone zone("Asia/Tokyo");
  std::string words;
  for (int at = 0; words.size() < 40000; ++at) words += "word" + std::to_string(at) + " ";
  words += "https://example.com/" + std::string(3000, 'x');
  WriteFile(temp_ / "long.xml", HistoryText({{"2006/01/23", "12:00:00", words, 1},
                                             {"2006/01/23", "12:01:00", "after", 1}}));
  const auto window = Open(temp_ / "long.xml");
  ASSERT_NE(window, nullptr);
  window->resize(700, 500);
  QListView* view = FirstConversation(*window);
  ASSERT_NE(view, nullptr);
  const QModelIndex message = EntryRow(view, 0);
  const QModelIndex after = EntryRow(view, 1);
  QTRY_VERIFY(view->visualRect(after).isValid());
  const int page = view->viewport()->height();
  EXPECT_GT(view->visualRect(message).height(), page * 4) << "laid out whole";
  EXPECT_LE(view->visualRect(message).right(), view->viewport()->width());
  EXPECT_FALSE(view->horizontalScrollBar()->isVisible());

  view->setFocus();
  std::vector<int> offsets{view->verticalScrollBar()->value()};
  bool lastLineShown = false;
  for (int step = 0; step < 500; ++step) {
    QTest::keyClick(view, Qt::Key_PageDown);
    const QRect rect = view->visualRect(message);
    lastLineShown = lastLineShown || view->viewport()->rect().contains(rect.bottomLeft());
    if (view->verticalScrollBar()->value() == offsets.back()) break;
    offsets.push_back(view->verticalScrollBar()->value());
  }
  EXPECT_TRUE(lastLineShown);
  EXPECT_GT(offsets.size(), 4u);
  for (std::size_t at = 1; at < offsets.size(); ++at) {
    EXPECT_LE(offsets[at] - offsets[at - 1], page) << "step " << at << " skipped part of it";
  }
  // The wheel moves a few lines, never past the message.
  view->verticalScrollBar()->setValue(0);
  QWheelEvent wheel(QPointF(50, 50), view->mapToGlobal(QPointF(50, 50)), {}, {0, -120},
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view->viewport(), &wheel);
  EXPECT_GT(view->verticalScrollBar()->value(), 0);
  EXPECT_LT(view->verticalScrollBar()->value(), page);
}

// Hostile names and texts stay text: markup is shown as written, never rendered or loaded (an
// image naming a pipe that nobody writes to would block the window), hidden bidi controls are
// shown, and every name and text is isolated so that none reorders the fields beside it.
TEST_F(ReaderWindowTest, HostileNamesAndTextsStayPlainIsolatedText) {
  const ScopedTimeZone zone("Asia/Tokyo");
  const fs::path fifo = temp_ / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Lets go of anything that opened the pipe, so that a failing run ends.
  std::promise<void> done;
  // Declared after the promise, so that it is joined first when the test ends early.
  std::jthread release([&fifo, over = done.get_future()] {
    (void)over.wait_for(std::chrono::seconds(3));
    const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  });
  const std::string image = "&lt;img src=\"file://" + fifo.string() + "\"&gt;&lt;b&gt;bold";
  WriteFile(temp_ / "m.xml",
            HistoryText({{"2006/01/23", "12:00:00", image + " please send 100 dollars", 1,
                          "&lt;font color=red&gt;Mallory&#x202E;"},
                         {"2006/01/23", "12:01:00", "&#x5E9;&#x5DC;&#x5D5;&#x5DD; 4711", 1,
                          "&#x5D3;&#x5E0;&#x5D4;"}}));
  const auto window = Open(temp_ / "m.xml");
  ASSERT_NE(window, nullptr);
  QListView* conversations = List(*window, "readerConversations");
  QListView* view = List(*window, "readerConversation");
  QListView* results = List(*window, "readerResults");
  ASSERT_TRUE(conversations && view && results);
  Choose(conversations, 0);
  EXPECT_EQ(EntryRow(view, 0).data().toString(),
            QString::fromUtf8("12:00:00  \u2068<font color=red>Mallory\u27E8U+202E\u27E9\u2069: "
                              "\u2068<img src=\"file://") +
                QString::fromStdString(fifo.string()) +
                QString::fromUtf8("\"><b>bold please send 100 dollars\u2069"));
  EXPECT_EQ(EntryRow(view, 1).data().toString(),
            QString::fromUtf8("12:01:00  \u2068\u05D3\u05E0\u05D4\u2069: "
                              "\u2068\u05E9\u05DC\u05D5\u05DD 4711\u2069"));

  Search(*window, QStringLiteral("dollars"));
  ASSERT_EQ(results->model()->rowCount(), 1);
  const QString hit = results->model()->index(0, 0).data().toString();
  EXPECT_TRUE(
      hit.contains(QString::fromUtf8("\u2068<font color=red>Mallory\u27E8U+202E\u27E9\u2069")))
      << hit.toStdString();
  // The hit's tooltip: the whole text, as plain text, at once.
  const QPoint at = results->visualRect(results->model()->index(0, 0)).center();
  QHelpEvent help(QEvent::ToolTip, at, results->viewport()->mapToGlobal(at));
  QElapsedTimer clock;
  clock.start();
  QApplication::sendEvent(results->viewport(), &help);
  EXPECT_LT(clock.elapsed(), 1000);
  EXPECT_FALSE(QToolTip::isVisible());
  auto* tip = results->findChild<QLabel*>(QStringLiteral("plainToolTip"));
  ASSERT_NE(tip, nullptr);
  EXPECT_TRUE(tip->isVisible());
  EXPECT_EQ(tip->textFormat(), Qt::PlainText);
  EXPECT_TRUE(tip->text().startsWith(QStringLiteral("<img src="))) << tip->text().toStdString();
  done.set_value();

  // A history cut off in its second entry shows the first, and says where it breaks beside it,
  // its name's bidi override made visible and the whole isolated.
  const std::string whole = ReadFile(temp_ / "m.xml");
  const std::string cut = whole.substr(0, whole.find("4711"));
  const fs::path named = temp_ / "cut\u202E.xml";
  WriteFile(named, cut);
  const auto damaged = Open(named);
  ASSERT_NE(damaged, nullptr);
  Choose(List(*damaged, "readerConversations"), 0);
  EXPECT_EQ(Entries(List(*damaged, "readerConversation")).size(), 1);
  const auto* status = damaged->findChild<QLabel*>(QStringLiteral("readerStatus"));
  ASSERT_NE(status, nullptr);
  EXPECT_TRUE(status->isVisible());
  const QString said = status->text();
  EXPECT_TRUE(said.startsWith(QChar(0x2068)) && said.endsWith(QChar(0x2069))) << said.toStdString();
  EXPECT_TRUE(said.contains(QString::fromUtf8("cut\u27E8U+202E\u27E9.xml"))) << said.toStdString();
  EXPECT_TRUE(said.contains(QString::number(cut.size()))) << said.toStdString();
  EXPECT_FALSE(said.contains(QChar(0x202E))) << said.toStdString();
}

// Esc leaves the filter without closing the window; F3 from the hits goes on from the hit shown
// last; Reload keeps the conversation; an empty window says how to fill it and offers nothing
// it cannot do.
TEST_F(ReaderWindowTest, KeysGoWhereAReaderExpects) {
  const ScopedTimeZone zone("Asia/Tokyo");
  WriteJapaneseHistories(temp_.Path());
  const auto window = Open(temp_.Path());
  ASSERT_NE(window, nullptr);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  auto* filter = Find<QLineEdit>(*window, "readerFilter");
  QListView* contacts = List(*window, "readerContacts");
  QListView* conversations = List(*window, "readerConversations");
  QListView* entries = List(*window, "readerConversation");
  QListView* results = List(*window, "readerResults");
  ASSERT_TRUE(filter && contacts && conversations && entries && results);

  TypeInto(filter, QStringLiteral("bo"));
  QTest::keyClick(filter, Qt::Key_Escape);
  EXPECT_TRUE(filter->text().isEmpty());
  QTest::keyClick(filter, Qt::Key_Escape);
  EXPECT_EQ(QApplication::focusWidget(), contacts);
  EXPECT_TRUE(window->isVisible());

  Search(*window, QString::fromUtf8("晴れ"));
  ASSERT_EQ(results->model()->rowCount(), 3);
  QTest::keyClick(results, Qt::Key_Return);
  Settle(*window);
  EXPECT_EQ(entries->currentIndex().data(EntriesModel::kEntryRole).toInt(), 0);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  ASSERT_TRUE(results->isVisible());
  QTest::keyClick(results, Qt::Key_F3);
  Settle(*window);
  EXPECT_EQ(conversations->currentIndex().row(), 1) << "the second hit, not the first again";

  WriteFile(temp_ / "alice.xml", HistoryText({{"2008/07/01", "10:00:00", "a", 1},
                                              {"2008/07/02", "9:00:00", "b", 2},
                                              {"2008/07/03", "9:00:00", "c", 3}}));
  auto* reload = Find<QPushButton>(*window, "readerReload");
  ASSERT_NE(reload, nullptr);
  QTRY_VERIFY(reload->isVisible());
  QTest::mouseClick(reload, Qt::LeftButton);
  Settle(*window);
  EXPECT_EQ(conversations->currentIndex().row(), 1);
  EXPECT_EQ(Entries(entries), QStringList{QStringLiteral("09:00:00  Alice: b")});

  ScriptedPathChooser chooser;
  ReaderWindow empty({.profile = nullptr, .chooser = &chooser});
  empty.show();
  auto* status = Find<QLabel>(empty, "readerStatus");
  ASSERT_NE(status, nullptr);
  EXPECT_TRUE(status->isVisible() && status->text().contains(QStringLiteral("Ctrl+O")));
  for (const char* name :
       {"readerSearch", "readerCopy", "readerExportContact", "readerExportAll"}) {
    EXPECT_FALSE(Find<QWidget>(empty, name)->isEnabled()) << name;
  }
}

// The main dialog's "Read histories..." opens the reader on the first input, or on nothing;
// the results window's "Read" on the history the current row wrote.
using ReadButtons = DialogTest;

TEST_F(ReadButtons, OpenTheReaderOnTheirHistory) {
  fs::create_directory(temp_ / "in");
  WriteFile(temp_ / "in" / "alice.xml", OneMessageHistory("a"));
  WriteFile(temp_ / "in" / "bob.xml", OneMessageHistory("b"));
  JobReport report;
  PairReport pair;
  pair.output = (temp_ / "in" / "bob.xml").string();
  pair.outcome = PairOutcome::Merged;
  report.pairs.push_back(pair);
  const struct {
    const char* name;
    bool fromResults;
    std::string firstInput;  // for the main dialog
    QStringList contacts;
  } rows[] = {
      {"a folder",
       false,
       (temp_ / "in").string(),
       {QStringLiteral("alice"), QStringLiteral("bob")}},
      {"no input", false, "", {}},
      {"a merged pair", true, {}, {QStringLiteral("bob")}},
  };
  for (const auto& row : rows) {
    QStringList contacts{QStringLiteral("none shown")};
    bool canOpen = false;
    const WhenModalShown closer([&](QWidget* modal) {
      if (auto* list = modal->findChild<QListView*>(QStringLiteral("readerContacts"))) {
        contacts = ReaderWindowTest::Names(list);
      }
      const auto* open = modal->findChild<QPushButton*>(QStringLiteral("readerOpenFolder"));
      canOpen = open != nullptr && open->isVisible();
      static_cast<QDialog*>(modal)->reject();
    });
    if (row.fromResults) {
      JobResultsDialog results(report, nullptr);
      results.show();
      test::Click(results.findChild<QPushButton*>(QStringLiteral("readButton")));
    } else {
      MergeSettings settings;
      settings.Path1 = row.firstInput;
      Open(settings);
      Click("readButton");
    }
    EXPECT_TRUE(closer.Acted()) << row.name;
    EXPECT_EQ(contacts, row.contacts) << row.name;
    EXPECT_TRUE(canOpen) << row.name;
  }
}

}  // namespace
}  // namespace palvarin::test

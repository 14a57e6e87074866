#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "reader/history_book.hpp"
#include "reader/history_shelf.hpp"
#include "support/history_builder.hpp"
#include "support/test_support.hpp"

namespace palvarin {

void PrintTo(const Conversation& c, std::ostream* out) {
  *out << "{" << c.first << ", " << c.count << ", " << c.date << ", " << c.clock << "}";
}

namespace {

using test::TempFolder;
using test::WriteFile;

std::string Log(const std::string& entries) {
  return "<?xml version=\"1.0\"?>\r\n<Log FirstSessionID=\"1\" LastSessionID=\"9\">" + entries +
         "</Log>\r\n";
}

std::string Message(const char* date, const char* time, int session, const char* text) {
  return std::string("<Message Date=\"") + date + "\" Time=\"" + time + "\" SessionID=\"" +
         std::to_string(session) + "\"><From><User FriendlyName=\"Alice\"/></From><Text>" + text +
         "</Text></Message>";
}

struct BookRow {
  const char* name;
  std::string entries;
  std::vector<Conversation> conversations;
  // Every entry's text, read by index; none for an entry without one.
  std::vector<std::optional<std::string>> texts;
};

TEST(HistoryBook, GroupsRunsOfOneSessionAndReadsEntriesAsWritten) {
  const BookRow rows[] = {
      {"a new run at each change of session, also back to an earlier one",
       Message("2006/01/23", "12:00:00", 1, "a") + Message("2006/01/23", "12:01:00", 1, "b") +
           Message("2006/01/24", "9:05:00", 2, "c") + Message("2006/01/23", "12:02:00", 1, "d"),
       {{0, 2, "2006/01/23", "12:00:00"},
        {2, 1, "2006/01/24", "9:05:00"},
        {3, 1, "2006/01/23", "12:02:00"}},
       {"a", "b", "c", "d"}},
      {"dates and times kept in the form written, none where missing",
       Message("23.01.2006", "2:16:00 PM", 1, "x") +
           "<Join SessionID=\"1\"><User FriendlyName=\"Bob\"/></Join>" +
           "<Leave Date=\"1/2/2007\" SessionID=\"4\"/>",
       {{0, 2, "23.01.2006", "2:16:00 PM"}, {2, 1, "1/2/2007", ""}},
       {"x", std::nullopt, std::nullopt}},
      {"markup in a text is data",
       Message("2006/01/23", "12:00:00", 1, "&lt;b&gt;x&lt;/b&gt;&lt;script&gt;"),
       {{0, 1, "2006/01/23", "12:00:00"}},
       {"<b>x</b><script>"}},
      {"only elements are entries",
       "\r\n<!-- c -->" + Message("2006/01/23", "1:00:00", 5, "y") + "\r\n<?pi x?>",
       {{0, 1, "2006/01/23", "1:00:00"}},
       {"y"}},
      {"a history without entries", "", {}, {}},
  };
  TempFolder folder;
  for (const BookRow& row : rows) {
    WriteFile(folder / "h.xml", Log(row.entries));
    const Result<HistoryBook> book = OpenHistoryBook(folder / "h.xml");
    ASSERT_TRUE(book) << row.name;
    EXPECT_EQ(book->Conversations(), row.conversations) << row.name;
    std::vector<std::optional<std::string>> texts;
    for (int at = 0; at < book->EntryCount(); ++at) texts.push_back(book->Entry(at).text);
    EXPECT_EQ(texts, row.texts) << row.name;
  }
}

// A search names its hits by sender and text, in the history's order: each is found after
// the one before it, also where the same text comes twice, and each in its conversation.
TEST(HistoryBook, FindsMessagesBySenderAndTextAndTheirConversations) {
  TempFolder folder;
  WriteFile(
      folder / "h.xml",
      Log(Message("2006/01/23", "12:00:00", 1, "same") + Message("2006/01/23", "12:01:00", 1, "x") +
          "<Join SessionID=\"2\"><User FriendlyName=\"Bob\"/></Join>" +
          Message("2006/01/24", "9:00:00", 2, "same") + Message("2006/01/25", "9:00:00", 3, "")));
  const Result<HistoryBook> book = OpenHistoryBook(folder / "h.xml");
  ASSERT_TRUE(book);
  const struct {
    int from;
    const char* sender;
    const char* text;
    int found, conversation;
  } rows[] = {
      {0, "Alice", "same", 0, 0}, {1, "Alice", "same", 3, 1},  {4, "Alice", "same", -1, -1},
      {0, "Alice", "x", 1, 0},    {0, "Bob", "same", -1, -1},  {0, "Alice", "", 4, 2},
      {0, "", "Join", -1, -1},    {-5, "Alice", "same", 0, 0},
  };
  for (const auto& row : rows) {
    const int found = book->FindMessage(row.from, row.sender, row.text);
    EXPECT_EQ(found, row.found) << row.from << " " << row.text;
    if (found >= 0) {
      EXPECT_EQ(book->ConversationOf(found), row.conversation) << row.text;
    }
  }
}

// One clock for every entry: its moment as the exports read it, else its fields as written; and
// its local day for the date rows.
TEST(HistoryBook, GivesEachEntryOneClockAndItsDay) {
  const test::ScopedTimeZone zone("Asia/Tokyo");
  TempFolder folder;
  WriteFile(folder / "h.xml",
            Log(Message("2006/01/23", "23:59:30", 1, "a") +
                Message("2006/01/24", "0:00:10", 1, "midnight passed") +
                "<Message Date=\"1/25/2006\" Time=\"9:17:03 AM\" DateTime=\"2006-01-25T00:17:03Z\" "
                "SessionID=\"2\"><Text>regional</Text></Message>" +
                "<Leave Date=\"someday\" Time=\"noon\" SessionID=\"3\"/>" +
                Message("2006/03/01", "8:00:00", 4, "later")));
  const Result<HistoryBook> book = OpenHistoryBook(folder / "h.xml");
  ASSERT_TRUE(book);
  const struct {
    std::string stamp, clock;
    std::optional<std::int32_t> day;  // days since 1970-01-01
  } rows[] = {
      {"2006-01-23 23:59:30", "23:59:30", 13171}, {"2006-01-24 00:00:10", "00:00:10", 13172},
      {"2006-01-25 09:17:03", "09:17:03", 13173}, {"someday noon", "noon", std::nullopt},
      {"2006-03-01 08:00:00", "08:00:00", 13208},
  };
  ASSERT_EQ(book->EntryCount(), static_cast<int>(std::size(rows)));
  for (int at = 0; at < book->EntryCount(); ++at) {
    EXPECT_EQ(book->Stamp(at), rows[at].stamp) << at;
    EXPECT_EQ(book->Clock(at), rows[at].clock) << at;
    EXPECT_EQ(book->Day(at), rows[at].day) << at;
  }
}

TEST(HistoryShelf, ListsEveryHistoryInNameOrderWithWhyItCannotBeRead) {
  TempFolder folder;
  WriteFile(folder / "bob.xml",
            Log(Message("2006/01/23", "12:00:00", 1, "a") +
                Message("2006/02/01", "8:00:00", 2, "b") + "<Leave SessionID=\"2\"/>"));
  WriteFile(folder / "alice.xml", "<Log><Message>");
  WriteFile(folder / "notes.txt", "not a history");
  std::filesystem::create_directory(folder / "carol.xml");

  const struct {
    const char* name;
    std::string path;
    std::vector<std::string> paths;
    std::vector<ReasonKind> reasons;
    std::vector<int> conversations;
    std::vector<std::string> lastDates;
  } rows[] = {
      {"a folder",
       folder.Path().string(),
       // A folder is no history, whatever its name.
       {(folder / "alice.xml").string(), (folder / "bob.xml").string()},
       {ReasonKind::NotWellFormed, ReasonKind::None},
       {0, 2},
       {"", "2006-02-01"}},
      {"one file",
       (folder / "bob.xml").string(),
       {(folder / "bob.xml").string()},
       {ReasonKind::None},
       {2},
       {"2006-02-01"}},
  };
  for (const auto& row : rows) {
    const Result<std::vector<ShelfHistory>> shelf = ReadShelf(row.path);
    ASSERT_TRUE(shelf) << row.name;
    std::vector<std::string> paths, lastDates;
    std::vector<ReasonKind> reasons;
    std::vector<int> conversations;
    for (const ShelfHistory& history : *shelf) {
      paths.push_back(history.path);
      EXPECT_EQ(history.name + ".xml", std::filesystem::path(history.path).filename()) << row.name;
      reasons.push_back(history.read.reason().kind);
      conversations.push_back(history.conversations);
      lastDates.push_back(history.lastDate);
    }
    EXPECT_EQ(paths, row.paths) << row.name;
    EXPECT_EQ(reasons, row.reasons) << row.name;
    EXPECT_EQ(conversations, row.conversations) << row.name;
    EXPECT_EQ(lastDates, row.lastDates) << row.name;
  }

  // Listing alone reads none of them.
  const Result<std::vector<ShelfHistory>> listed = ListShelf(folder.Path().string());
  ASSERT_TRUE(listed);
  ASSERT_EQ(listed->size(), 2u);
  for (const ShelfHistory& history : *listed) {
    EXPECT_FALSE(history.summarised) << history.name;
    EXPECT_TRUE(history.read) << history.name;
  }

  const Result<std::vector<ShelfHistory>> nothing = ReadShelf((folder / "gone").string());
  EXPECT_FALSE(nothing);
  EXPECT_EQ(nothing.reason().path, (folder / "gone").string());
}

}  // namespace
}  // namespace palvarin

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "history_generator.hpp"
#include "support/export_readback.hpp"
#include "support/history_builder.hpp"
#include "support/test_support.hpp"

namespace palvarin::test {
namespace {

struct FormatRow {
  const char* name;
  ExportFormat format;
  const char* suffix;
};

const FormatRow kFormats[] = {{"html", ExportFormat::Html, ".html"},
                              {"text", ExportFormat::Text, ".txt"},
                              {"jsonl", ExportFormat::JsonLines, ".jsonl"}};

void PrintTo(const FormatRow& row, std::ostream* out) { *out << row.name; }

class ExportReadBack : public ::testing::TestWithParam<FormatRow> {
 protected:
  ScopedTimeZone zone_{"Asia/Tokyo"};
  TempFolder folder_;
};

// Every message of every corpus file and of generated histories (Japanese and ASCII texts,
// line breaks, invitations, two regional forms, an empty text) comes back from the export in
// order, with its sender and its text.
TEST_P(ExportReadBack, EveryMessageInOrderWithItsSender) {
  std::vector<std::filesystem::path> histories = CorpusFiles();
  const bench::HistoryPair generated = bench::GenerateHistoryPair(200'000, 25);
  WriteFile(folder_ / "generated-ja.xml", generated.first);
  WriteFile(folder_ / "generated-us.xml", generated.second);
  WriteFile(folder_ / "empty-text.xml", HistoryText({{"2008/07/01", "10:00:00", "before"},
                                                     {"2008/07/01", "10:00:01", ""},
                                                     {"2008/07/01", "10:00:02", "after"}}));
  for (const char* name : {"generated-ja.xml", "generated-us.xml", "empty-text.xml"}) {
    histories.push_back(folder_ / name);
  }
  for (const std::filesystem::path& history : histories) {
    const ExportResult result = ExportInProcess(history, folder_ / "out", GetParam().format);
    ASSERT_FALSE(result.report.AnyFailed()) << history;
    const std::vector<ShownMessage> expected = MessagesOfHistory(history);
    ASSERT_FALSE(expected.empty()) << history;
    const auto exported = folder_ / "out" / (history.stem().string() + GetParam().suffix);
    EXPECT_EQ(MessagesInExport(exported, GetParam().format), expected) << history;
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, ExportReadBack, ::testing::ValuesIn(kFormats), RowName);

// Every form but JSON Lines stamps an entry with its moment as the merge reads it, in local
// time: the Date and Time as written where they read, else the regional forms, else DateTime.
// The page heads its conversation with the day and shows the time beside the message; the
// index gives the same day.
TEST(Export, StampsEachEntryWithItsLocalTime) {
  const ScopedTimeZone zone("Asia/Tokyo");
  TempFolder folder;
  const struct {
    const char* name;
    const char* entry;
    const char* line;
    const char* day;  // on the page and in the index
    const char* time;
  } rows[] = {
      {"year first", R"(<Message Date="2006/01/23" Time="12:34:56" SessionID="1">)",
       "2006-01-23 12:34:56  A: hi", "2006-01-23", "12:34:56"},
      {"regional", R"(<Message Date="9/30/2023" Time="2:15:37 PM" SessionID="1">)",
       "2023-09-30 14:15:37  A: hi", "2023-09-30", "14:15:37"},
      {"DateTime only", R"(<Message DateTime="2009-03-01T01:00:00.000Z" SessionID="1">)",
       "2009-03-01 10:00:00  A: hi", "2009-03-01", "10:00:00"},
      {"unreadable", R"(<Message Date="someday" Time="noon" SessionID="1">)",
       "\?\?\?\?-\?\?-\?\? \?\?:\?\?:\?\?  A: hi", "someday", "someday noon"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    WriteFile(folder / "h.xml", std::string("<?xml version=\"1.0\"?><Log>") + row.entry +
                                    "<From><User FriendlyName=\"A\"/></From><Text>hi</Text>"
                                    "</Message></Log>");
    for (const ExportFormat format : {ExportFormat::Text, ExportFormat::Html}) {
      ASSERT_FALSE(ExportInProcess(folder / "h.xml", folder.Path(), format).report.AnyFailed());
    }
    const std::string text = ReadFile(folder / "h.txt");
    EXPECT_NE(text.find(std::string("\n") + row.line + "\n"), std::string::npos) << text;
    const std::string page = ReadFile(folder / "h.html");
    EXPECT_NE(page.find(std::string("<span class=\"m\">") + row.day + "</span></h2>"),
              std::string::npos)
        << page;
    EXPECT_NE(page.find(std::string("<span class=\"w\">") + row.time + "</span>"),
              std::string::npos)
        << page;
    const std::string index = ReadFile(folder / "index.html");
    EXPECT_NE(index.find(std::string("<td>") + row.day + "</td><td>" + row.day + "</td>"),
              std::string::npos)
        << index;
  }
}

// A conversation that runs past midnight gets a date row where the day changes, and only there.
TEST(HtmlExport, MarksTheDayWhereAConversationCrossesMidnight) {
  const ScopedTimeZone zone("UTC");
  TempFolder folder;
  WriteFile(folder / "h.xml", HistoryText({{"2007/12/31", "23:59:00", "late", 1, "A", "B"},
                                           {"2007/12/31", "23:59:30", "later", 1, "B", "A"},
                                           {"2008/01/01", "00:00:10", "new year", 1, "A", "B"},
                                           {"2008/01/02", "09:00:00", "next day", 2, "A", "B"}}));
  ASSERT_FALSE(
      ExportInProcess(folder / "h.xml", folder.Path(), ExportFormat::Html).report.AnyFailed());
  const std::string page = ReadFile(folder / "h.html");
  EXPECT_EQ(Occurrences(page, "<p class=\"d\">"), 1) << page;
  const std::size_t row = page.find("<p class=\"d\">2008-01-01</p>");
  ASSERT_NE(row, std::string::npos) << page;
  EXPECT_LT(page.find("later"), row);
  EXPECT_GT(page.find("new year"), row);
}

// The user's own messages are set apart, and the contact goes by the names the history gives
// (the newest first, the others and the file's name below), when the owner can be told: over
// a folder of two contacts' histories, the one name in every conversation. A single history of
// two people tells no owner: no side is shown and the page goes by the file's name.
TEST(HtmlExport, SidesAndNamesOnlyWhenTheOwnerIsKnown) {
  const ScopedTimeZone zone("UTC");
  TempFolder folder;
  std::filesystem::create_directory(folder / "in");
  // Alice took another name in a later conversation, Bob did not.
  WriteFile(folder / "in" / "Alice123.xml",
            HistoryText({{"2007/01/01", "10:00:00", "to you", 1, "Me", "Alice"},
                         {"2007/02/01", "10:00:00", "to me", 2, "<b>Ali", "Me"}}));
  WriteFile(folder / "in" / "Bob123.xml",
            HistoryText({{"2007/01/01", "10:00:00", "to you", 1, "Me", "Bob"},
                         {"2007/01/01", "10:01:00", "to me", 1, "Bob", "Me"}}));
  const struct {
    std::filesystem::path input;
    const char* page;
    int own;  // messages set apart
    const char* heading;
    const char* indexed;  // the page's row in the index
  } rows[] = {{folder / "in", "Bob123", 1, "<h1>Bob</h1>\n<p class=\"k\">Bob123</p>",
               "\">Bob</a> <span class=\"k\">Bob123</span>"},
              {folder / "in", "Alice123", 1,
               "<h1>&lt;b&gt;Ali</h1>\n<p class=\"k\">Alice \xC2\xB7 Alice123</p>",
               "\">&lt;b&gt;Ali</a> <span class=\"k\">Alice123</span>"},
              {folder / "in" / "Bob123.xml", "Bob123", 0, "<h1>Bob123</h1>\n</header>",
               "\">Bob123</a></td>"}};
  for (const auto& row : rows) {
    std::filesystem::remove_all(folder / "out");
    ASSERT_FALSE(ExportInProcess(row.input, folder / "out", ExportFormat::Html).report.AnyFailed());
    const std::string page = ReadFile(folder / "out" / (std::string(row.page) + ".html"));
    EXPECT_EQ(Occurrences(page, "<div class=\"e o\">"), row.own) << row.input;
    if (row.own > 0) {
      EXPECT_LT(page.find("<div class=\"e o\">"), page.find(">to you<")) << page;
    }
    EXPECT_NE(page.find(row.heading), std::string::npos) << page;
    EXPECT_NE(ReadFile(folder / "out" / "index.html").find(row.indexed), std::string::npos)
        << ReadFile(folder / "out" / "index.html");
  }
}

// Each line holds one whole entry with the fields the form promises.
TEST(JsonLinesExport, WritesTheFieldsOfEachEntry) {
  TempFolder folder;
  WriteFile(folder / "h.xml",
            "<?xml version=\"1.0\"?><Log>"
            "<Message Date=\"9/30/2023\" Time=\"2:15:37 PM\" DateTime=\"2023-09-30T21:15:37.000Z\" "
            "SessionID=\"3\"><From><User FriendlyName=\"A &amp; B\"/></From><To><User "
            "FriendlyName=\"C\"/><User FriendlyName=\"D\"/></To><Text Style=\"color:#000080; \">"
            "one&#xD;&#xA;two</Text></Message>"
            "<Invitation Date=\"9/30/2023\" Time=\"2:16:00 PM\" SessionID=\"3\" Extra=\"x\"><From>"
            "<User FriendlyName=\"C\"/></From><Application>a game</Application></Invitation>"
            "<Join SessionID=\"3\"><User FriendlyName=\"E\"/><Text>E joined</Text></Join>"
            "<Leave SessionID=\"3\"><User FriendlyName=\"C\"/></Leave>"
            "</Log>");
  ASSERT_FALSE(
      ExportInProcess(folder / "h.xml", folder.Path(), ExportFormat::JsonLines).report.AnyFailed());
  std::istringstream lines(ReadFile(folder / "h.jsonl"));
  std::vector<nlohmann::json> entries;
  for (std::string line; std::getline(lines, line);) entries.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0], nlohmann::json::parse(R"({"session":3,"kind":"Message",
      "time":"2023-09-30T21:15:37.000Z","date":"9/30/2023","clock":"2:15:37 PM",
      "from":"A & B","to":["C","D"],"text":"one\ntwo","style":"color:#000080; "})"));
  EXPECT_EQ(entries[1], nlohmann::json::parse(R"({"session":3,"kind":"Invitation","time":null,
      "date":"9/30/2023","clock":"2:16:00 PM","from":"C","to":[],"text":null,"style":null,
      "attributes":{"Extra":"x","Application":"a game"}})"));
  // Who joined or left is the entry's sender.
  EXPECT_EQ(entries[2], nlohmann::json::parse(R"({"session":3,"kind":"Join","time":null,
      "date":null,"clock":null,"from":"E","to":[],"text":"E joined","style":null,
      "attributes":{}})"));
  EXPECT_EQ(entries[3]["from"], "C");
  EXPECT_EQ(entries[3]["attributes"], nlohmann::json::object());
}

}  // namespace
}  // namespace palvarin::test

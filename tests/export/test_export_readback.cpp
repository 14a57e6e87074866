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

// The text's time stamp is the entry's moment as the merge reads it, in local time: the Date
// and Time as written where they read, else the regional forms, else DateTime.
TEST(TextExport, StampsEachEntryWithItsLocalTime) {
  const ScopedTimeZone zone("Asia/Tokyo");
  TempFolder folder;
  const struct {
    const char* name;
    const char* entry;
    const char* line;
  } rows[] = {
      {"year first", R"(<Message Date="2006/01/23" Time="12:34:56" SessionID="1">)",
       "2006-01-23 12:34:56  A: hi"},
      {"regional", R"(<Message Date="9/30/2023" Time="2:15:37 PM" SessionID="1">)",
       "2023-09-30 14:15:37  A: hi"},
      {"DateTime only", R"(<Message DateTime="2009-03-01T01:00:00.000Z" SessionID="1">)",
       "2009-03-01 10:00:00  A: hi"},
      {"no time", R"(<Message SessionID="1">)", "\?\?\?\?-\?\?-\?\? \?\?:\?\?:\?\?  A: hi"},
  };
  for (const auto& row : rows) {
    WriteFile(folder / "h.xml", std::string("<?xml version=\"1.0\"?><Log>") + row.entry +
                                    "<From><User FriendlyName=\"A\"/></From><Text>hi</Text>"
                                    "</Message></Log>");
    ASSERT_FALSE(
        ExportInProcess(folder / "h.xml", folder.Path(), ExportFormat::Text).report.AnyFailed());
    EXPECT_NE(ReadFile(folder / "h.txt").find(std::string("\n") + row.line + "\n"),
              std::string::npos)
        << row.name << ":\n"
        << ReadFile(folder / "h.txt");
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

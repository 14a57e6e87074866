// A large contact's pages: split by the year (or month) its sessions began in, each part
// linked from the contact's page and to its neighbours, no entry left out.
#include <gtest/gtest.h>

#include <algorithm>

#include "page_parts.hpp"
#include "support/export_readback.hpp"
#include "support/history_builder.hpp"
#include "support/test_support.hpp"

namespace palvarin::test {
namespace {

// A session of `entries` entries, the first at `day` ("2006-12-31") and `clock`, one minute
// apart; an empty day gives entries without a time.
struct RunShape {
  const char* day;
  const char* clock;
  int entries;
};

std::vector<std::string> Periods(const std::vector<RunShape>& shapes, int limit) {
  std::vector<SessionRun> runs;
  std::vector<std::optional<TimeValue>> times;
  for (const RunShape& shape : shapes) {
    runs.push_back(
        {.begin = times.size(), .end = times.size() + shape.entries, .entries = shape.entries});
    LocalFields fields;
    std::sscanf(shape.day, "%d-%d-%d", &fields.year, &fields.month, &fields.day);
    std::sscanf(shape.clock, "%d:%d", &fields.hour, &fields.minute);
    for (int i = 0; i < shape.entries; ++i, ++fields.minute) {
      times.push_back(*shape.day ? TryMakeTime(fields) : std::nullopt);
    }
  }
  std::vector<std::string> periods;
  int entries = 0;
  for (const PagePart& part : PlanPageParts(runs, times, limit)) {
    periods.push_back(part.period + ":" + std::to_string(part.entries));
    entries += part.entries;
  }
  EXPECT_EQ(entries, static_cast<int>(times.size())) << "an entry left out or written twice";
  return periods;
}

TEST(PlanPageParts, SplitsByTheYearOrMonthASessionBeganIn) {
  const ScopedTimeZone zone("UTC");
  const struct {
    const char* what;
    std::vector<RunShape> runs;
    std::vector<std::string> periods;  // with the entries of each
  } rows[] = {
      {"exactly at the limit", {{"2006-01-01", "10:00", 2}, {"2007-01-01", "10:00", 2}}, {":4"}},
      {"one over, two years",
       {{"2006-01-01", "10:00", 2}, {"2007-01-01", "10:00", 3}},
       {"2006:2", "2007:3"}},
      {"one year over the limit goes by month",
       {{"2007-01-05", "10:00", 3}, {"2007-03-01", "10:00", 2}, {"2008-02-01", "10:00", 1}},
       {"2007-01:3", "2007-03:2", "2008:1"}},
      {"a session across New Year stays in the old year",
       {{"2006-12-31", "23:58", 4}, {"2007-01-01", "10:00", 1}},
       {"2006:4", "2007:1"}},
      {"sessions out of order are gathered by period",
       {{"2007-01-01", "10:00", 2}, {"2006-01-01", "10:00", 2}, {"2007-06-01", "10:00", 1}},
       {"2006:2", "2007:3"}},
      {"sessions without a time go with the one before, or the first with one",
       {{"", "", 1}, {"2006-05-01", "10:00", 2}, {"", "", 2}, {"2007-01-01", "10:00", 1}},
       {"2006-05:5", "2007:1"}},
      {"no time at all: one page", {{"", "", 3}, {"", "", 3}}, {":6"}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Periods(row.runs, 4), row.periods) << row.what;
  }
}

// A history past the limit: the contact's page lists its years and links each part, each
// part links the contact's page and its neighbours, every message is on exactly one part, and
// every page is valid HTML.
TEST(HtmlExport, ALargeHistoryIsSplitIntoLinkedParts) {
  const ScopedTimeZone zone("UTC");
  TempFolder folder;
  std::vector<TestMessage> messages;
  for (int i = 0; i <= kEntriesPerPage; ++i) {
    const bool later = i >= 3000;
    messages.push_back({later ? "2008/02/01" : "2007/03/01", "10:00:00",
                        "m" + std::to_string(i) + ".", 1 + i / 100, "A", "B"});
  }
  WriteFile(folder / "h.xml", HistoryText(messages));
  ASSERT_FALSE(
      ExportInProcess(folder / "h.xml", folder.Path(), ExportFormat::Html).report.AnyFailed());
  const std::string contents = ReadFile(folder / "h.html");
  for (const char* link : {"<a href=\"./h.2007.html\">2007</a>",
                           "<a href=\"./h.2008.html\">2008</a>", "<a href=\"./index.html\">"}) {
    EXPECT_NE(contents.find(link), std::string::npos) << link << contents;
  }
  const std::string first = ReadFile(folder / "h.2007.html");
  const std::string second = ReadFile(folder / "h.2008.html");
  EXPECT_NE(first.find("<a rel=\"next\" href=\"./h.2008.html\">"), std::string::npos);
  EXPECT_EQ(first.find("rel=\"prev\""), std::string::npos);
  EXPECT_NE(second.find("<a rel=\"prev\" href=\"./h.2007.html\">"), std::string::npos);
  EXPECT_NE(second.find("<a href=\"./h.html\">h</a>"), std::string::npos);
  std::vector<int> seen(kEntriesPerPage + 1, 0);
  for (const std::string* page : {&first, &second}) {
    for (auto at = page->find(">m"); at != std::string::npos; at = page->find(">m", at + 1)) {
      const std::size_t end = page->find(".<", at);
      ++seen.at(static_cast<std::size_t>(std::stoi(page->substr(at + 2, end - at - 2))));
    }
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), kEntriesPerPage + 1);
  EXPECT_NE(ReadFile(folder / "index.html").find("<a href=\"./h.html\">h</a>"), std::string::npos);
  ASSERT_TRUE(HasProgram("tidy")) << "tidy is installed by scripts/install-deps";
  for (const char* page : {"h.html", "h.2007.html", "h.2008.html"}) {
    int status = 0;
    const std::string said = RunCommand(
        "tidy -q -e --show-warnings yes '" + (folder / page).string() + "' 2>&1", 60, status);
    EXPECT_EQ(status, 0) << page << ":\n" << said;
  }
}

}  // namespace
}  // namespace palvarin::test

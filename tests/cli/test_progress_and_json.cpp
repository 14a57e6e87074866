#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "base/json_string.hpp"
#include "cli/terminal_front_end.hpp"
#include "json_report.hpp"
#include "texts/progress_text.hpp"

namespace palvarin {
namespace {

TEST(JsonString, EscapesWhatJsonForbidsAndReplacesBytesThatAreNoUtf8) {
  const struct {
    const char* name;
    std::string text;
    std::string json;
  } rows[] = {
      {"plain", "alice.xml", "\"alice.xml\""},
      {"quote and backslash", "a\"b\\c", "\"a\\\"b\\\\c\""},
      {"line break and tab", "a\nb\tc", "\"a\\u000ab\\u0009c\""},
      {"escape and nul", std::string("\x1b[2J\0z", 6), "\"\\u001b[2J\\u0000z\""},
      {"last control byte, then space", "\x1f ", "\"\\u001f \""},
      {"delete kept", "a\x7f", "\"a\x7f\""},
      {"japanese kept", "花子.xml", "\"花子.xml\""},
      {"stray latin-1 byte", "caf\xe9.xml", "\"caf\\ufffd.xml\""},
      {"cut-short sequence", "\xe8\x8a", "\"\\ufffd\\ufffd\""},
      {"surrogate", "\xed\xa0\x80", "\"\\ufffd\\ufffd\\ufffd\""},
  };
  for (const auto& row : rows) EXPECT_EQ(JsonString(row.text), row.json) << row.name;
}

TEST(FormatCount, SeparatesThousands) {
  const struct {
    std::size_t count;
    const char* text;
  } rows[] = {{0, "0"}, {999, "999"}, {1000, "1,000"}, {12345, "12,345"}, {1234567, "1,234,567"}};
  for (const auto& row : rows) EXPECT_EQ(FormatCount(row.count), row.text);
}

JobProgress Item(JobStage stage, JobItemKind kind, std::size_t finished, std::size_t total,
                 const std::string& name) {
  JobProgress item;
  item.stage = stage;
  item.kind = kind;
  item.total = total;
  item.finished = finished;
  item.name = name;
  return item;
}

// The count is what has ended, as a progress bar beside the line shows it.
TEST(ProgressLine, CountsWhatIsDoneAndNamesTheItem) {
  EXPECT_EQ(ProgressLine(Item(JobStage::Merging, JobItemKind::Pair, 119, 1000, "alice.xml")),
            "119 of 1,000 done — merging alice.xml");
  EXPECT_EQ(ProgressLine(Item(JobStage::Merging, JobItemKind::Copy, 0, 3, "bob.xml")),
            "0 of 3 done — copying bob.xml");
  EXPECT_EQ(ProgressLine(Item(JobStage::CopyingBack, JobItemKind::Copy, 44, 80, "a.xml")),
            "44 of 80 done — copying back a.xml");
}

// On a terminal the line is rewritten in place, cut to the width, its name escaped, and erased
// before the report; quiet, or without a terminal, there is none.
TEST(TerminalProgress, OneLineRewrittenInPlace) {
  const struct {
    const char* name;
    int columns;
    bool quiet;
    std::string expected;
  } rows[] = {
      {"wide", 80, false,
       "\r0 of 2 done — merging a\\nb.xml\x1b[K\r1 of 2 done — merging c.xml\x1b[K\r\x1b[K"},
      {"narrow", 12, false, "\r0 of 2 done\x1b[K\r1 of 2 done\x1b[K\r\x1b[K"},
      {"no terminal", 0, false, ""},
      {"quiet", 80, true, ""},
  };
  for (const auto& row : rows) {
    std::ostringstream out, err;
    TerminalFrontEnd terminal(out, err);
    terminal.ShowProgress(row.columns);
    terminal.SetQuiet(row.quiet);
    terminal.ItemStarted(Item(JobStage::Merging, JobItemKind::Pair, 0, 2, "a\nb.xml"));
    terminal.ItemStarted(Item(JobStage::Merging, JobItemKind::Pair, 1, 2, "c.xml"));
    JobReport report;
    report.pairs.push_back({});
    report.pairs.back().first = "/x/a.xml";
    report.pairs.back().problem = PairProblem::NotAHistory;
    report.pairs.back().cause = Reason{.detail = "broken"};
    terminal.ShowReport(report);
    const std::string failure =
        "palvarin: not merged: /x/a.xml + : broken; nothing was written and both inputs are as "
        "they were\n";
    EXPECT_EQ(err.str(), row.expected + failure) << row.name;
    EXPECT_EQ(out.str().empty(), row.quiet) << row.name << ": quiet says failures only";
  }
}

}  // namespace
}  // namespace palvarin

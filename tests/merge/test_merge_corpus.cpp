#include <gtest/gtest.h>

#include <functional>

#include "history/log_writer.hpp"
#include "merge/merge_entry_lists.hpp"
#include "merge_fixtures.hpp"
#include "same_apart_from_session.hpp"
#include "support/reference_output.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

// Merges through a DocumentSink and expects exactly `input`'s entries back, renumbered by run.
void ExpectGivesBack(const LogDocument& input, const LogDocument& first,
                     const LogDocument& second) {
  LogDocument output = *CreateEmptyLog();
  DocumentSink sink(output);
  MergeCounts counts;
  const int last = MergeEntryLists(sink, ChildNodes(first.Root()), ChildNodes(second.Root()),
                                   ArchiveRule(), counts);
  const NodeList entries = test::Elements(input.Xml());
  const NodeList written = test::Elements(output.Xml());
  const std::vector<int> runs = test::RunNumbers(entries);
  ASSERT_EQ(written.size(), entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_TRUE(SameApartFromSession(written[i], entries[i])) << "entry " << i;
    EXPECT_EQ(written[i].attribute("SessionID").as_int(), runs[i]) << "entry " << i;
  }
  EXPECT_EQ(last, runs.empty() ? 0 : runs.back());
}

TEST(MergeCorpusTest, EveryFileMergedWithItselfOrEmptyGivesItselfBack) {
  test::ScopedTimeZone zone("America/New_York");
  const auto files = test::CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "the corpus of real history files is not there";
  for (const auto& path : files) {
    SCOPED_TRACE(path.string());
    const auto input = LoadLogDocument(path);
    const auto copy = LoadLogDocument(path);
    const auto empty = CreateEmptyLog();
    ASSERT_TRUE(input && copy && empty);
    ASSERT_FALSE(test::Elements(input->Xml()).empty());
    ExpectGivesBack(*input, *input, *copy);
    ExpectGivesBack(*input, *input, *empty);
    ExpectGivesBack(*input, *empty, *input);
  }
}

// A copy of a history with some of its entries taken out, as a PC that joined late, left
// early or missed a message holds it.
struct Removal {
  const char* name;
  // The entries to take out, by position, given every entry's run.
  std::function<bool(std::size_t entry, const std::vector<int>& runs)> removes;
};

TEST(MergeCorpusTest, CopyMissingPartsMergesBackIntoTheWholeFile) {
  test::ScopedTimeZone zone("Europe/London");
  const auto files = test::CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "the corpus of real history files is not there";
  const Removal removals[] = {
      {"first message", [](std::size_t i, const auto&) { return i == 0; }},
      {"first session", [](std::size_t i, const auto& runs) { return runs[i] == runs[0]; }},
      {"a middle message", [](std::size_t i, const auto& runs) { return i == runs.size() / 2; }},
  };
  for (const auto& path : files) {
    for (const Removal& removal : removals) {
      SCOPED_TRACE(path.string() + ", without its " + removal.name);
      const auto whole = LoadLogDocument(path);
      auto part = LoadLogDocument(path);
      ASSERT_TRUE(whole && part);
      const NodeList entries = test::Elements(part->Xml());
      const std::vector<int> runs = test::RunNumbers(entries);
      for (std::size_t i = 0; i < entries.size(); ++i) {
        if (removal.removes(i, runs)) part->Root().remove_child(entries[i]);
      }
      ExpectGivesBack(*whole, *whole, *part);
      ExpectGivesBack(*whole, *part, *whole);
    }
  }
}

// Real histories hold no echoes: every pair of them merges byte for byte as with the search
// off, and no echo is counted.
TEST(MergeCorpusTest, FilesWithoutEchoesMergeAsWithTheSearchOff) {
  test::ScopedTimeZone zone("Europe/London");
  const auto files = test::CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "the corpus of real history files is not there";
  for (const auto& path1 : files) {
    for (const auto& path2 : files) {
      SCOPED_TRACE(path1.string() + " with " + path2.string());
      const auto first = LoadLogDocument(path1);
      const auto second = LoadLogDocument(path2);
      ASSERT_TRUE(first && second);
      const auto merge = [&](EchoSearch search, MergeCounts& counts) {
        RecordingSink sink;
        const int last = MergeEntryLists(sink, ChildNodes(first->Root()),
                                         ChildNodes(second->Root()), ArchiveRule(), counts, search);
        std::string xml = std::to_string(last);
        for (const auto& record : sink.Records()) {
          LogWriter::FormatEntry(xml, record.entry, record.session);
        }
        return xml;
      };
      MergeCounts found;
      MergeCounts kept;
      EXPECT_EQ(merge(EchoSearch::kFind, found), merge(EchoSearch::kKeepBoth, kept));
      EXPECT_EQ(found.echoes, 0);
      EXPECT_EQ(found.fromBoth, kept.fromBoth);
    }
  }
}

}  // namespace
}  // namespace palvarin

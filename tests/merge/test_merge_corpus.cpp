#include <gtest/gtest.h>

#include "merge/merge_entry_lists.hpp"
#include "merge/same_apart_from_session.hpp"
#include "merge_fixtures.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

// Merges through a DocumentSink and expects exactly `input`'s entries back, renumbered by run.
void ExpectGivesBack(const LogDocument& input, const LogDocument& first,
                     const LogDocument& second) {
  LogDocument output = *CreateEmptyLog();
  DocumentSink sink(output);
  MergeCounts counts;
  const int last =
      MergeEntryLists(sink, ChildNodes(first.Root()), ChildNodes(second.Root()), 0, counts);
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

}  // namespace
}  // namespace palvarin

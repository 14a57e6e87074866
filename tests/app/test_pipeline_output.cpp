// The pipeline streams the merged entries straight from the inputs into the file. This checks
// it byte for byte against the plain way: a deep copy of every entry into an output document,
// saved whole.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/merge_file_pair.hpp"
#include "history/log_document.hpp"
#include "history/log_output.hpp"
#include "history_generator.hpp"
#include "merge/entry_sink.hpp"
#include "merge/merge_entry_lists.hpp"
#include "state/merge_time_record.hpp"
#include "state/profile_store.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using test::ReadFile;
using test::ScopedTimeZone;
using test::TempFolder;

struct Reference {
  std::string bytes;
  MergeCounts counts;
};

// Loads both inputs, copies the merged entries into a new document and saves it.
Reference MergeByCopying(const std::string& first, const std::string& second, TimeValue cutoff,
                         const std::filesystem::path& output) {
  auto input1 = LoadLogDocument(first);
  auto input2 = LoadLogDocument(second);
  auto merged = CreateEmptyLog();
  EXPECT_TRUE(input1 && input2 && merged);
  if (!input1 || !input2 || !merged) return {};
  AddLogSkeleton(*merged);
  DocumentSink sink(*merged);
  Reference reference;
  const int last = MergeEntryLists(sink, ChildNodes(input1->Root()), ChildNodes(input2->Root()),
                                   cutoff, reference.counts);
  SetSessionRange(*merged, last);
  SaveLogDocument(*merged, output);
  reference.bytes = ReadFile(output);
  return reference;
}

struct Row {
  const char* name;
  std::uint32_t seed;
  std::size_t bytes;
  const char* zone;
  const char* lastMerge;  // the pair's recorded merge time, for the archive rule; "" for none
  bool overwrite;         // the output is the first input
};

TEST(MergeFilePair, WritesWhatCopyingIntoADocumentWrites) {
  const Row rows[] = {
      {"shared and own sessions", 1, 300000, "Asia/Tokyo", "", false},
      {"another history, read in New York time", 2, 200000, "America/New_York", "", false},
      {"archive rule with a cut-off in the middle", 3, 300000, "Asia/Tokyo", "20080601000000",
       false},
      {"written over the first input", 4, 250000, "Asia/Tokyo", "", true},
  };
  for (const Row& row : rows) {
    ScopedTimeZone zone(row.zone);
    TempFolder folder;
    const std::string first = folder / "pc1.xml";
    const std::string second = folder / "pc2.xml";
    const auto pair = bench::GenerateHistoryPair(row.bytes, row.seed);
    test::WriteFile(first, pair.first);
    test::WriteFile(second, pair.second);

    ProfileStore profile(folder / "profile.sqlite3");
    PairOptions options;
    options.recordMergeTime = false;
    options.applyArchiveRule = *row.lastMerge != '\0';
    if (options.applyArchiveRule) {
      ASSERT_TRUE(profile.WriteProfileString(kMergeTimeSection, MergeTimeKey(first, second),
                                             row.lastMerge));
    }
    const TimeValue cutoff =
        options.applyArchiveRule ? ReadMergeTime(profile, first, second).time : 0;
    const Reference reference = MergeByCopying(first, second, cutoff, folder / "reference.xml");

    const std::string output = row.overwrite ? first : std::string(folder / "streamed.xml");
    const PairReport report = MergeFilePair(first, second, output, options, profile);
    ASSERT_EQ(report.outcome, PairOutcome::Merged) << row.name << ": " << report.reason;
    EXPECT_EQ(ReadFile(output), reference.bytes) << row.name;
    EXPECT_EQ(report.counts.fromBoth, reference.counts.fromBoth) << row.name;
    EXPECT_EQ(report.counts.cutOff, reference.counts.cutOff) << row.name;
    EXPECT_EQ(report.counts.sessions, reference.counts.sessions) << row.name;
    // The pairs are made to hold every case the merge tells apart.
    EXPECT_GT(reference.counts.fromBoth, 0) << row.name;
    EXPECT_GT(reference.counts.fromInput1, 0) << row.name;
    EXPECT_GT(reference.counts.fromInput2, 0) << row.name;
    EXPECT_EQ(reference.counts.cutOff > 0, options.applyArchiveRule) << row.name;
  }
}

}  // namespace
}  // namespace palvarin

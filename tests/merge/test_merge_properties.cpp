#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <tuple>

#include "history/entry_time.hpp"
#include "merge/merge_entry_lists.hpp"
#include "merge_fixtures.hpp"
#include "random_history.hpp"
#include "support/reference_time.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

// These pairs draw from six texts a few seconds apart, unlike any conversation: entries told
// apart by their stamps alone, which the search for echoes would take for one message.
struct Merged {
  RecordingSink sink;
  MergeCounts counts;
  int last = 0;
};

Merged MergeDocuments(const pugi::xml_document& input1, const pugi::xml_document& input2,
                      TimeValue cutoff) {
  Merged merged;
  merged.last = MergeEntryLists(
      merged.sink, ChildNodes(input1.document_element()), ChildNodes(input2.document_element()),
      test::HeldByBothSince(cutoff, input1, input2), merged.counts, EchoSearch::kKeepBoth);
  return merged;
}

// Session numbers start at 1, never go back and never skip: each session is contiguous.
void ExpectGaplessContiguousSessions(const Merged& merged) {
  int previous = 0;
  for (const auto& record : merged.sink.Records()) {
    ASSERT_TRUE(record.session == previous || record.session == previous + 1)
        << record.session << " after " << previous;
    previous = record.session;
  }
  EXPECT_EQ(merged.last, previous);
  EXPECT_EQ(merged.counts.sessions, previous);
}

bool OlderThanCutoff(pugi::xml_node entry, TimeValue cutoff) {
  const auto time = EntryTime(LogEntry{entry});
  return time && *time < cutoff;
}

// Every input entry is written once, stands for a same entry of input 1 that was written,
// or was left out by the cut-off; no input entry is written twice.
void ExpectNothingLostOrRepeated(const Merged& merged, const pugi::xml_document& input1,
                                 const pugi::xml_document& input2, TimeValue cutoff) {
  std::set<pugi::xml_node> written;
  NodeList writtenFrom1;
  for (const auto& record : merged.sink.Records()) {
    ASSERT_TRUE(written.insert(record.entry).second) << "an input entry was written twice";
    if (record.entry.root() == input1) writtenFrom1.push_back(record.entry);
  }
  for (pugi::xml_node entry : test::Elements(input1)) {
    EXPECT_TRUE(written.count(entry) || OlderThanCutoff(entry, cutoff)) << "lost from input 1";
  }
  for (pugi::xml_node entry : test::Elements(input2)) {
    const bool standsFor = std::any_of(writtenFrom1.begin(), writtenFrom1.end(), [&](auto node) {
      return IsSameEntry(LogEntry{node}, LogEntry{entry});
    });
    EXPECT_TRUE(written.count(entry) || standsFor || OlderThanCutoff(entry, cutoff))
        << "lost from input 2";
  }
  const MergeCounts& counts = merged.counts;
  EXPECT_EQ(writtenFrom1.size(), std::size_t(counts.fromInput1 + counts.fromBoth));
  EXPECT_EQ(written.size() - writtenFrom1.size(), std::size_t(counts.fromInput2));
  EXPECT_EQ(
      test::Elements(input1).size() + test::Elements(input2).size(),
      std::size_t(counts.fromInput1 + counts.fromInput2 + 2 * counts.fromBoth + counts.cutOff));
}

// A history merged with a copy of itself comes back whole, once, one session per run.
void ExpectSelfMergeGivesItBack(const pugi::xml_document& input, const std::string& text,
                                TimeValue cutoff) {
  const auto copy = test::ParseLog(text);
  const Merged merged = MergeDocuments(input, *copy, cutoff);
  const NodeList entries = test::Elements(input);
  const std::vector<int> runs = test::RunNumbers(entries);
  ASSERT_EQ(merged.sink.Records().size(), entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(merged.sink.Records()[i].entry, entries[i]) << "entry " << i;
    EXPECT_EQ(merged.sink.Records()[i].session, runs[i]) << "entry " << i;
  }
  EXPECT_EQ(merged.counts.fromBoth, static_cast<int>(entries.size()));
}

TEST(MergePropertiesTest, HoldForSeededRandomHistoryPairs) {
  test::ScopedTimeZone zone("UTC");
  for (std::uint32_t seed = 1; seed <= 3000; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const test::RandomHistoryPair pair = test::MakeRandomHistoryPair(seed);
    const auto input1 = test::ParseLog(pair.log1);
    const auto input2 = test::ParseLog(pair.log2);
    const Merged merged = MergeDocuments(*input1, *input2, pair.cutoff);
    ExpectGaplessContiguousSessions(merged);
    ExpectNothingLostOrRepeated(merged, *input1, *input2, pair.cutoff);
    ExpectSelfMergeGivesItBack(*input1, pair.log1, pair.cutoff);
    if (HasFailure()) break;
  }
}

// Whatever the cut-off leaves out was recorded as held by both files, is older than the last
// merge, and is held by neither input any more... but one: the other side deleted it.
TEST(MergePropertiesTest, ArchiveRuleLeavesOutOnlyRecordedEntriesOneSideNoLongerHolds) {
  test::ScopedTimeZone zone("Asia/Tokyo");
  std::mt19937 random(7);
  int leftOut = 0;
  for (std::uint32_t seed = 1; seed <= 2000; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const test::RandomHistoryPair pair = test::MakeRandomHistoryPair(seed);
    const auto input1 = test::ParseLog(pair.log1);
    const auto input2 = test::ParseLog(pair.log2);
    const std::vector<EntryIdentity> held1 = test::Identities(*input1);
    const std::vector<EntryIdentity> held2 = test::Identities(*input2);
    std::vector<EntryIdentity> recorded;
    for (const auto* held : {&held1, &held2}) {
      for (const EntryIdentity& identity : *held) {
        if (random() % 2) recorded.push_back(identity);
      }
    }
    const TimeValue lastMerge = MakeTime(2010, 9, 1, 0, 0, static_cast<int>(random() % 21600));
    Merged merged;
    merged.last = MergeEntryLists(
        merged.sink, ChildNodes(input1->document_element()), ChildNodes(input2->document_element()),
        ArchiveRule(lastMerge, recorded), merged.counts, EchoSearch::kKeepBoth);
    const std::vector<EntryIdentity> writtenList = test::Identities(merged.sink.Records());
    const std::set<EntryIdentity> written(writtenList.begin(), writtenList.end());
    const std::set<EntryIdentity> recordedSet(recorded.begin(), recorded.end());
    int missing = 0;
    for (const auto& [input, own, other] :
         {std::tuple{input1.get(), &held1, &held2}, std::tuple{input2.get(), &held2, &held1}}) {
      const NodeList entries = test::Elements(*input);
      for (std::size_t i = 0; i < entries.size(); ++i) {
        const EntryIdentity& identity = (*own)[i];
        if (written.count(identity)) continue;
        ++missing;
        EXPECT_TRUE(recordedSet.count(identity)) << "left out but never recorded";
        EXPECT_EQ(std::count(other->begin(), other->end(), identity), 0)
            << "left out although the other input holds it";
        EXPECT_TRUE(OlderThanCutoff(entries[i], lastMerge)) << "left out but not older";
      }
    }
    EXPECT_EQ(missing, merged.counts.cutOff);
    leftOut += missing;
    if (HasFailure()) break;
  }
  EXPECT_GT(leftOut, 0) << "the cases never reach the rule";
}

}  // namespace
}  // namespace palvarin

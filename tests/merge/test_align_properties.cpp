#include <gtest/gtest.h>

#include <map>
#include <set>

#include "entry_identity.hpp"
#include "entry_walk.hpp"
#include "history/log_writer.hpp"
#include "merge_fixtures.hpp"
#include "support/pc_histories.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using Counts = std::map<EntryIdentity, int>;

// A merge's output as a file and as the identities and session numbers of its entries.
struct Output {
  std::string xml;
  std::vector<EntryIdentity> identities;
  std::vector<int> sessions;
  bool walkWroteTwice = false;
  std::vector<EntryIdentity> walkIdentities;
  std::string walkXml;
};

Counts CountIdentities(const std::vector<EntryIdentity>& identities) {
  Counts counts;
  for (const EntryIdentity& identity : identities) ++counts[identity];
  return counts;
}

// The entries as LogWriter writes them, inside a root.
std::string Xml(const RecordingSink& sink) {
  std::string xml = "<Log>";
  for (const MergedEntry& entry : sink.Records()) {
    LogWriter::FormatEntry(xml, entry.entry, entry.session);
  }
  return xml + "</Log>";
}

Output Merge(const std::string& xml1, const std::string& xml2) {
  const auto input1 = test::ParseLog(xml1);
  const auto input2 = test::ParseLog(xml2);
  const NodeList list1 = ChildNodes(input1->document_element());
  const NodeList list2 = ChildNodes(input2->document_element());
  LocalTimeCache hours;
  const EntryList first(list1, EntrySource::kInput1, hours);
  const EntryList second(list2, EntrySource::kInput2, hours);
  const ArchiveRule keepAll;
  MergeCounts counts;
  RecordingSink merged;
  MergeEntryLists(merged, first, second, keepAll, counts);
  RecordingSink walked;
  MergeOutput walk{walked, keepAll, first, second, counts};
  WalkEntryLists(walk);

  Output output{Xml(merged), test::Identities(merged.Records()), {},
                false,       test::Identities(walked.Records()), Xml(walked)};
  for (const MergedEntry& entry : merged.Records()) output.sessions.push_back(entry.session);
  const Counts walkCounts = CountIdentities(output.walkIdentities);
  const Counts held1 = CountIdentities(test::Identities(*input1));
  const Counts held2 = CountIdentities(test::Identities(*input2));
  for (const auto& [identity, written] : walkCounts) {
    const auto in1 = held1.count(identity) ? held1.at(identity) : 0;
    const auto in2 = held2.count(identity) ? held2.at(identity) : 0;
    output.walkWroteTwice |= written > std::max(in1, in2);
  }
  return output;
}

// The identities of a history's entries, and each entry's run counted from 0.
struct Input {
  std::vector<EntryIdentity> identities;
  std::vector<int> runs;
};

Input Read(const std::string& xml) {
  const auto document = test::ParseLog(xml);
  Input input{test::Identities(*document), test::RunNumbers(test::Elements(*document))};
  return input;
}

// Every entry as often as the input holding it most often, never more: nothing lost, nothing
// doubled.
void ExpectEachEntryAsOftenAsHeld(const Output& output, const Input& one, const Input& two) {
  Counts expected = CountIdentities(one.identities);
  for (const auto& [identity, count] : CountIdentities(two.identities)) {
    expected[identity] = std::max(expected[identity], count);
  }
  EXPECT_EQ(CountIdentities(output.identities), expected);
}

// Each input's entries stay in their order and each of its runs in one output session.
void ExpectOrderAndSessionsKept(const Output& output, const Input& input) {
  std::map<EntryIdentity, std::size_t> at;
  for (std::size_t i = 0; i < output.identities.size(); ++i) at.emplace(output.identities[i], i);
  std::map<int, std::set<int>> sessionsOfRun;
  std::size_t previous = 0;
  for (std::size_t i = 0; i < input.identities.size(); ++i) {
    const std::size_t position = at.at(input.identities[i]);
    EXPECT_TRUE(i == 0 || position > previous) << "entry " << i << " out of its input's order";
    previous = position;
    sessionsOfRun[input.runs[i]].insert(output.sessions[position]);
  }
  for (const auto& [run, sessions] : sessionsOfRun) {
    EXPECT_EQ(sessions.size(), 1u) << "run " << run << " split";
  }
}

void ExpectGaplessSessions(const Output& output) {
  int previous = 0;
  for (int session : output.sessions) {
    ASSERT_TRUE(session == previous || session == previous + 1) << session << " after " << previous;
    previous = session;
  }
}

// Merging the result with an input again gives the result back.
void ExpectSettled(const Output& output, const std::string& input) {
  for (const Output& again : {Merge(output.xml, input), Merge(input, output.xml)}) {
    EXPECT_EQ(again.identities, output.identities);
    EXPECT_EQ(again.sessions, output.sessions);
  }
}

TEST(AlignPropertiesTest, PairsOfPcsKeepEveryEntryOnceInOrder) {
  test::ScopedTimeZone zone("Europe/Lisbon");
  for (const test::Difference difference : test::EveryDifference()) {
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
      SCOPED_TRACE(std::string(test::DifferenceName(difference)) + ", seed " +
                   std::to_string(seed));
      const auto files = test::MakePcHistories(seed, 2, difference);
      const Input one = Read(files[0]);
      const Input two = Read(files[1]);
      const Output output = Merge(files[0], files[1]);
      ExpectEachEntryAsOftenAsHeld(output, one, two);
      ExpectOrderAndSessionsKept(output, one);
      ExpectOrderAndSessionsKept(output, two);
      ExpectGaplessSessions(output);
      ExpectSettled(output, files[0]);
      ExpectSettled(output, files[1]);
      if (!output.walkWroteTwice) {
        EXPECT_EQ(output.xml, output.walkXml) << "differs from the walk";
      }
      if (HasFailure()) return;
    }
  }
}

TEST(AlignPropertiesTest, ThreePcsMergedInEitherGroupingHoldTheSameEntriesOnce) {
  test::ScopedTimeZone zone("America/New_York");
  for (const test::Difference difference : test::EveryDifference()) {
    for (std::uint32_t seed = 1; seed <= 100; ++seed) {
      SCOPED_TRACE(std::string(test::DifferenceName(difference)) + ", seed " +
                   std::to_string(seed));
      const auto files = test::MakePcHistories(seed, 3, difference);
      const Output left = Merge(Merge(files[0], files[1]).xml, files[2]);
      const Output right = Merge(files[0], Merge(files[1], files[2]).xml);
      const Counts counts = CountIdentities(left.identities);
      EXPECT_EQ(counts, CountIdentities(right.identities));
      for (const auto& [identity, count] : counts) EXPECT_EQ(count, 1);
      std::set<EntryIdentity> all;
      for (const std::string& file : files) {
        for (const EntryIdentity& identity : Read(file).identities) all.insert(identity);
      }
      EXPECT_EQ(counts.size(), all.size()) << "entries lost";
      if (HasFailure()) return;
    }
  }
}

}  // namespace
}  // namespace palvarin

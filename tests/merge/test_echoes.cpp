#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <set>

#include "history/log_writer.hpp"
#include "merge/gather_copies.hpp"
#include "merge/merge_entry_lists.hpp"
#include "merge_fixtures.hpp"
#include "support/echo_histories.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

struct Merged {
  std::string xml;  // as LogWriter writes it, inside a root
  MergeCounts counts;
};

std::string Xml(const RecordingSink& sink) {
  std::string xml = "<Log>";
  for (const MergedEntry& entry : sink.Records()) {
    LogWriter::FormatEntry(xml, entry.entry, entry.session);
  }
  return xml + "</Log>";
}

Merged Merge(const std::string& xml1, const std::string& xml2,
             EchoSearch search = EchoSearch::kFind, const ArchiveRule& archive = {}) {
  test::Copies inputs;
  const EntryList& first = inputs.Add(xml1);
  const EntryList& second = inputs.Add(xml2);
  Merged merged;
  RecordingSink sink;
  MergeEntryLists(sink, first, second, archive, merged.counts, search);
  merged.xml = Xml(sink);
  return merged;
}

std::string Gather(const std::vector<std::string>& files) {
  test::Copies inputs;
  std::vector<const EntryList*> lists;
  for (const std::string& file : files) lists.push_back(&inputs.Add(file));
  RecordingSink sink;
  MergeCounts counts;
  std::vector<int> alone;
  GatherCopies(sink, lists, nullptr, counts, alone);
  return Xml(sink);
}

// How often each message of the histories is written in `xml`; -1 for a copy of none.
std::map<int, int> Written(const test::EchoHistories& histories, const std::string& xml) {
  std::map<int, int> written;
  const auto document = test::ParseLog(xml);
  for (pugi::xml_node entry : test::Elements(*document)) {
    const auto key =
        test::EchoCopyKey(entry.attribute("DateTime").value(),
                          entry.child("From").child("User").attribute("FriendlyName").value(),
                          entry.child("Text").text().get());
    const auto found = histories.messageOf.find(key);
    ++written[found == histories.messageOf.end() ? -1 : found->second];
  }
  return written;
}

struct Tally {
  int lost = 0;   // messages written nowhere: merged with one they were not
  int twice = 0;  // messages written more than once: echoes missed
};

Tally Check(const test::EchoHistories& histories, const std::string& xml) {
  const std::map<int, int> written = Written(histories, xml);
  Tally tally;
  EXPECT_EQ(written.count(-1), 0u) << "an entry no PC logged";
  std::set<int> logged;
  for (const auto& [key, message] : histories.messageOf) logged.insert(message);
  for (const int message : logged) {
    const auto found = written.find(message);
    const int times = found == written.end() ? 0 : found->second;
    tally.lost += times == 0;
    tally.twice += times > 1;
  }
  return tally;
}

struct Row {
  const char* name;
  test::EchoCase kind;
  // One seed and number of PCs whose echoes a cause once left written twice; 0: seeds 1 to 9
  // of 2 to 4 PCs.
  std::uint32_t seed = 0;
  int pcs = 0;
  // Its PCs' clocks cannot all be told apart: some echoes stay written twice, none is lost.
  bool echoesMayStay = false;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

class EchoTable : public testing::TestWithParam<Row> {};

// Histories of 2 to 4 PCs merged one after the other: every message once, whatever the clocks,
// drops and repeats; merging the result with any input again changes nothing.
TEST_P(EchoTable, EveryMessageOnceAndMergingAgainChangesNothing) {
  test::ScopedTimeZone zone("UTC");
  const Row& row = GetParam();
  // A few seeds each; palvarin_echo_quality counts over a thousand.
  for (std::uint32_t seed = row.seed ? row.seed : 1; seed <= (row.seed ? row.seed : 9); ++seed) {
    const int pcs = row.seed ? row.pcs : 2 + static_cast<int>(seed % 3);
    SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(pcs) + " PCs");
    const test::EchoHistories histories = test::MakeEchoHistories(seed, row.kind, pcs);
    std::string merged = histories.files.front();
    for (std::size_t pc = 1; pc < histories.files.size(); ++pc) {
      merged = Merge(merged, histories.files[pc]).xml;
    }
    const Tally tally = Check(histories, merged);
    EXPECT_EQ(tally.lost, 0);
    // A history merged before holds copies of two PCs, on two clocks: where it holds fewer
    // than three of one, the third PC's copies of those stay beside them.
    if ((pcs == 2 || row.seed) && !row.echoesMayStay) {
      EXPECT_EQ(tally.twice, 0);
    }
    for (const std::string& file : histories.files) {
      EXPECT_EQ(Merge(merged, file).xml, Merge(merged, merged).xml);
    }
    if (HasFailure()) break;
  }
}

// Without the search every copy is written.
TEST_P(EchoTable, KeepingEchoesWritesEveryCopy) {
  test::ScopedTimeZone zone("UTC");
  const test::EchoHistories histories =
      test::MakeEchoHistories(GetParam().seed ? GetParam().seed : 7, GetParam().kind, 2);
  const Merged merged = Merge(histories.files[0], histories.files[1], EchoSearch::kKeepBoth);
  const int copies = static_cast<int>(test::Elements(*test::ParseLog(histories.files[0])).size() +
                                      test::Elements(*test::ParseLog(histories.files[1])).size());
  EXPECT_EQ(merged.counts.fromInput1 + merged.counts.fromInput2, copies);
  EXPECT_EQ(merged.counts.echoes, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EchoTable,
    testing::Values(Row{"InStep", test::EchoCase::kInStep}, Row{"Drops", test::EchoCase::kDrops},
                    Row{"RepeatedTexts", test::EchoCase::kRepeatedTexts},
                    Row{"DroppedReplies", test::EchoCase::kDroppedReplies},
                    Row{"RealRepeats", test::EchoCase::kRealRepeats},
                    Row{"WrongClock", test::EchoCase::kWrongClock},
                    Row{"OwnSessions", test::EchoCase::kOwnSessions},
                    // Sessions of an entry or two, none a clear match,
                    // show their PCs' offset together.
                    Row{"ShortSessionsAgree", test::EchoCase::kInStep, 113, 2},
                    // Two sessions of one entry inside the other PC's,
                    // at one offset.
                    Row{"LoneEntriesAgree", test::EchoCase::kDrops, 10, 2},
                    // One PC came late, the other left early: in step,
                    // only the time both cover counts.
                    Row{"InStepOverlap", test::EchoCase::kDrops, 430, 2},
                    // A session of two entries inside the other's,
                    // out of step.
                    Row{"TwoInside", test::EchoCase::kDrops, 563, 2},
                    // Each PC's own conversation holds "lol" at the
                    // offset shown, amid entries that do not pair.
                    Row{"OwnAtShownOffset", test::EchoCase::kOwnSessions, 4891, 2},
                    // One PC's session holds what two merged PCs logged
                    // in two.
                    Row{"OneSessionForTwo", test::EchoCase::kDrops, 20, 3},
                    // A text each PC logged once, at the offset shown,
                    // each PC missing another message around it.
                    Row{"SaidOnceAtShownOffset", test::EchoCase::kDrops, 356, 2},
                    // In step, the clocks a second apart, one copy's
                    // delay past the jitter from zero.
                    Row{"InStepWithinJitter", test::EchoCase::kDrops, 493, 2},
                    // A session of one entry said once, out of step.
                    Row{"LoneSaidOnce", test::EchoCase::kDrops, 1184, 2},
                    // Left by a clear match's offsets: a copy on the
                    // third PC's clock.
                    Row{"LeftOnAnotherClock", test::EchoCase::kDrops, 28, 3},
                    // Two texts said once, in two sessions, agree.
                    Row{"SaidOnceAgree", test::EchoCase::kDrops, 148, 3},
                    // One PC's session matched again, on another clock.
                    Row{"MatchedAgainOnAnotherClock", test::EchoCase::kDrops, 306, 3},
                    // The nearest match paired on two clocks.
                    Row{"NearestMatchOnTwoClocks", test::EchoCase::kDrops, 176, 3},
                    // Each PC missed one of Bob's two "yes" between
                    // the same two pairs.
                    Row{"EachMissedOneReply", test::EchoCase::kDroppedReplies, 72, 2},
                    // A sticker's code said once on each side by chance,
                    // at another offset inside a match.
                    Row{"StickerSaidOnceByChance", test::EchoCase::kDroppedReplies, 2090, 3, true},
                    // "ok" said once on each PC, in sessions of one.
                    Row{"ShortTextSaidOnce", test::EchoCase::kDrops, 2124, 2},
                    Row{"OwnShortTextSaidOnce", test::EchoCase::kOwnSessions, 252, 2},
                    // "ok" on one clock of a session merged before lies
                    // at the offset of the other.
                    Row{"OkOnTheOtherClock", test::EchoCase::kDrops, 2169, 3, true}),
    test::RowName);

// Three PCs gathered in any order give the same bytes.
TEST(EchoesTest, GatheringThreePcsInAnyOrderGivesTheSameBytes) {
  test::ScopedTimeZone zone("UTC");
  for (std::uint32_t seed = 1; seed <= 10; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const auto histories = test::MakeEchoHistories(seed, test::EchoCase::kDrops, 3);
    std::vector<std::string> files = histories.files;
    const std::string gathered = Gather(files);
    EXPECT_EQ(Check(histories, gathered).lost, 0);
    while (std::next_permutation(files.begin(), files.end())) EXPECT_EQ(Gather(files), gathered);
  }
}

std::string Said(std::string_view text, std::string_view time, std::string_view ms, int session) {
  return "<Message Date=\"2010/09/16\" Time=\"" + std::string(time) + "\" DateTime=\"2010-09-16T" +
         std::string(time) + "." + std::string(ms) + "Z\" SessionID=\"" + std::to_string(session) +
         "\"><From><User FriendlyName=\"Ann\"/></From><To><User FriendlyName=\"Bob\"/></To>"
         "<Text Style=\"s\">" +
         std::string(text) + "</Text></Message>";
}

// Five messages, the second PC's 1.7 s later with a little jitter; `change` alters one text.
std::pair<std::string, std::string> FiveEchoed(bool change) {
  const char* texts[] = {"hi bob", "hello", "how are you", "fine", "bye"};
  const char* times1[] = {"12:00:00", "12:00:20", "12:00:41", "12:01:02", "12:01:30"};
  const char* times2[] = {"12:00:01", "12:00:21", "12:00:42", "12:01:03", "12:01:31"};
  const char* ms1[] = {"000", "037", "512", "900", "250"};
  const char* ms2[] = {"700", "741", "205", "611", "958"};
  std::string one;
  std::string two;
  for (int k = 0; k < 5; ++k) {
    one += Said(texts[k], times1[k], ms1[k], 3);
    two += Said(change && k == 2 ? "how are yuo" : texts[k], times2[k], ms2[k], 7);
  }
  return {test::Log(one), test::Log(two)};
}

TEST(EchoesTest, FiveEchoedMessagesAreWrittenOnceAndCounted) {
  test::ScopedTimeZone zone("UTC");
  const auto [one, two] = FiveEchoed(false);
  const Merged merged = Merge(one, two);
  EXPECT_EQ(merged.counts.echoes, 5);
  EXPECT_EQ(merged.counts.fromBoth, 5);
  EXPECT_EQ(merged.counts.fromInput1 + merged.counts.fromInput2, 0);
  EXPECT_EQ(merged.counts.sessions, 1);
  // Input 1's copies, as for identical entries.
  EXPECT_EQ(merged.xml, Merge(one, one).xml);
}

// A near match (one text differs) writes both copies of that one message; the rest are
// still one conversation.
TEST(EchoesTest, ACopyThatDiffersIsKeptBeside) {
  test::ScopedTimeZone zone("UTC");
  const auto [one, two] = FiveEchoed(true);
  const Merged merged = Merge(one, two);
  EXPECT_EQ(merged.counts.echoes, 4);
  EXPECT_EQ(merged.counts.fromInput1 + merged.counts.fromInput2, 2);
  EXPECT_NE(merged.xml.find("how are yuo"), std::string::npos);
  EXPECT_NE(merged.xml.find("how are you"), std::string::npos);
}

// Two copies of one echo are both held after a merge; as long as both inputs hold them the
// archive rule leaves neither out.
TEST(EchoesTest, ArchiveRuleKeepsEchoesBothInputsStillHold) {
  test::ScopedTimeZone zone("UTC");
  const auto [one, two] = FiveEchoed(false);
  const auto document1 = test::ParseLog(one);
  const auto document2 = test::ParseLog(two);
  const Merged merged = Merge(one, two, EchoSearch::kFind,
                              test::HeldByBothSince(test::TestDay(13, 0), *document1, *document2));
  EXPECT_EQ(merged.counts.cutOff, 0);
  EXPECT_EQ(merged.counts.echoes, 5);
}

}  // namespace
}  // namespace palvarin

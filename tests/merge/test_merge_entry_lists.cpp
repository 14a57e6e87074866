#include <gtest/gtest.h>

#include "merge/merge_entry_lists.hpp"
#include "merge_fixtures.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using test::Message;

struct MergeResult {
  std::string written;  // as test::Describe gives it
  int last = 0;
  MergeCounts counts;
};

MergeResult Merge(const std::string& entries1, const std::string& entries2, TimeValue cutoff) {
  const auto input1 = test::ParseLog(test::Log(entries1));
  const auto input2 = test::ParseLog(test::Log(entries2));
  RecordingSink sink;
  MergeResult result;
  result.last = MergeEntryLists(sink, ChildNodes(input1->document_element()),
                                ChildNodes(input2->document_element()),
                                test::HeldByBothSince(cutoff, *input1, *input2), result.counts);
  result.written = test::Describe(sink, *input1);
  return result;
}

// Input 1: run 5 with A (10:00) and B (10:02), run 6 with E (12:00). Input 2: run 1 with A,
// X (10:01) and B, run 2 with D (11:00), run 3 with E.
const std::string kExample1 =
    Message("A", "10:00:00", 5) + Message("B", "10:02:00", 5) + Message("E", "12:00:00", 6);
const std::string kExample2 = Message("A", "10:00:00", 1) + Message("X", "10:01:00", 1) +
                              Message("B", "10:02:00", 1) + Message("D", "11:00:00", 2) +
                              Message("E", "12:00:00", 3);

TEST(MergeEntryListsTest, WorkedExample) {
  test::ScopedTimeZone zone("UTC");
  const MergeResult result = Merge(kExample1, kExample2, 0);
  EXPECT_EQ(result.written, "1:A@1 2:X@1 1:B@1 2:D@2 1:E@3");
  EXPECT_EQ(result.last, 3);
  EXPECT_EQ(result.counts.fromInput1, 0);
  EXPECT_EQ(result.counts.fromInput2, 2);
  EXPECT_EQ(result.counts.fromBoth, 3);
  EXPECT_EQ(result.counts.cutOff, 0);
  EXPECT_EQ(result.counts.sessions, 3);
}

TEST(MergeEntryListsTest, WorkedExampleWithCutoffLeavesOutOneSidedOlderEntry) {
  test::ScopedTimeZone zone("Europe/Berlin");
  const MergeResult result = Merge(kExample1, kExample2, test::TestDay(10, 30));
  EXPECT_EQ(result.written, "1:A@1 1:B@1 2:D@2 1:E@3");
  EXPECT_EQ(result.last, 3);
  EXPECT_EQ(result.counts.fromInput2, 1);
  EXPECT_EQ(result.counts.fromBoth, 3);
  EXPECT_EQ(result.counts.cutOff, 1);
}

// A "Join" entry, which no named rule recognises, labelled by its text.
std::string Join(std::string_view label, std::string_view time, int session) {
  return R"(<Join Date="2010/09/16" Time=")" + std::string(time) + R"(" SessionID=")" +
         std::to_string(session) + R"("><User FriendlyName="Cy"/>)" + std::string(label) +
         "</Join>";
}

// A message without any readable time.
std::string Untimed(std::string_view label, int session) {
  return R"(<Message SessionID=")" + std::to_string(session) + R"("><Text>)" + std::string(label) +
         "</Text></Message>";
}

// A message with a day-first "Date", ordered by its "DateTime".
std::string Regional(std::string_view label, std::string_view utc, int session) {
  return R"(<Message Date="16/9/2010" Time="1:00:00 PM" DateTime="2010-09-16T)" + std::string(utc) +
         R"(Z" SessionID=")" + std::to_string(session) +
         R"("><From><User FriendlyName="G"/></From><To><User FriendlyName="R"/></To><Text Style="s">)" +
         std::string(label) + "</Text></Message>";
}

struct MergeRow {
  const char* name;
  std::string input1;
  std::string input2;
  TimeValue cutoff;
  std::string written;
  int last;
};

TEST(MergeEntryListsTest, EdgeCases) {
  test::ScopedTimeZone zone("UTC");
  const std::string group =
      R"(<Message Date="2010/09/16" Time="10:00:00" DateTime="2010-09-16T10:00:00Z" SessionID="1"><To><User FriendlyName="B"/><User FriendlyName="C"/></To><Text>G</Text></Message>)";
  const MergeRow rows[] = {
      {"BothEmpty", "", "", 0, "", 0},
      {"IdenticalInputsOneSessionPerRun",
       Message("A", "10:00:00", 1) + Message("B", "10:01:00", 1) + Message("C", "11:00:00", 2),
       Message("A", "10:00:00", 7) + Message("B", "10:01:00", 7) + Message("C", "11:00:00", 8),
       test::TestDay(12, 0), "1:A@1 1:B@1 1:C@2", 2},
      {"Input2EmptyRunsInOrderUntimedKept",
       Message("A", "10:00:00", 1) + Untimed("U", 1) + Message("B", "10:01:00", 1) +
           Message("C", "09:00:00", 2),
       "", 0, "1:A@1 1:U@1 1:B@1 1:C@2", 2},
      {"Input2EmptyCutoffLeavesOutOlderRunsWithoutGap",
       Message("A", "09:00:00", 1) + Message("B", "09:30:00", 1) + Message("C", "10:00:00", 2) +
           Message("D", "11:00:00", 3),
       "", test::TestDay(10, 0), "1:C@1 1:D@2", 2},
      {"UntimedEntrySurvivesCutoff", Message("A", "09:00:00", 1) + Untimed("U", 1), "",
       test::TestDay(10, 0), "1:U@1", 1},
      {"EntryAtCutoffWritten", Message("A", "10:00:00", 1), "", test::TestDay(10, 0), "1:A@1", 1},
      {"EntryOneSecondBeforeCutoffLeftOut", "", Message("A", "09:59:59", 1), test::TestDay(10, 0),
       "", 0},
      {"OldEntryInBothWrittenOnceFromInput1", Message("A", "09:00:00", 1),
       Message("A", "09:00:00", 4), test::TestDay(10, 0), "1:A@1", 1},
      {"EarlierRunWrittenWholeFirst", Message("A", "10:00:00", 1) + Message("C", "10:10:00", 1),
       Message("B", "10:05:00", 1), 0, "1:A@1 1:C@1 2:B@2", 2},
      {"EqualStartsInput2First", Message("A", "10:00:00", 1), Message("B", "10:00:00", 1), 0,
       "2:B@1 1:A@2", 2},
      {"ExtraEntryOfInput2JoinsSession", Message("A", "10:00:00", 1) + Message("C", "10:02:00", 1),
       Message("A", "10:00:00", 1) + Message("X", "10:01:00", 1) + Message("C", "10:02:00", 1), 0,
       "1:A@1 2:X@1 1:C@1", 1},
      {"ExtraEntryOfInput2UnderCutoff", Message("A", "10:00:00", 1) + Message("C", "10:02:00", 1),
       Message("A", "10:00:00", 1) + Message("X", "10:01:00", 1) + Message("C", "10:02:00", 1),
       test::TestDay(10, 1, 30), "1:A@1 1:C@1", 1},
      {"Input1RunEndsFirstRestJoins", Message("A", "10:00:00", 1) + Message("B", "11:00:00", 2),
       Message("A", "10:00:00", 3) + Message("X", "10:30:00", 3) + Message("Y", "11:30:00", 3), 0,
       "1:A@1 2:X@1 2:Y@1 1:B@2", 2},
      {"TextCommentsAndInstructionsBetween",
       "\n  " + Message("A", "10:00:00", 1) + "<!-- c -->\n" + Message("B", "10:01:00", 1) + "\n",
       Message("A", "10:00:00", 1) + "<?pi x?>" + Message("B", "10:01:00", 1), 0, "1:A@1 1:B@1", 1},
      {"WithoutSessionIdOneRun", Message("A", "10:00:00", -1) + Message("B", "12:00:00", -1),
       Message("C", "11:00:00", -1), 0, "1:A@1 1:B@1 2:C@2", 2},
      {"OtherKindIdenticalWrittenOnce", Join("J", "10:00:00", 1), Join("J", "10:00:00", 2), 0,
       "1:J@1", 1},
      {"OtherKindDifferentFromEachSide", Join("J", "10:00:00", 1), Join("K", "10:00:00", 1), 0,
       "2:K@1 1:J@2", 2},
      {"OtherKindUnderCutoff", Join("J", "09:00:00", 1), Join("K", "11:00:00", 1),
       test::TestDay(10, 0), "2:K@1", 1},
      {"GroupChatWrittenOnce", group, group, test::TestDay(11, 0), "1:G@1", 1},
      {"UntimedMatchWrittenOnce", Untimed("U", 1), Untimed("U", 2), test::TestDay(11, 0), "1:U@1",
       1},
      {"UntimedAgainstTimedInput2First", Untimed("U", 1), Message("B", "10:00:00", 1), 0,
       "2:B@1 1:U@2", 2},
      {"RegionalDatesInterleaveByStamp",
       Regional("A", "10:00:00", 1) + Regional("C", "10:02:00", 1),
       Regional("A", "10:00:00", 1) + Regional("B", "10:01:00", 1) + Regional("C", "10:02:00", 1),
       0, "1:A@1 2:B@1 1:C@1", 1},
  };
  for (const auto& row : rows) {
    const MergeResult result = Merge(row.input1, row.input2, row.cutoff);
    EXPECT_EQ(result.written, row.written) << row.name;
    EXPECT_EQ(result.last, row.last) << row.name;
  }
}

// Where the walk would write an entry twice, the entries are aligned by identity instead.
TEST(MergeEntryListsTest, AlignedWhereTheWalkWouldWriteTwice) {
  test::ScopedTimeZone zone("UTC");
  const MergeRow rows[] = {
      {"LateJoinOnOnePc",
       Message("A", "10:00:00", 1) + Message("B", "10:01:00", 1) + Message("C", "10:02:00", 1),
       Message("B", "10:01:00", 4) + Message("C", "10:02:00", 4), 0, "1:A@1 1:B@1 1:C@1", 1},
      {"WindowReopenedOnOnePc",
       Message("A", "10:00:00", 1) + Message("B", "10:01:00", 1) + Message("C", "10:02:00", 1) +
           Message("D", "10:03:00", 1),
       Message("A", "10:00:00", 1) + Message("B", "10:01:00", 1) + Message("C", "10:02:00", 2) +
           Message("D", "10:03:00", 2),
       0, "1:A@1 1:B@1 1:C@1 1:D@1", 1},
      {"UntimedKeepsItsPlaceAfterItsNeighbour",
       Message("A", "10:00:00", 1) + Untimed("U", 1) + Message("B", "10:02:00", 1),
       Message("A", "10:00:00", 1) + Message("X", "10:01:00", 1) + Message("B", "10:02:00", 1), 0,
       "1:A@1 1:U@1 2:X@1 1:B@1", 1},
      {"EqualSecondOneMissed",
       Message("A", "10:00:00", 1) + Message("B", "10:00:00", 1) + Message("C", "10:00:05", 1),
       Message("B", "10:00:00", 2) + Message("C", "10:00:05", 2), 0, "1:A@1 1:B@1 1:C@1", 1},
      {"CrossedOrderWrittenOnceWhereInput1HasIt",
       Message("A", "10:00:00", 1) + Message("B", "10:00:00", 1),
       Message("B", "10:00:00", 1) + Message("A", "10:00:00", 1), 0, "1:A@1 1:B@1", 1},
      {"SessionsBetweenSharedOnesStayInOrder",
       Message("A", "10:00:00", 1) + Message("B", "10:01:00", 1) + Message("P", "11:00:00", 2) +
           Message("C", "12:00:00", 3) + Message("D", "12:01:00", 3),
       Message("B", "10:01:00", 1) + Message("Q", "11:30:00", 2) + Message("D", "12:01:00", 3), 0,
       "1:A@1 1:B@1 1:P@2 2:Q@3 1:C@4 1:D@4", 4},
      {"EqualSecondsInput2FirstInsideAndOutsideGroups",
       Message("A", "10:00:00", 1) + Message("P", "10:01:00", 1) + Message("B", "10:02:00", 1) +
           Message("R", "11:00:00", 2),
       Message("A", "10:00:00", 1) + Message("Q", "10:01:00", 1) + Message("B", "10:02:00", 2) +
           Message("S", "11:00:00", 3),
       0, "1:A@1 2:Q@1 1:P@1 1:B@1 2:S@2 1:R@3", 3},
      // M is held twice by one side, alone and inside the conversation: the other side's one
      // copy pairs with the copy in the conversation, and the lone one keeps its session.
      {"RepeatedEntryPairedWithinItsConversation",
       Message("M", "10:01:00", 1) + Message("A", "10:00:00", 2) + Message("M", "10:01:00", 2) +
           Message("B", "10:02:00", 2),
       Message("A", "10:00:00", 7) + Message("M", "10:01:00", 7) + Message("B", "10:02:00", 7), 0,
       "1:M@1 1:A@2 1:M@2 1:B@2", 2},
      {"RepeatedEntryOfInput2PairedWithinItsConversation",
       Message("A", "10:00:00", 7) + Message("M", "10:01:00", 7) + Message("B", "10:02:00", 7),
       Message("M", "10:01:00", 1) + Message("A", "10:00:00", 2) + Message("M", "10:01:00", 2) +
           Message("B", "10:02:00", 2),
       0, "2:M@1 1:A@2 1:M@2 1:B@2", 2},
      {"OneSideEntryUnderCutoffStillAligned",
       Message("A", "10:00:00", 1) + Message("B", "10:01:00", 1) + Message("C", "10:02:00", 1),
       Message("B", "10:01:00", 4) + Message("C", "10:02:00", 4), test::TestDay(10, 0, 30),
       "1:B@1 1:C@1", 1},
  };
  for (const auto& row : rows) {
    const MergeResult result = Merge(row.input1, row.input2, row.cutoff);
    EXPECT_EQ(result.written, row.written) << row.name;
    EXPECT_EQ(result.last, row.last) << row.name;
    EXPECT_EQ(result.counts.sessions, row.last) << row.name;
  }
}

}  // namespace
}  // namespace palvarin

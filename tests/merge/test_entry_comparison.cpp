#include <gtest/gtest.h>

#include "entry_identity.hpp"
#include "merge/entry_comparison.hpp"
#include "merge_fixtures.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

// `base` with its first `from` replaced by `to`.
std::string With(std::string base, std::string_view from, std::string_view to) {
  const auto at = base.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return base.replace(at, from.size(), to);
}

const std::string kFull = test::Message("hi", "12:00:00", 1);
const std::string kNoStamp = With(kFull, R"( DateTime="2010-09-16T12:00:00.000Z")", "");
const std::string kNoStyle = With(kFull, R"( Style="color:#000")", "");
const std::string kGroup = With(kFull, R"(<User FriendlyName="Bob"/>)",
                                R"(<User FriendlyName="Bob"/><User FriendlyName="Cy"/>)");
const std::string kLowerCase =
    With(With(kFull, "<Message", "<message"), "</Message>", "</message>");
const std::string kJoin =
    R"(<Join Date="2010/09/16" Time="12:00:00" SessionID="1"><User FriendlyName="Cy" Id="7"/>joined</Join>)";
const std::string kInvitation =
    R"(<Invitation Date="2010/09/16" Time="12:00:00" DateTime="2010-09-16T12:00:00.000Z" SessionID="1"><Application>Files</Application></Invitation>)";
const std::string kUntimed = R"(<Message SessionID="1"><Text>no time</Text></Message>)";
const std::string kRegional =
    R"(<Message Date="16/9/2010" Time="22:45:43" DateTime="2010-09-17T01:45:43.093Z" SessionID="1"><From><User FriendlyName="G"/></From><To><User FriendlyName="R"/></To><Text Style="s">oi</Text></Message>)";

struct SameRow {
  const char* name;
  std::string a;
  std::string b;
  bool same;
};

TEST(IsSameEntryTest, NamedRulesAndIdentityApartFromSession) {
  test::ScopedTimeZone zone("UTC");
  const SameRow rows[] = {
      {"OnlySessionIdDiffers", kFull, With(kFull, R"(SessionID="1")", R"(SessionID="9")"), true},
      {"UnreadItemDiffers", kFull,
       With(kFull, R"(FriendlyName="Bob")", R"(FriendlyName="Bob" LogonName="b@x")"), true},
      {"TimeTextDiffersAfterSeconds", kFull, With(kFull, R"(12:00:00")", R"(12:00:00 PM")"), true},
      {"StampDiffersInOneCharacter", kFull, With(kFull, ".000Z", ".001Z"), false},
      {"TimeDiffers", kFull, With(kFull, R"(Time="12:00:00")", R"(Time="12:00:01")"), false},
      {"SenderDiffers", kFull, With(kFull, "Ann", "Anne"), false},
      {"RecipientDiffers", kFull, With(kFull, "Bob", "Rob"), false},
      {"TextDiffersInTrailingBlank", kFull, With(kFull, ">hi<", ">hi <"), false},
      {"StyleDiffers", kFull, With(kFull, "#000", "#001"), false},
      {"TextAsCdataStillSameMessage", kFull, With(kFull, ">hi<", "><![CDATA[hi]]><"), true},
      {"NoStampIdenticalCopy", kNoStamp, kNoStamp, true},
      {"NoStampOnOneSide", kFull, kNoStamp, false},
      {"NoStampDifferentText", kNoStamp, With(kNoStamp, ">hi<", ">ho<"), false},
      {"NoStyleIdenticalCopy", kNoStyle, With(kNoStyle, R"("1")", R"("2")"), true},
      {"NoStyleOnOneSide", kFull, kNoStyle, false},
      {"GroupChatIdenticalCopy", kGroup, kGroup, true},
      {"GroupChatOtherRecipient", kGroup, With(kGroup, "Cy", "Di"), false},
      {"TwoTextElementsIdentical", With(kFull, "</To>", "</To><Text>x</Text>"),
       With(kFull, "</To>", "</To><Text>x</Text>"), true},
      {"TwoTextElementsDiffer", With(kFull, "</To>", "</To><Text>x</Text>"),
       With(kFull, "</To>", "</To><Text>y</Text>"), false},
      {"LowerCaseNameIdentical", kLowerCase, With(kLowerCase, R"("1")", R"("2")"), true},
      {"LowerCaseOtherText", kLowerCase, With(kLowerCase, ">hi<", ">ho<"), false},
      {"LowerCaseAgainstMessage", kLowerCase, kFull, false},
      {"InvitationOtherChildren", kInvitation, With(kInvitation, "Files", "Voice"), true},
      {"InvitationStampDiffers", kInvitation, With(kInvitation, ".000Z", ".500Z"), false},
      {"InvitationAgainstResponse", kInvitation,
       With(With(kInvitation, "<Invitation ", "<InvitationResponse "), "</Invitation>",
            "</InvitationResponse>"),
       false},
      {"OtherKindIdentical", kJoin, With(kJoin, R"("1")", R"("3")"), true},
      {"OtherKindAttributesReordered", kJoin,
       With(With(kJoin, R"(FriendlyName="Cy" Id="7")", R"(Id="7" FriendlyName="Cy")"),
            R"(Date="2010/09/16" Time="12:00:00")", R"(Time="12:00:00" Date="2010/09/16")"),
       true},
      {"OtherKindNestedSessionIdCounts", With(kJoin, R"(Id="7")", R"(SessionID="7")"),
       With(kJoin, R"(Id="7")", R"(SessionID="8")"), false},
      {"OtherKindTextAgainstCdata", kJoin, With(kJoin, "joined", "<![CDATA[joined]]>"), false},
      {"OtherKindExtraWhiteSpace", kJoin, With(kJoin, "<User", " <User"), false},
      {"OtherKindExtraChild", kJoin, With(kJoin, "joined", "joined<X/>"), false},
      {"OtherKindMissingAttribute", kJoin, With(kJoin, R"( Id="7")", ""), false},
      {"UntimedIdentical", kUntimed, With(kUntimed, R"("1")", R"("2")"), true},
      {"UntimedDiffers", kUntimed, With(kUntimed, "no time", "no clock"), false},
      {"RegionalDateSameStamp", kRegional, With(kRegional, "SessionID=\"1\"", "SessionID=\"4\""),
       true},
      {"RegionalDateOtherStampSameText", kRegional, With(kRegional, "43.093Z", "44.093Z"), false},
  };
  for (const auto& row : rows) {
    const auto a = test::ParseLog(test::Log(row.a));
    const auto b = test::ParseLog(test::Log(row.b));
    const LogEntry entryA{a->document_element().first_child()};
    const LogEntry entryB{b->document_element().first_child()};
    EXPECT_EQ(IsSameEntry(entryA, entryB), row.same) << row.name;
    EXPECT_EQ(IsSameEntry(entryB, entryA), row.same) << row.name << " (reversed)";
    IdentityDigest digest;
    EXPECT_EQ(digest.Of(WithTime(entryA)) == digest.Of(WithTime(entryB)), row.same)
        << row.name << " (identities)";
  }
}

struct EarlierRow {
  const char* name;
  std::string a;
  std::string b;
  bool earlier;
  bool laterEarlier;  // IsEarlierEntry(b, a)
};

TEST(IsEarlierEntryTest, StrictOrderAndFalseWithoutTime) {
  test::ScopedTimeZone zone("UTC");
  const EarlierRow rows[] = {
      {"OneSecondApart", test::Message("a", "10:00:00", 1), test::Message("b", "10:00:01", 1), true,
       false},
      {"EqualTimes", test::Message("a", "10:00:00", 1), test::Message("b", "10:00:00", 2), false,
       false},
      {"WithoutTime", kUntimed, test::Message("b", "10:00:00", 1), false, false},
      {"RegionalDatesByStamp", kRegional, With(kRegional, "01:45:43", "01:45:44"), true, false},
      {"MonthFirstWithoutStamp", R"(<Message Date="1/23/2006" Time="1:00:00"/>)",
       test::Message("b", "10:00:00", 1), false, false},
  };
  for (const auto& row : rows) {
    const auto a = test::ParseLog(test::Log(row.a));
    const auto b = test::ParseLog(test::Log(row.b));
    const LogEntry entryA{a->document_element().first_child()};
    const LogEntry entryB{b->document_element().first_child()};
    EXPECT_EQ(IsEarlierEntry(entryA, entryB), row.earlier) << row.name;
    EXPECT_EQ(IsEarlierEntry(entryB, entryA), row.laterEarlier) << row.name << " (reversed)";
  }
}

TEST(IsSameEntryTest, ComparesTreesOfAnyDepthWithoutRecursion) {
  test::ScopedTimeZone zone("UTC");
  constexpr int kDepth = 100000;
  const auto a = test::ParseLog(test::Log(test::DeepEntry(kDepth, "x")));
  const auto b = test::ParseLog(test::Log(test::DeepEntry(kDepth, "x")));
  const auto c = test::ParseLog(test::Log(test::DeepEntry(kDepth, "y")));
  const LogEntry entryA{a->document_element().first_child()};
  EXPECT_TRUE(IsSameEntry(entryA, LogEntry{b->document_element().first_child()}));
  EXPECT_FALSE(IsSameEntry(entryA, LogEntry{c->document_element().first_child()}));
}

}  // namespace
}  // namespace palvarin

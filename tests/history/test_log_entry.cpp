#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "history/log_entry.hpp"
#include "history/readable_entry.hpp"
#include "support/reference_time.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

// An entry element made from its attribute text, e.g. R"(Date="2006/1/5" Time="9:05:00")".
class EntryFixture {
 public:
  explicit EntryFixture(const std::string& attributes) {
    const std::string text = "<Message " + attributes + "/>";
    EXPECT_TRUE(document_.load_string(text.c_str())) << text;
  }
  LogEntry Entry() const { return LogEntry{document_.first_child()}; }

 private:
  pugi::xml_document document_;
};

TEST(ParseEntryTime, ReadsYearFirstDatesAndRefusesIncompleteOnes) {
  test::ScopedTimeZone zone("Asia/Tokyo");
  const TimeValue reference = MakeTime(2006, 1, 23, 12, 34, 56);
  const struct {
    const char* name;
    const char* attributes;
    std::optional<TimeValue> expected;
  } cases[] = {
      {"full", R"(Date="2006/01/23" Time="12:34:56")", reference},
      {"no leading zeros", R"(Date="2006/1/23" Time="12:34:56")", reference},
      {"12-hour suffix ignored", R"(Date="2006/01/23" Time="12:34:56 PM")", reference},
      {"text after the second ignored", R"(Date="2006/01/23" Time="12:34:56.789")", reference},
      {"third separator ignored", R"(Date="2006/01/23/x" Time="12:34:56:00")", reference},
      {"month 13", R"(Date="2006/13/01" Time="00:00:00")", MakeTime(2007, 1, 1, 0, 0, 0)},
      {"day 0", R"(Date="2006/03/00" Time="00:00:00")", MakeTime(2006, 2, 28, 0, 0, 0)},
      {"short time", R"(Date="2006/1/5" Time="9:05:00")", MakeTime(2006, 1, 5, 9, 5, 0)},
      {"dotted date", R"(Date="23.01.2006" Time="12:34:56")", std::nullopt},
      {"one slash", R"(Date="2006/01" Time="12:34:56")", std::nullopt},
      {"one colon", R"(Date="2006/01/23" Time="12:34")", std::nullopt},
      {"no time", R"(Date="2006/01/23")", std::nullopt},
      {"neither", R"(DateTime="2006-01-23T03:34:56.000Z")", std::nullopt},
      {"empty date", R"(Date="" Time="12:34:56")", std::nullopt},
      {"bad date, no time", R"(Date="2006-01-23")", std::nullopt},
  };
  for (const auto& c : cases) {
    EntryFixture fixture(c.attributes);
    EXPECT_EQ(ParseEntryTime(fixture.Entry()), c.expected) << c.name;
  }
}

TEST(ParseEntryTime, RegionalDatesRaiseInvalidTime) {
  test::ScopedTimeZone zone("America/New_York");
  for (const char* attributes :
       {R"(Date="1/23/2006" Time="12:34:56")", R"(Date="16/9/2010" Time="22:45:43")",
        R"(Date="06/07/2007" Time="22:46:40")", R"(Date="99/1/1" Time="0:0:0")"}) {
    EntryFixture fixture(attributes);
    EXPECT_THROW(ParseEntryTime(fixture.Entry()), InvalidTimeError) << attributes;
  }
}

TEST(ReadSessionId, LeadingIntegerOrMinusOne) {
  const struct {
    const char* attributes;
    std::int32_t expected;
  } cases[] = {
      {R"(Date="x")", -1},    {R"(SessionID="abc")", 0},  {R"(SessionID=" 7")", 7},
      {R"(SessionID="")", 0}, {R"(SessionID="12x")", 12}, {R"(SessionID="-3")", -3},
  };
  for (const auto& c : cases) {
    EntryFixture fixture(c.attributes);
    EXPECT_EQ(ReadSessionId(fixture.Entry()), c.expected) << c.attributes;
  }
}

}  // namespace
TEST(ReadReadableEntry, GivesWhatTheEntryWritesAndNoneForWhatItLacks) {
  pugi::xml_document document;
  ASSERT_TRUE(document.load_string(
      R"(<Log><Message Date="30/9/2023" Time="2:15:37 PM" DateTime="2023-09-30T21:15:37.000Z"
           SessionID="7"><From><User FriendlyName="Ann &amp; co"/></From>
         <To><User FriendlyName="Bob"/><User FriendlyName="Cy"/></To>
         <Text Style="color:#000080">a &lt;b&gt;<![CDATA[ c]]>
d</Text></Message>
         <Invitation><From><User/><User FriendlyName="second"/></From></Invitation></Log>)"));
  const ReadableEntry message = ReadReadableEntry(LogEntry{document.child("Log").first_child()});
  EXPECT_EQ(message.kind, "Message");
  EXPECT_EQ(message.session, 7);
  EXPECT_EQ(message.date, "30/9/2023");
  EXPECT_EQ(message.clock, "2:15:37 PM");
  EXPECT_EQ(message.dateTime, "2023-09-30T21:15:37.000Z");
  EXPECT_EQ(message.from, "Ann & co");
  EXPECT_EQ(message.to, (std::vector<std::string_view>{"Bob", "Cy"}));
  EXPECT_EQ(message.text, "a <b> c\nd");
  EXPECT_EQ(message.style, "color:#000080");

  const ReadableEntry invitation = ReadReadableEntry(LogEntry{document.child("Log").last_child()});
  EXPECT_EQ(invitation.kind, "Invitation");
  EXPECT_EQ(invitation.session, -1);
  EXPECT_FALSE(invitation.date || invitation.clock || invitation.dateTime);
  EXPECT_EQ(invitation.from, "");  // the first sender named, even without a name
  EXPECT_TRUE(invitation.to.empty());
  EXPECT_FALSE(invitation.text || invitation.style);
}

}  // namespace palvarin

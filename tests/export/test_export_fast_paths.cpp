#include <gtest/gtest.h>

#include <random>
#include <string>

#include "inert_text.hpp"
#include "stamp_cache.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

// The page's text in one pass equals the inert text escaped byte by byte, on texts of every
// kind of byte: markup characters, controls, bidi controls, C1 controls, broken sequences.
TEST(AppendHtml, EqualsInertTextEscapedByteByByte) {
  const std::string pieces[] = {"a",
                                "&",
                                "<",
                                ">",
                                "\"",
                                "'",
                                "\r\n",
                                "\r",
                                "\n",
                                "\t",
                                "\x1b",
                                "\x7f",
                                "灯台",
                                "\xC2\x85",
                                "\xE2\x80\xAE",
                                "\xE2\x81\xA6",
                                "é",
                                "\xE3\x81",
                                "\xFF",
                                "\xF0\x9F\x98\x80",
                                "\xED\xA0\x80"};
  std::mt19937 random(2026);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i) text += pieces[random() % std::size(pieces)];
    for (const bool keepLineBreaks : {false, true}) {
      std::string expected;
      for (const char c : InertText(text, keepLineBreaks)) {
        switch (c) {
          case '&':
            expected += "&amp;";
            break;
          case '<':
            expected += "&lt;";
            break;
          case '>':
            expected += "&gt;";
            break;
          case '"':
            expected += "&quot;";
            break;
          case '\'':
            expected += "&#39;";
            break;
          default:
            expected += c;
        }
      }
      std::string html;
      AppendHtml(html, text, keepLineBreaks);
      ASSERT_EQ(html, expected) << text;
    }
  }
}

// The cached local stamps equal strftime's, hour by hour through years with changes of the
// clocks, in zones with summer time, half-hour and quarter-hour offsets, a half-hour change
// (Lord Howe) and an offset in seconds (Monrovia until 1972); and a missing or unrepresentable
// time is marked.
TEST(StampCache, GivesWhatStrftimeGives) {
  for (const char* zone : {"UTC", "Europe/Lisbon", "America/St_Johns", "Asia/Kathmandu",
                           "Australia/Lord_Howe", "Africa/Monrovia"}) {
    SCOPED_TRACE(zone);
    const test::ScopedTimeZone inZone(zone);
    StampCache cache;
    std::mt19937 random(7);
    // 1970 to 1973 and 2005 to 2008.
    for (const TimeValue from : {TimeValue{0}, TimeValue{1104537600}}) {
      for (TimeValue hour = from; hour < from + 3 * 31536000; hour += 3600) {
        const TimeValue value = hour + static_cast<TimeValue>(random() % 3600);
        std::string stamp;
        cache.Append(stamp, value);
        ASSERT_EQ(stamp, FormatTime(value, "%Y-%m-%d %H:%M:%S")) << value;
      }
    }
    for (const std::optional<TimeValue> none :
         {std::optional<TimeValue>(), std::optional<TimeValue>(-1),
          std::optional(kLatestTime + 1)}) {
      std::string stamp;
      cache.Append(stamp, none);
      EXPECT_EQ(stamp, "\?\?\?\?-\?\?-\?\? \?\?:\?\?:\?\?");
    }
  }
}

}  // namespace
}  // namespace palvarin

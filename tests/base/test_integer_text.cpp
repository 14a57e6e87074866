#include <gtest/gtest.h>

#include <climits>

#include "base/integer_text.hpp"

namespace palvarin {
namespace {

TEST(LeadingInteger, ReadsLikeTheCRuntime) {
  const struct {
    const char* text;
    std::int32_t expected;
  } cases[] = {
      {"23abc", 23},
      {"", 0},
      {" 7", 7},
      {"\t\n 12", 12},
      {"\v\f\r5", 5},
      {"-5", -5},
      {"+3", 3},
      {"abc", 0},
      {"- 4", 0},
      {"007", 7},
      {"99999999999", INT_MAX},
      {"-99999999999", INT_MIN},
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"12:34", 12},
      {"2006/01", 2006},
  };
  for (const auto& c : cases) EXPECT_EQ(LeadingInteger(c.text), c.expected) << '"' << c.text << '"';
}

}  // namespace
}  // namespace palvarin

#include "base/integer_text.hpp"

#include <climits>

namespace palvarin {
namespace {

// The C locale's white space, which the program never leaves: asked inline, as every entry's
// date, time and session are read through here.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::int32_t LeadingInteger(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && IsSpace(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  std::int64_t magnitude = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    magnitude = magnitude * 10 + (text[at] - '0');
    if (magnitude > std::int64_t{INT_MAX} + 1) magnitude = std::int64_t{INT_MAX} + 1;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > INT_MAX) return INT_MAX;
  return static_cast<std::int32_t>(value);
}

}  // namespace palvarin

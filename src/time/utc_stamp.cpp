#include "time/utc_stamp.hpp"

#include <chrono>

namespace palvarin {
namespace {

// Reads exactly `digits` decimal digits at `at`, moving past them; none otherwise.
std::optional<int> ReadDigits(std::string_view text, std::size_t& at, std::size_t digits) {
  if (text.size() - at < digits) return std::nullopt;
  int value = 0;
  for (std::size_t end = at + digits; at < end; ++at) {
    if (text[at] < '0' || text[at] > '9') return std::nullopt;
    value = value * 10 + (text[at] - '0');
  }
  return value;
}

// Reads a number of `digits` digits followed by `separator`.
std::optional<int> ReadField(std::string_view text, std::size_t& at, std::size_t digits,
                             char separator) {
  auto value = ReadDigits(text, at, digits);
  if (!value || at >= text.size() || text[at] != separator) return std::nullopt;
  ++at;
  return value;
}

// The optional fraction of a second and the closing "Z", to the end of the text.
bool ReadFractionAndZone(std::string_view text, std::size_t at) {
  if (at < text.size() && text[at] == '.') {
    const std::size_t start = ++at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    if (at == start) return false;
  }
  return at + 1 == text.size() && text[at] == 'Z';
}

}  // namespace

std::optional<TimeValue> ParseUtcStamp(std::string_view text) {
  using namespace std::chrono;
  std::size_t at = 0;
  const auto y = ReadField(text, at, 4, '-');
  const auto m = y ? ReadField(text, at, 2, '-') : std::nullopt;
  const auto d = m ? ReadField(text, at, 2, 'T') : std::nullopt;
  const auto hh = d ? ReadField(text, at, 2, ':') : std::nullopt;
  const auto mm = hh ? ReadField(text, at, 2, ':') : std::nullopt;
  const auto ss = mm ? ReadDigits(text, at, 2) : std::nullopt;
  if (!ss || !ReadFractionAndZone(text, at)) return std::nullopt;
  const year_month_day date{year{*y}, month{static_cast<unsigned>(*m)},
                            day{static_cast<unsigned>(*d)}};
  if (!date.ok() || *hh > 23 || *mm > 59 || *ss > 59) return std::nullopt;
  const TimeValue value =
      sys_seconds{sys_days{date}}.time_since_epoch().count() + *hh * 3600 + *mm * 60 + *ss;
  if (value < kEarliestTime || value > kLatestTime) return std::nullopt;
  return value;
}

}  // namespace palvarin

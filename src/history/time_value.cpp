#include "history/time_value.hpp"

#include <cctype>
#include <chrono>
#include <climits>
#include <ctime>

namespace palvarin {

static_assert(kLatestTime ==
              std::chrono::sys_seconds{std::chrono::sys_days{std::chrono::year{3001} / 1 / 1}}
                      .time_since_epoch()
                      .count() -
                  1);

namespace {

bool InRange(std::int64_t value) { return value >= kEarliestTime && value <= kLatestTime; }

int ToTmField(std::int64_t value) {
  if (value < INT_MIN || value > INT_MAX) throw InvalidTimeError();
  return static_cast<int>(value);
}

}  // namespace

TimeValue MakeTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm fields{};
  fields.tm_year = ToTmField(std::int64_t{year} - 1900);
  fields.tm_mon = ToTmField(std::int64_t{month} - 1);
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  fields.tm_isdst = -1;  // let the zone's rules decide
  const std::time_t value = std::mktime(&fields);
  // mktime's error value -1 lies outside the range, so it needs no test of its own.
  if (!InRange(value)) throw InvalidTimeError();
  return value;
}

TimeValue TimeFromCalendar(const CalendarRecord& record) {
  if (record.year < 1900) return 0;
  return MakeTime(record.year, record.month, record.day, record.hour, record.minute,
                  record.second);
}

std::string FormatTime(TimeValue value, const char* pattern) {
  if (pattern == nullptr || !InRange(value)) return {};
  const std::time_t time = value;
  std::tm fields{};
  if (localtime_r(&time, &fields) == nullptr) return {};
  char buffer[128];
  const std::size_t length = std::strftime(buffer, sizeof buffer, pattern, &fields);
  return std::string(buffer, length);
}

std::int32_t LeadingInteger(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
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

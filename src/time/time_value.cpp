#include "time/time_value.hpp"

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

// More than any zone's offset: fields this far outside the range as UTC are outside it anywhere.
constexpr std::int64_t kZoneSlack = 2 * 86400;

bool InRange(std::int64_t value) { return value >= kEarliestTime && value <= kLatestTime; }

std::int64_t FloorDivide(std::int64_t value, std::int64_t divisor) {
  return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

// Days from 1970-01-01 to the first of `month` (1..12) of `year`, for any 64-bit year.
std::int64_t DaysToMonth(std::int64_t year, std::int64_t month) {
  year -= month <= 2;
  const std::int64_t era = FloorDivide(year, 400);
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5;
  return era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear - 719468;
}

// The fields read as UTC, carried over as mktime carries them, in 64 bits so that nothing
// overflows.
std::int64_t SecondsAsUtc(const LocalFields& f) {
  const std::int64_t months = std::int64_t{f.year} * 12 + f.month - 1;
  const std::int64_t year = FloorDivide(months, 12);
  const std::int64_t days = DaysToMonth(year, months - year * 12 + 1) + f.day - 1;
  return days * 86400 + std::int64_t{f.hour} * 3600 + std::int64_t{f.minute} * 60 + f.second;
}

// mktime resolves a local time that occurs twice from a guess its previous call left behind,
// so the same fields could give either moment. Converting noon of the day before first makes
// that guess the offset in force before the change: the earlier moment, every time.
void SettleGuess(std::int64_t secondsAsUtc) {
  using namespace std::chrono;
  const year_month_day dayBefore{sys_days{days{FloorDivide(secondsAsUtc, 86400) - 1}}};
  std::tm noon{};
  noon.tm_year = static_cast<int>(dayBefore.year()) - 1900;
  noon.tm_mon = static_cast<int>(unsigned(dayBefore.month())) - 1;
  noon.tm_mday = static_cast<int>(unsigned(dayBefore.day()));
  noon.tm_hour = 12;
  noon.tm_isdst = -1;
  std::mktime(&noon);
}

}  // namespace

std::optional<TimeValue> TryMakeTime(const LocalFields& f) {
  // Month-first dates read as years long before 1970: no need to ask the time library.
  const std::int64_t asUtc = SecondsAsUtc(f);
  if (asUtc < kEarliestTime - kZoneSlack || asUtc > kLatestTime + kZoneSlack) return std::nullopt;
  if (f.month == INT_MIN) return std::nullopt;  // months from 0 would not fit; the year does
  SettleGuess(asUtc);
  std::tm fields{};
  fields.tm_year = f.year - 1900;
  fields.tm_mon = f.month - 1;
  fields.tm_mday = f.day;
  fields.tm_hour = f.hour;
  fields.tm_min = f.minute;
  fields.tm_sec = f.second;
  fields.tm_isdst = -1;  // let the zone's rules decide
  const std::time_t value = std::mktime(&fields);
  // mktime's error value -1 lies outside the range, so it needs no test of its own.
  if (!InRange(value)) return std::nullopt;
  return value;
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

}  // namespace palvarin

#include "stamp_cache.hpp"

#include <cstdio>
#include <string_view>

namespace palvarin {
namespace {

constexpr std::string_view kNoTime = "\?\?\?\?-\?\?-\?\? \?\?:\?\?:\?\?";
constexpr const char* kStampPattern = "%Y-%m-%d %H:%M:%S";

// Days since 1970-01-01 of a proleptic Gregorian date, and back (Howard Hinnant's algorithms).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void AppendDigits(std::string& out, std::int64_t value, int digits) {
  char buffer[8];
  for (int at = digits - 1; at >= 0; --at, value /= 10)
    buffer[at] = static_cast<char>('0' + value % 10);
  out.append(buffer, static_cast<std::size_t>(digits));
}

// "YYYY-MM-DD HH:MM:SS" of seconds counted on the local calendar since 1970-01-01 00:00:00
// (years up to 9999).
void AppendCivilStamp(std::string& out, std::int64_t local) {
  const std::int64_t days = local / 86400;
  const std::int64_t second = local % 86400;
  const std::int64_t z = days + 719468;
  const std::int64_t era = z / 146097;
  const std::int64_t dayOfEra = z - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
  const std::int64_t day = dayOfYear - (153 * shifted + 2) / 5 + 1;
  const std::int64_t month = shifted < 10 ? shifted + 3 : shifted - 9;
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  AppendDigits(out, year, 4);
  out += '-';
  AppendDigits(out, month, 2);
  out += '-';
  AppendDigits(out, day, 2);
  out += ' ';
  AppendDigits(out, second / 3600, 2);
  out += ':';
  AppendDigits(out, second / 60 % 60, 2);
  out += ':';
  AppendDigits(out, second % 60, 2);
}

std::string CivilStamp(std::int64_t local) {
  std::string stamp;
  AppendCivilStamp(stamp, local);
  return stamp;
}

}  // namespace

void StampCache::Append(std::string& out, const std::optional<TimeValue>& time) {
  if (time && *time >= 0) {
    Hour& hour = hours_[static_cast<std::size_t>(*time / 3600) % hours_.size()];
    if (!hour.known || hour.index != *time / 3600) hour = Learn(*time / 3600);
    if (hour.whole) return AppendCivilStamp(out, hour.localStart + *time % 3600);
  }
  const std::string stamp = time ? FormatTime(*time, kStampPattern) : std::string();
  out += stamp.empty() ? kNoTime : std::string_view(stamp);
}

StampCache::Hour StampCache::Learn(std::int64_t index) {
  Hour hour{.index = index, .known = true};
  const TimeValue start = index * 3600;
  const std::string first = FormatTime(start, kStampPattern);
  int year = 0, month = 0, day = 0, hours = 0, minutes = 0, seconds = 0;
  if (first.size() != 19 || std::sscanf(first.c_str(), "%d-%d-%d %d:%d:%d", &year, &month, &day,
                                        &hours, &minutes, &seconds) != 6) {
    return hour;
  }
  hour.localStart = DaysFromCivil(year, month, day) * 86400 + hours * 3600 + minutes * 60 + seconds;
  hour.whole = hour.localStart >= 0 && CivilStamp(hour.localStart) == first &&
               CivilStamp(hour.localStart + 3599) == FormatTime(start + 3599, kStampPattern);
  return hour;
}

}  // namespace palvarin

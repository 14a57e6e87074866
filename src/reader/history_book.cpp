#include "reader/history_book.hpp"

#include <algorithm>
#include <ctime>

#include "history/log_entry.hpp"
#include "history/xml_error.hpp"
#include "merge/entry_times.hpp"
#include "time/time_value.hpp"

namespace palvarin {
namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int32_t DaysFromCivil(int year, int month, int day) {
  year -= month <= 2;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int yearOfEra = year - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

std::int32_t LocalDay(TimeValue moment) {
  const auto seconds = static_cast<std::time_t>(moment);
  std::tm fields{};
  if (::localtime_r(&seconds, &fields) == nullptr) return std::numeric_limits<std::int32_t>::min();
  return DaysFromCivil(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday);
}

}  // namespace

HistoryBook::HistoryBook(LogDocument document) : document_(std::move(document)) {
  std::int32_t session = -1;
  for (pugi::xml_node node = document_.Root().first_child(); node; node = node.next_sibling()) {
    if (node.type() != pugi::node_element) continue;
    const EntryStamps stamps = ReadEntryStamps(LogEntry{node});
    const std::int32_t entrySession = SessionIdOf(stamps.session);
    if (conversations_.empty() || entrySession != session) {
      conversations_.push_back({.first = EntryCount(),
                                .count = 0,
                                .date = stamps.date.value(),
                                .clock = stamps.time.value()});
      session = entrySession;
    }
    ++conversations_.back().count;
    entries_.push_back(node);
  }
  LocalTimeCache hours;
  const std::vector<std::optional<TimeValue>> times = ReadEntryTimes(entries_, hours);
  moments_.reserve(times.size());
  days_.reserve(times.size());
  for (const std::optional<TimeValue>& time : times) {
    moments_.push_back(time.value_or(0));
    days_.push_back(time ? LocalDay(*time) : kNoDay);
  }
}

std::string HistoryBook::Stamp(int index) const {
  const TimeValue moment = moments_.at(static_cast<std::size_t>(index));
  if (moment != 0) return FormatTime(moment, "%Y-%m-%d %H:%M:%S");
  const ReadableEntry entry = Entry(index);
  std::string written(entry.date.value_or(""));
  if (entry.clock) (written += written.empty() ? "" : " ") += *entry.clock;
  return written;
}

std::string HistoryBook::Clock(int index) const {
  const TimeValue moment = moments_.at(static_cast<std::size_t>(index));
  if (moment != 0) return FormatTime(moment, "%H:%M:%S");
  return std::string(Entry(index).clock.value_or(""));
}

std::optional<std::int32_t> HistoryBook::Day(int index) const {
  const std::int32_t day = days_.at(static_cast<std::size_t>(index));
  if (day == kNoDay) return std::nullopt;
  return day;
}

ReadableEntry HistoryBook::Entry(int index) const {
  return ReadReadableEntry(LogEntry{entries_.at(static_cast<std::size_t>(index))});
}

int HistoryBook::ConversationOf(int index) const {
  const auto after = std::upper_bound(
      conversations_.begin(), conversations_.end(), index,
      [](int at, const Conversation& conversation) { return at < conversation.first; });
  return static_cast<int>(after - conversations_.begin()) - 1;
}

int HistoryBook::FindMessage(int from, std::string_view sender, std::string_view text) const {
  for (int at = std::max(from, 0); at < EntryCount(); ++at) {
    const ReadableEntry entry = Entry(at);
    if (entry.text && *entry.text == text && entry.from.value_or("") == sender) return at;
  }
  return -1;
}

Result<HistoryBook> OpenHistoryBook(const std::filesystem::path& path) {
  try {
    Result<LogDocument> document = LoadLogDocument(path);
    if (!document) return Failure{document.reason()};
    return HistoryBook(std::move(*document));
  } catch (const XmlError& error) {
    return Failure{error.Why()};
  }
}

}  // namespace palvarin

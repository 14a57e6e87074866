#include "reader/history_book.hpp"

#include <algorithm>
#include <ctime>
#include <optional>

#include "history/entry_times.hpp"
#include "history/log_entry.hpp"
#include "history/xml_error.hpp"
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

std::optional<std::tm> LocalFields(TimeValue moment) {
  const auto seconds = static_cast<std::time_t>(moment);
  std::tm fields{};
  if (::localtime_r(&seconds, &fields) == nullptr) return std::nullopt;
  return fields;
}

// The local day of moments, the zone's offset learned once per hour of them: asking the C
// library for every entry of a large history costs much of its opening (each call reads the
// zone again). An hour whose two ends have different offsets is asked moment by moment.
class LocalDays {
 public:
  std::int32_t Of(TimeValue moment) {
    const std::int64_t hour = moment >= 0 ? moment / 3600 : (moment - 3599) / 3600;
    if (hour != hour_) Learn(hour);
    if (whole_) {
      const std::int64_t local = moment + offset_;
      return static_cast<std::int32_t>(local >= 0 ? local / 86400 : (local - 86399) / 86400);
    }
    const std::optional<std::tm> fields = LocalFields(moment);
    if (!fields) return std::numeric_limits<std::int32_t>::min();
    return DaysFromCivil(fields->tm_year + 1900, fields->tm_mon + 1, fields->tm_mday);
  }

 private:
  void Learn(std::int64_t hour) {
    hour_ = hour;
    const std::optional<std::tm> start = LocalFields(hour * 3600);
    const std::optional<std::tm> end = LocalFields(hour * 3600 + 3599);
    whole_ = start && end && start->tm_gmtoff == end->tm_gmtoff;
    offset_ = whole_ ? start->tm_gmtoff : 0;
  }

  std::int64_t hour_ = std::numeric_limits<std::int64_t>::min();
  // The offset of the hour learned, when one holds all of it (a plain pair: an optional here
  // is taken for uninitialised by the optimiser's warnings).
  std::int64_t offset_ = 0;
  bool whole_ = false;
};

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
  LocalDays local;
  for (const std::optional<TimeValue>& time : times) {
    moments_.push_back(time.value_or(0));
    days_.push_back(time ? local.Of(*time) : kNoDay);
  }
}

std::string HistoryBook::Stamp(int index) const {
  const TimeValue moment = moments_.at(static_cast<std::size_t>(index));
  return EntryStamp(moment != 0 ? std::optional(moment) : std::nullopt,
                    entries_[static_cast<std::size_t>(index)]);
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

int HistoryBook::NearestConversation(std::int32_t day) const {
  int nearest = -1;
  std::int64_t nearestDistance = 0;
  for (std::size_t at = 0; at < conversations_.size(); ++at) {
    const Conversation& conversation = conversations_[at];
    // The days it runs over, however its clock went.
    std::int32_t earliest = std::numeric_limits<std::int32_t>::max(), latest = kNoDay;
    for (int entry = conversation.first; entry < conversation.first + conversation.count; ++entry) {
      const std::int32_t entryDay = days_[static_cast<std::size_t>(entry)];
      if (entryDay == kNoDay) continue;
      earliest = std::min(earliest, entryDay);
      latest = std::max(latest, entryDay);
    }
    if (latest == kNoDay) continue;
    const std::int64_t distance = day < earliest ? std::int64_t{earliest} - day
                                  : day > latest ? std::int64_t{day} - latest
                                                 : 0;
    if (nearest < 0 || distance < nearestDistance) {
      nearest = static_cast<int>(at);
      nearestDistance = distance;
    }
  }
  return nearest;
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
    Result<LogDocument> document = LoadLogDocument(path, BrokenOff::Rescue);
    if (!document) return Failure{document.reason()};
    return HistoryBook(std::move(*document));
  } catch (const XmlError& error) {
    return Failure{error.Why()};
  }
}

}  // namespace palvarin

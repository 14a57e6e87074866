#include "history/log_entry.hpp"

#include <string_view>

#include "history/log_document.hpp"

namespace palvarin {
namespace {

// Positions just past the first and the second `separator`; none without both.
std::optional<std::pair<std::size_t, std::size_t>> TwoSeparators(std::string_view text,
                                                                 char separator) {
  const std::size_t first = text.find(separator);
  if (first == std::string_view::npos) return std::nullopt;
  const std::size_t second = text.find(separator, first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  return std::pair{first + 1, second + 1};
}

}  // namespace

std::optional<LocalFields> ReadEntryFields(LogEntry entry) {
  pugi::xml_attribute dateAttribute = FindAttribute(entry.node, "Date");
  if (!dateAttribute) return std::nullopt;
  const std::string_view date = dateAttribute.value();
  const auto dateParts = TwoSeparators(date, '/');
  if (!dateParts) return std::nullopt;

  pugi::xml_attribute timeAttribute = FindAttribute(entry.node, "Time");
  if (!timeAttribute) return std::nullopt;
  const std::string_view time = timeAttribute.value();
  const auto timeParts = TwoSeparators(time, ':');
  if (!timeParts) return std::nullopt;

  return LocalFields{LeadingInteger(date),
                     LeadingInteger(date.substr(dateParts->first)),
                     LeadingInteger(date.substr(dateParts->second)),
                     LeadingInteger(time),
                     LeadingInteger(time.substr(timeParts->first)),
                     LeadingInteger(time.substr(timeParts->second))};
}

std::optional<TimeValue> ParseEntryTime(LogEntry entry) {
  const auto fields = ReadEntryFields(entry);
  if (!fields) return std::nullopt;
  return MakeTime(fields->year, fields->month, fields->day, fields->hour, fields->minute,
                  fields->second);
}

std::int32_t ReadSessionId(LogEntry entry) {
  pugi::xml_attribute session = FindAttribute(entry.node, "SessionID");
  return session ? LeadingInteger(session.value()) : -1;
}

}  // namespace palvarin

#include "history/log_entry.hpp"

#include <cstring>
#include <string_view>

#include "base/integer_text.hpp"
#include "history/log_document.hpp"
#include "history/xml_inline.hpp"

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

// Where an attribute of this name belongs among the stamps; null when it is none of them.
pugi::xml_attribute* StampSlot(EntryStamps& stamps, const char* name) {
  switch (name[0]) {
    case 'D':
      if (NameIs(name + 1, "ate")) return &stamps.date;
      return NameIs(name + 1, "ateTime") ? &stamps.dateTime : nullptr;
    case 'T':
      return NameIs(name + 1, "ime") ? &stamps.time : nullptr;
    case 'S':
      return NameIs(name + 1, "essionID") ? &stamps.session : nullptr;
    default:
      return nullptr;
  }
}

}  // namespace

std::optional<LocalFields> ReadEntryFields(pugi::xml_attribute dateAttribute,
                                           pugi::xml_attribute timeAttribute) {
  if (!dateAttribute) return std::nullopt;
  const std::string_view date = dateAttribute.value();
  const auto dateParts = TwoSeparators(date, '/');
  if (!dateParts) return std::nullopt;

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

std::optional<LocalFields> ReadEntryFields(LogEntry entry) {
  return ReadEntryFields(FindAttribute(entry.node, "Date"), FindAttribute(entry.node, "Time"));
}

std::int32_t SessionIdOf(pugi::xml_attribute session) {
  return session ? LeadingInteger(session.value()) : -1;
}

std::int32_t ReadSessionId(LogEntry entry) {
  return SessionIdOf(FindAttribute(entry.node, "SessionID"));
}

EntryStamps ReadEntryStamps(LogEntry entry) {
  EntryStamps stamps{NoAttribute(), NoAttribute(), NoAttribute(), NoAttribute()};
  for (pugi::xml_attribute at = entry.node.first_attribute(); Exists(at);
       at = at.next_attribute()) {
    pugi::xml_attribute* slot = StampSlot(stamps, at.name());
    if (slot && !Exists(*slot)) *slot = at;
  }
  return stamps;
}

}  // namespace palvarin

#include "history/entry_times.hpp"

#include "history/entry_time.hpp"
#include "history/readable_entry.hpp"
#include "history/regional_time.hpp"

namespace palvarin {

std::vector<std::optional<TimeValue>> ReadEntryTimes(const NodeList& nodes, LocalTimeCache& hours) {
  std::vector<std::optional<TimeValue>> times(nodes.size());
  std::vector<std::size_t> untimed;
  std::vector<RegionalStamp> stamps;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].type() != pugi::node_element) continue;
    const EntryStamps read = ReadEntryStamps(LogEntry{nodes[i]});
    times[i] = EntryTime(read, hours);
    if (!times[i] && read.date && read.time) {
      untimed.push_back(i);
      stamps.push_back({read.date.value(), read.time.value()});
    }
  }
  if (untimed.empty()) return times;
  const auto regional = ReadRegionalTimes(stamps, hours);
  for (std::size_t k = 0; k < untimed.size(); ++k) times[untimed[k]] = regional[k];
  return times;
}

std::string EntryStamp(const std::optional<TimeValue>& moment, pugi::xml_node entry) {
  if (moment) {
    if (std::string stamp = FormatTime(*moment, "%Y-%m-%d %H:%M:%S"); !stamp.empty()) return stamp;
  }
  const ReadableEntry read = ReadReadableEntry(LogEntry{entry});
  std::string written(read.date.value_or(""));
  if (read.clock) (written += written.empty() ? "" : " ") += *read.clock;
  return written;
}

}  // namespace palvarin

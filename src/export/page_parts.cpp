#include "page_parts.hpp"

#include <cstdio>
#include <map>

#include "history/log_entry.hpp"

namespace palvarin {
namespace {

// The local year and month a session began in: its first entry with a readable time.
std::optional<std::pair<int, int>> BeganIn(const SessionRun& run,
                                           const std::vector<std::optional<TimeValue>>& times) {
  for (std::size_t at = run.begin; at < run.end && at < times.size(); ++at) {
    if (!times[at]) continue;
    const std::string month = FormatTime(*times[at], "%Y %m");
    int year = 0, number = 0;
    if (std::sscanf(month.c_str(), "%d %d", &year, &number) == 2) return std::pair{year, number};
  }
  return std::nullopt;
}

}  // namespace

std::vector<SessionRun> ReadSessionRuns(const NodeList& nodes) {
  std::vector<SessionRun> runs;
  std::int32_t session = 0;
  for (std::size_t at = 0; at < nodes.size(); ++at) {
    if (nodes[at].type() != pugi::node_element) continue;
    const std::int32_t entrySession = ReadSessionId(LogEntry{nodes[at]});
    if (runs.empty() || entrySession != session) runs.push_back({.begin = at});
    session = entrySession;
    runs.back().end = at + 1;
    ++runs.back().entries;
  }
  return runs;
}

std::vector<PagePart> PlanPageParts(const std::vector<SessionRun>& runs,
                                    const std::vector<std::optional<TimeValue>>& times, int limit) {
  int total = 0;
  for (const SessionRun& run : runs) total += run.entries;
  std::vector<std::pair<int, int>> began(runs.size(), {0, 0});
  std::optional<std::pair<int, int>> last;
  std::size_t untimed = 0;  // the sessions before the first with a time
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (const auto when = BeganIn(runs[i], times)) last = when;
    if (last) {
      began[i] = *last;
    } else {
      ++untimed;
    }
  }
  if (total <= limit || !last) return {{.period = {}, .runs = runs, .entries = total}};
  for (std::size_t i = 0; i < untimed; ++i) began[i] = began[untimed];

  std::map<int, int> perYear;
  for (std::size_t i = 0; i < runs.size(); ++i) perYear[began[i].first] += runs[i].entries;
  std::map<std::pair<int, int>, PagePart> parts;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const auto [year, month] = began[i];
    const bool byMonth = perYear[year] > limit;
    PagePart& part = parts[{year, byMonth ? month : 0}];
    if (part.period.empty()) {
      char period[16];
      std::snprintf(period, sizeof period, byMonth ? "%04d-%02d" : "%04d", year, month);
      part.period = period;
    }
    part.runs.push_back(runs[i]);
    part.entries += runs[i].entries;
  }
  std::vector<PagePart> ordered;
  for (auto& [period, part] : parts) ordered.push_back(std::move(part));
  return ordered;
}

}  // namespace palvarin

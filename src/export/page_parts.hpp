#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "history/log_document.hpp"
#include "time/time_value.hpp"

namespace palvarin {

// A session as the export writes it: the run of consecutive entries with one "SessionID",
// as positions in the root's children (`end` past its last), and how many entries it holds.
struct SessionRun {
  std::size_t begin = 0, end = 0;
  int entries = 0;
};

// One page of a contact's export: the sessions it holds, in the history's order, and the
// period they began in ("2007", or "2007-03" for a month of a very large year; empty for a
// contact whose export is one page).
struct PagePart {
  std::string period;
  std::vector<SessionRun> runs;
  int entries = 0;
};

// More entries than this and a contact's page is split: a browser lays out a page of this
// size in about a second, and a history of many years in one page took minutes.
inline constexpr int kEntriesPerPage = 5000;

// The sessions of `nodes` (element children only), in order.
std::vector<SessionRun> ReadSessionRuns(const NodeList& nodes);

// The pages of a contact's export: one while it holds at most `limit` entries; else one per
// local year its sessions began in, a year of more than `limit` entries one per month, in
// the order of their periods. A session stays whole on the page of the period it began in
// (one across New Year stays in the old year); one without a readable time goes with the
// session before it, or the first that has one. Without any time the export is one page.
std::vector<PagePart> PlanPageParts(const std::vector<SessionRun>& runs,
                                    const std::vector<std::optional<TimeValue>>& times,
                                    int limit = kEntriesPerPage);

}  // namespace palvarin

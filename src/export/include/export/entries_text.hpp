#pragma once

#include <string>
#include <vector>

#include "history/log_document.hpp"

namespace palvarin {

// The entries at `chosen` (indices into `entries`, the elements of one history in its order)
// in the text export's line form, one after another; their times are read as the whole of
// `entries` gives them (one order of the regional fields for the history).
std::string EntriesAsText(const NodeList& entries, const std::vector<int>& chosen);

}  // namespace palvarin

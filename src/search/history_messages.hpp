#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/result.hpp"
#include "index_terms.hpp"
#include "search/run_search.hpp"

namespace palvarin {

// Reads the history `file` for a search: appends to `hits`, in history order, every entry
// whose text holds every one of `words` (QueryWords), its `file` left for the caller, and adds
// every entry's folded text to `index` when one is given. Of a history that breaks off, only the
// entries whole before the break are read, and `damage` says where it breaks (else it is left
// alone). Fails, naming the file, when it is no history that can be read (see LoadLogDocument).
Result<> SearchHistoryFile(const std::filesystem::path& file, const std::vector<std::string>& words,
                           std::vector<SearchHit>& hits, IndexText* index, Reason& damage);

}  // namespace palvarin

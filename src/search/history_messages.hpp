#pragma once

#include <filesystem>
#include <vector>

#include "base/result.hpp"
#include "search_index.hpp"

namespace palvarin {

// Every entry of the history `file` that has a text, in history order, its text case-folded;
// fails, naming the file, when it is no history that can be read (see LoadLogDocument).
Result<> ReadHistoryMessages(const std::filesystem::path& file,
                             std::vector<IndexedMessage>& messages);

}  // namespace palvarin

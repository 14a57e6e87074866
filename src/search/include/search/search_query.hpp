#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace palvarin {

// The words of a query, split at spaces (the ASCII space, the tab and the ideographic space
// U+3000 a Japanese keyboard types), each case-folded (FoldCase); none when it holds no word.
std::vector<std::string> QueryWords(std::string_view query);

// Whether the case-folded `text` holds every one of `words` (QueryWords) as a substring.
bool HoldsEveryWord(std::string_view foldedText, const std::vector<std::string>& words);

}  // namespace palvarin

#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

#include "base/result.hpp"
#include "history/history_owner.hpp"
#include "time/local_time_cache.hpp"
#include "time/time_value.hpp"

namespace palvarin {

// What the first bytes of a file say of it.
enum class HeadVerdict {
  NotHistory,  // another root element, no markup, or a document type declaration
  LogRoot,     // the first element is "Log"
  Undecided,   // the bytes end before the first element, or are not UTF-8 text
};

// Reads `head`, the first bytes of a file (all of it when `wholeFile`), as far as the first
// element: only white space, a byte order mark, processing instructions and comments may
// come before it. Cheap, for the many files of a disk that are no history.
HeadVerdict ReadHead(std::string_view head, bool wholeFile);

// What a history holds, for a listing of folders.
struct HistoryFacts {
  std::size_t entries = 0;  // element children of the root
  // The earliest and latest entry time as the merge reads it; none when no entry has one.
  std::optional<TimeValue> first, last;
  // Where a history that breaks off was cut (its whole entries are the facts); kind None else.
  Reason damage{};
};

// Loads the file `path` as a history (LoadLogDocument, rescuing one that breaks off), gathers
// its facts and adds it to `owner`; fails as the load does. Raises XmlError when memory runs
// out.
Result<HistoryFacts> ReadHistoryFacts(const std::filesystem::path& path, LocalTimeCache& hours,
                                      HistoryOwner& owner);

}  // namespace palvarin

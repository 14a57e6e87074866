#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/result.hpp"

namespace palvarin {

// One message that holds every word of a query.
struct SearchHit {
  std::string file;    // the history's file name
  std::string time;    // EntryStamp: the reader's one clock
  std::string sender;  // empty when the entry names none
  std::string text;    // as the history holds it, line breaks and all
};

// What a search found, and what kept it from reading all it was asked to.
struct SearchReport {
  // Every message that holds every word: by file in name order, then in history order.
  std::vector<SearchHit> hits;
  // Fails when nothing was searched: the path is neither a folder that can be listed nor a
  // file, or no index could be made of it.
  Result<> searched;
  // One failure per history that could not be searched, naming it; the others were.
  std::vector<Result<>> unread;
  // The histories that break off, of which only the entries whole before the break were
  // searched (ReasonKind::BrokenOff...). They are never indexed: each search reads them again.
  std::vector<Reason> rescued;
  // Why the index in the cache could not be used, and the histories were read into one in
  // memory instead; ReasonKind::None when it was used.
  Reason indexUnusable;
  // SearchIndexDamaged when the index in the cache was found damaged and made anew before it
  // answered; ReasonKind::None otherwise.
  Reason indexRebuilt;
};

// Where the search keeps its index: "palvarin/search-index.sqlite3" in $XDG_CACHE_HOME
// (~/.cache when it is not set or not absolute).
std::filesystem::path SearchIndexFile();

// Searches the history `path`, or every history ("*.xml") in the folder `path`, for the
// messages whose text holds every one of `words` (QueryWords), case-folded, as substrings. The
// index in `indexFile` is brought up to date first: a history it lacks, or holds as of another
// state of the file, is read again. An index that is damaged or of another version is made
// anew; one that cannot be used at all (a link, a folder others may enter) is replaced by one in
// memory for this search.
SearchReport RunSearch(const std::string& path, const std::vector<std::string>& words,
                       const std::filesystem::path& indexFile = SearchIndexFile());

}  // namespace palvarin

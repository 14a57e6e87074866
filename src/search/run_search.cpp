#include "search/run_search.hpp"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>

#include "files/user_folders.hpp"
#include "history_listing.hpp"
#include "index_terms.hpp"
#include "read_ahead.hpp"
#include "search_index.hpp"

namespace palvarin {
namespace {

// Keeps in `index` what this search saw of a folder (the names, stamps and numbers of its
// histories) for the next search of it.
Result<> KeepFolder(SearchIndex& index, HistoryListing& listing,
                    const std::vector<std::optional<std::int64_t>>& held) {
  if (!listing.State() || !listing.Listed()) return {};
  return index.KeepFolder(listing.FolderKey(), *listing.State(), listing.ListedAt(),
                          listing.Histories(), held);
}

// Brings `index` up to date with the listed histories and answers from it, or gives the
// index's failure.
// A history the index lacks, or holds as of another state of its file, is read and indexed;
// of the others, those the index finds are candidates read again, every message checked.
Result<> Answer(SearchIndex& index, HistoryListing& listing, const std::vector<std::string>& words,
                SearchReport& report) {
  // In one read transaction: one lock taken for them all, not one per history, and the
  // candidates found in the same state of the index as the histories it holds. A folder that
  // has not changed since its last search is not listed again: its names are those kept.
  if (Result<> begun = index.BeginReading(listing.FolderKey(), listing.IsFolder()); !begun) {
    return begun;
  }
  if (listing.State()) listing.Name(index.KnownNames(*listing.State()));
  const std::vector<HistoryToSearch>& histories = listing.Histories();
  std::vector<std::optional<std::int64_t>> held(histories.size());
  std::vector<std::int64_t> heldIds;
  for (std::size_t at = 0; at < histories.size(); ++at) {
    const auto& stamp = histories[at].stamp;
    if (!stamp) continue;
    held[at] = index.FreshHistory(histories[at].name, *stamp);
    if (held[at]) heldIds.push_back(*held[at]);
  }
  Result<std::vector<std::int64_t>> candidates = index.Candidates(MakeIndexQuery(words), heldIds);
  if (!candidates) return Failure{candidates.reason()};
  std::sort(candidates->begin(), candidates->end());
  if (Result<> ended = index.EndReading(); !ended) return ended;

  std::vector<ReadAhead::Path> toRead;
  std::vector<std::size_t> readAt;  // the place in `histories` of each of `toRead`
  for (std::size_t at = 0; at < histories.size(); ++at) {
    const bool candidate =
        held[at] && std::binary_search(candidates->begin(), candidates->end(), *held[at]);
    if (held[at] && !candidate) continue;
    toRead.push_back({listing.PathOf(histories[at]), !held[at]});
    readAt.push_back(at);
  }
  ReadAhead reader(std::move(toRead), words);
  std::vector<SearchHit> hits;
  std::vector<Result<>> unread;
  std::vector<Reason> rescued;
  for (const std::size_t at : readAt) {
    ReadAhead::Read read = reader.Next();
    if (!read.result) {
      unread.push_back(std::move(read.result));
      continue;
    }
    if (read.damage.kind != ReasonKind::None) {
      // Not indexed: read again at every search, it is said to break off every time.
      rescued.push_back(std::move(read.damage));
    } else if (!held[at]) {
      // A file that was replaced while it was read has no stamp it matches: read next time.
      const Result<std::int64_t> stored =
          index.Store(listing.KeyOf(histories[at]), histories[at].stamp.value_or(HistoryStamp{}),
                      read.indexText);
      if (!stored) break;  // Commit says why
      held[at] = *stored;
    }
    for (SearchHit& hit : read.hits) {
      hit.file = histories[at].name;
      hits.push_back(std::move(hit));
    }
  }
  if (Result<> kept = KeepFolder(index, listing, held); !kept) return kept;
  if (Result<> committed = index.Commit(); !committed) return committed;
  std::move(hits.begin(), hits.end(), std::back_inserter(report.hits));
  std::move(unread.begin(), unread.end(), std::back_inserter(report.unread));
  std::move(rescued.begin(), rescued.end(), std::back_inserter(report.rescued));
  return {};
}

// Answers from the index in `file`, made anew once when it is damaged (which the report says)
// or of another version; the index's failure when that does not answer either. A damaged index
// answers nothing: Answer reports only what a search that went through to its end found.
Result<> AnswerFromFile(const std::filesystem::path& file, HistoryListing& listing,
                        const std::vector<std::string>& words, SearchReport& report) {
  {
    SearchIndex index(file);
    Result<> answered = Answer(index, listing, words, report);
    if (answered || !index.WantsRebuild()) return answered;
    if (index.Damaged()) {
      report.indexRebuilt = {.kind = ReasonKind::SearchIndexDamaged, .path = file.string()};
    }
  }
  RemoveIndex(file);
  SearchIndex index(file);
  return Answer(index, listing, words, report);
}

}  // namespace

std::filesystem::path SearchIndexFile() {
  return XdgBaseFolder("XDG_CACHE_HOME", ".cache") / "palvarin" / "search-index.sqlite3";
}

SearchReport RunSearch(const std::string& path, const std::vector<std::string>& words,
                       const std::filesystem::path& indexFile) {
  SearchReport report;
  Result<HistoryListing> listing = HistoryListing::Start(path);
  if (!listing) {
    report.searched = Failure{listing.reason()};
    return report;
  }
  const Result<> fromFile = AnswerFromFile(indexFile, *listing, words, report);
  if (!fromFile) {
    report.indexUnusable = fromFile.reason();
    SearchIndex memory({});
    if (const Result<> inMemory = Answer(memory, *listing, words, report); !inMemory) {
      report.searched =
          Failure{{.kind = ReasonKind::SearchImpossible, .detail = inMemory.reason().detail}};
    }
  }
  // A folder that cannot be listed has no histories, and so no other unread.
  if (Result<> listed = listing->Listed(); !listed) report.unread.push_back(std::move(listed));
  return report;
}

}  // namespace palvarin

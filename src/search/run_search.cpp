#include "search/run_search.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>

#include "files/folder_listing.hpp"
#include "files/split_path.hpp"
#include "files/user_folders.hpp"
#include "history_messages.hpp"
#include "index_terms.hpp"
#include "read_ahead.hpp"
#include "search_index.hpp"

namespace palvarin {
namespace {

// What tells a history file apart from an earlier state of itself: its status. None when the
// file is gone or no regular file: reading it then says why.
std::optional<HistoryStamp> StampOf(int folder, const char* path) {
  const auto nanoseconds = [](const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
  };
  struct stat info {};
  if (::fstatat(folder, path, &info, 0) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return HistoryStamp{static_cast<std::int64_t>(info.st_size), nanoseconds(info.st_mtim),
                      nanoseconds(info.st_ctim), static_cast<std::int64_t>(info.st_ino)};
}

struct HistoryToSearch {
  std::string name, path;
  std::string key;  // the absolute path, by which the index knows it
  std::optional<HistoryStamp> stamp;
};

// The histories `path` names, with their stamps: the "*.xml" of a folder in name order, else
// the file itself. Fails only when there is nothing at `path`; a folder that cannot be read
// to the end is reported among the unread, and none of it is searched.
Result<> ListHistories(const std::string& path, std::vector<HistoryToSearch>& histories,
                       SearchReport& report) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    // Reading it says why, in the words every unreadable history gets.
    std::vector<SearchHit> none;
    if (Result<> read = SearchHistoryFile(path, {}, none, nullptr); !read) return read;
  }
  std::string absolute = std::filesystem::absolute(path).lexically_normal().string();
  if (!S_ISDIR(info.st_mode)) {
    histories.push_back({SplitPath(path).name, path, absolute, StampOf(AT_FDCWD, path.c_str())});
    return {};
  }
  if (!absolute.ends_with('/')) absolute += '/';
  const std::string prefix = path.ends_with('/') ? path : path + '/';
  Result<std::vector<std::string>> names = ListHistoryNames(prefix);
  if (!names) {
    report.unread.push_back(Failure{names.reason()});
    return {};
  }
  // Each stamped by its name in the open folder: one step of a path each, not the whole path
  // again (the most of what a kept index's answer costs per history).
  const int folder = ::open(prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  histories.reserve(names->size());
  for (std::string& name : *names) {
    HistoryToSearch& history = histories.emplace_back();
    history.path = prefix + name;
    history.key = absolute + name;
    history.stamp =
        folder >= 0 ? StampOf(folder, name.c_str()) : StampOf(AT_FDCWD, history.path.c_str());
    history.name = std::move(name);
  }
  if (folder >= 0) ::close(folder);
  return {};
}

// Brings `index` up to date with `histories` and answers from it, or gives the index's failure.
// A history the index lacks, or holds as of another state of its file, is read and indexed;
// of the others, those the index finds are candidates read again, every message checked.
Result<> Answer(SearchIndex& index, const std::vector<HistoryToSearch>& histories,
                const std::vector<std::string>& words, SearchReport& report) {
  std::vector<std::optional<std::int64_t>> held(histories.size());
  std::vector<std::int64_t> heldIds;
  // In one read transaction: one lock taken for them all, not one per history, and the
  // candidates found in the same state of the index as the histories it holds.
  if (Result<> begun = index.BeginReading(); !begun) return begun;
  for (std::size_t at = 0; at < histories.size(); ++at) {
    const auto& stamp = histories[at].stamp;
    if (stamp) held[at] = index.FreshHistory(histories[at].key, *stamp);
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
    toRead.push_back({histories[at].path, !held[at]});
    readAt.push_back(at);
  }
  ReadAhead reader(std::move(toRead), words);
  std::vector<SearchHit> hits;
  std::vector<Result<>> unread;
  for (const std::size_t at : readAt) {
    ReadAhead::Read read = reader.Next();
    if (!read.result) {
      unread.push_back(std::move(read.result));
      continue;
    }
    if (!held[at]) {
      // A file that was replaced while it was read has no stamp it matches: read next time.
      const Result<std::int64_t> stored = index.Store(
          histories[at].key, histories[at].stamp.value_or(HistoryStamp{}), read.indexText);
      if (!stored) break;  // Commit says why
    }
    for (SearchHit& hit : read.hits) {
      hit.file = histories[at].name;
      hits.push_back(std::move(hit));
    }
  }
  if (Result<> committed = index.Commit(); !committed) return committed;
  std::move(hits.begin(), hits.end(), std::back_inserter(report.hits));
  std::move(unread.begin(), unread.end(), std::back_inserter(report.unread));
  return {};
}

// Answers from the index in `file`, made anew once when it is damaged or of another version;
// the index's failure when that does not answer either.
Result<> AnswerFromFile(const std::filesystem::path& file,
                        const std::vector<HistoryToSearch>& histories,
                        const std::vector<std::string>& words, SearchReport& report) {
  {
    SearchIndex index(file);
    Result<> answered = Answer(index, histories, words, report);
    if (answered || !index.WantsRebuild()) return answered;
  }
  RemoveIndex(file);
  SearchIndex index(file);
  return Answer(index, histories, words, report);
}

}  // namespace

std::filesystem::path SearchIndexFile() {
  return XdgBaseFolder("XDG_CACHE_HOME", ".cache") / "palvarin" / "search-index.sqlite3";
}

SearchReport RunSearch(const std::string& path, const std::vector<std::string>& words,
                       const std::filesystem::path& indexFile) {
  SearchReport report;
  std::vector<HistoryToSearch> histories;
  report.refused = ListHistories(path, histories, report);
  if (!report.refused) return report;
  const Result<> fromFile = AnswerFromFile(indexFile, histories, words, report);
  if (fromFile) return report;
  report.indexUnusable = fromFile.reason();
  SearchIndex memory({});
  if (const Result<> inMemory = Answer(memory, histories, words, report); !inMemory) {
    report.refused =
        Failure{{.kind = ReasonKind::SearchImpossible, .detail = inMemory.reason().detail}};
  }
  return report;
}

}  // namespace palvarin

#include "search/run_search.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <tuple>
#include <unordered_map>

#include "files/folder_listing.hpp"
#include "files/split_path.hpp"
#include "files/user_folders.hpp"
#include "history_messages.hpp"
#include "read_ahead.hpp"
#include "search/search_query.hpp"
#include "search_index.hpp"
#include "time/time_value.hpp"
#include "time/utc_stamp.hpp"

namespace palvarin {
namespace {

struct HistoryToSearch {
  std::string name, path;
  std::string key;  // the absolute path, by which the index knows it
};

// The histories `path` names: the "*.xml" of a folder in name order, else the file itself.
// Fails only when there is nothing at `path`; a folder that cannot be read to the end is
// reported among the unread, and none of it is searched.
Result<> ListHistories(const std::string& path, std::vector<HistoryToSearch>& histories,
                       SearchReport& report) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    // Reading it says why, in the words every unreadable history gets.
    std::vector<IndexedMessage> none;
    if (Result<> read = ReadHistoryMessages(path, none); !read) return read;
  }
  std::string absolute = std::filesystem::absolute(path).lexically_normal().string();
  if (!S_ISDIR(info.st_mode)) {
    histories.push_back({SplitPath(path).name, path, absolute});
    return {};
  }
  if (!absolute.ends_with('/')) absolute += '/';
  const std::string prefix = path.ends_with('/') ? path : path + '/';
  Result<std::vector<std::string>> names = ListHistoryNames(prefix);
  if (!names) {
    report.unread.push_back(Failure{names.reason()});
    return {};
  }
  for (std::string& name : *names) histories.push_back({name, prefix + name, absolute + name});
  return {};
}

std::int64_t Nanoseconds(const timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// None when the file is gone or no regular file: reading it then says why.
std::optional<HistoryStamp> StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return HistoryStamp{static_cast<std::int64_t>(info.st_size), Nanoseconds(info.st_mtim),
                      Nanoseconds(info.st_ctim), static_cast<std::int64_t>(info.st_ino)};
}

std::string HitTime(const IndexedMessage& message) {
  if (const auto utc = ParseUtcStamp(message.dateTime)) {
    if (std::string local = FormatTime(*utc, "%Y-%m-%d %H:%M:%S"); !local.empty()) return local;
  }
  if (message.date.empty() || message.clock.empty()) return message.date + message.clock;
  return message.date + ' ' + message.clock;
}

// Brings `index` up to date with `histories` and answers from it, or gives the index's failure.
Result<> Answer(SearchIndex& index, const std::vector<HistoryToSearch>& histories,
                const std::vector<std::string>& words, SearchReport& report) {
  const std::size_t unreadBefore = report.unread.size();
  std::vector<std::optional<HistoryStamp>> stamps(histories.size());
  std::vector<std::optional<std::int64_t>> held(histories.size());
  // In one read transaction: one lock taken for them all, not one per history.
  if (Result<> begun = index.BeginReading(); !begun) return begun;
  for (std::size_t at = 0; at < histories.size(); ++at) {
    stamps[at] = StampOf(histories[at].path);
    if (stamps[at]) held[at] = index.FreshHistory(histories[at].key, *stamps[at]);
  }
  if (Result<> ended = index.EndReading(); !ended) return ended;

  std::vector<std::string> toRead;
  for (std::size_t at = 0; at < histories.size(); ++at) {
    if (!held[at]) toRead.push_back(histories[at].path);
  }
  ReadAhead reader(std::move(toRead));
  std::vector<std::int64_t> ids;
  std::unordered_map<std::int64_t, std::size_t> order;  // the history's place in `histories`
  for (std::size_t at = 0; at < histories.size(); ++at) {
    if (!held[at]) {
      ReadAhead::Read read = reader.Next();
      if (!read.result) {
        report.unread.push_back(std::move(read.result));
        continue;
      }
      // A file that was replaced while it was read has no stamp it matches: read next time.
      const Result<std::int64_t> stored =
          index.Store(histories[at].key, stamps[at].value_or(HistoryStamp{}), read.messages);
      if (!stored) break;  // Commit says why
      held[at] = *stored;
    }
    ids.push_back(*held[at]);
    order[*held[at]] = at;
  }
  std::vector<std::tuple<std::size_t, std::int64_t, SearchHit>> found;
  Result<> answered = index.Commit();
  if (answered) {
    answered = index.Candidates(
        TrigramQuery(words), ids, [&](std::int64_t history, const IndexedMessage& message) {
          if (!HoldsEveryWord(message.folded, words)) return;
          const std::size_t at = order.at(history);
          found.emplace_back(
              at, message.position,
              SearchHit{histories[at].name, HitTime(message), message.sender, message.text});
        });
  }
  if (!answered) {
    report.unread.resize(unreadBefore);
    return answered;
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
  });
  for (auto& hit : found) report.hits.push_back(std::move(std::get<2>(hit)));
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

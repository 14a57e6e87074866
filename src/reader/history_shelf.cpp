#include "reader/history_shelf.hpp"

#include <sys/stat.h>

#include "files/folder_listing.hpp"
#include "files/split_path.hpp"
#include "reader/history_book.hpp"

namespace palvarin {
namespace {

ShelfHistory ShelfEntry(const std::string& path) {
  ShelfHistory history;
  history.name = HistoryName(path);
  history.path = path;
  return history;
}

}  // namespace

std::string HistoryName(const std::string& path) {
  std::string name = SplitPath(path).name;
  if (HasHistoryName(name)) name.resize(name.size() - 4);
  return name;
}

void Summarise(ShelfHistory& history, const HistoryBook& book) {
  history.summarised = true;
  history.read = {};
  history.conversations = static_cast<int>(book.Conversations().size());
  history.lastDate.clear();
  // The date on the reader's one clock: the first word of the stamp.
  for (int at = book.EntryCount() - 1; at >= 0 && history.lastDate.empty(); --at) {
    const std::string stamp = book.Stamp(at);
    history.lastDate = stamp.substr(0, stamp.find(' '));
  }
}

void Summarise(ShelfHistory& history) {
  const Result<HistoryBook> book = OpenHistoryBook(history.path);
  if (book) return Summarise(history, *book);
  history.summarised = true;
  history.read = Failure{book.reason()};
  history.conversations = 0;
  history.lastDate.clear();
}

Result<std::vector<ShelfHistory>> ListShelf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    // Opening it says why, in the words every unreadable history gets.
    const Result<HistoryBook> book = OpenHistoryBook(path);
    if (!book) return Failure{book.reason()};
  }
  std::vector<ShelfHistory> shelf;
  if (!S_ISDIR(info.st_mode)) {
    shelf.push_back(ShelfEntry(path));
    return shelf;
  }
  const std::string prefix = path.ends_with('/') ? path : path + '/';
  Result<std::vector<std::string>> names = ListHistoryNames(prefix);
  if (!names) return Failure{names.reason()};
  for (const std::string& name : *names) shelf.push_back(ShelfEntry(prefix + name));
  return shelf;
}

Result<std::vector<ShelfHistory>> ReadShelf(const std::string& path) {
  Result<std::vector<ShelfHistory>> shelf = ListShelf(path);
  if (shelf) {
    for (ShelfHistory& history : *shelf) Summarise(history);
  }
  return shelf;
}

}  // namespace palvarin

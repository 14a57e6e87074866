#pragma once

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/result.hpp"
#include "search_index.hpp"

namespace palvarin {

struct HistoryToSearch {
  std::string name;  // its file's name
  // The file's state when it was listed; none when it is gone or no regular file (reading it
  // then says why).
  std::optional<HistoryStamp> stamp;
};

// The histories a search is given: the "*.xml" of a folder in name order, else the one file,
// each with its stamp. A folder is listed and its histories stamped on a thread of its own
// while the caller opens the index and reads what it holds: a stat per history is most of
// what a kept index's answer costs. The caller, once it waits, lists the folder itself if the
// thread has not begun, and stamps what is left alongside.
class HistoryListing {
 public:
  // Fails, in the words reading it would give, when there is nothing at `path`.
  static Result<HistoryListing> Start(const std::string& path);
  HistoryListing(HistoryListing&&) noexcept = default;
  HistoryListing& operator=(HistoryListing&&) = delete;
  ~HistoryListing();

  // The histories; the first call waits for the folder's listing.
  const std::vector<HistoryToSearch>& Histories();
  // Success, or why the folder could not be listed to the end: then none of it is searched.
  // Waits as Histories does.
  Result<> Listed();

  // The path to read `history` by: the folder's path as given and its name.
  std::string PathOf(const HistoryToSearch& history) const { return folder_ + history.name; }
  // The absolute path by which the index knows `history`, into `key`.
  void KeyOf(const HistoryToSearch& history, std::string& key) const {
    key.assign(absoluteFolder_).append(history.name);
  }

 private:
  struct Lister;
  HistoryListing() = default;
  void Wait();

  std::string folder_, absoluteFolder_;  // each empty or ending with "/"
  std::vector<HistoryToSearch> histories_;
  Result<> listed_;
  std::shared_ptr<Lister> lister_;  // while a folder is listed
  std::thread thread_;
};

}  // namespace palvarin

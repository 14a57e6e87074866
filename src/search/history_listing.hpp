#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/result.hpp"
#include "history_stamp.hpp"

namespace palvarin {

// The histories a search is given: the "*.xml" of a folder in name order, else the one file,
// each with its stamp. A stat per history is most of what a kept index's answer costs: the
// histories are stamped on a thread of its own alongside the caller, who stamps what is left
// once it waits. The folder's own state is read first, so that the caller may name its
// histories from what the index kept of an unchanged folder instead of listing it.
class HistoryListing {
 public:
  // Fails, in the words reading it would give, when there is nothing at `path`.
  static Result<HistoryListing> Start(const std::string& path);
  HistoryListing(HistoryListing&&) noexcept = default;
  HistoryListing& operator=(HistoryListing&&) = delete;
  ~HistoryListing();

  // The absolute path, ending with "/", of the folder the histories are in, as the index knows
  // them; whether the search is of that whole folder, not of one file in it.
  const std::string& FolderKey() const { return absoluteFolder_; }
  bool IsFolder() const { return isFolder_; }
  // The folder's state before it was listed, and when (nanoseconds since 1970); none for a file
  // alone or a folder whose state could not be read.
  const std::optional<FolderState>& State() const { return state_; }
  std::int64_t ListedAt() const { return listedAt_; }

  // Names the folder's histories: `known`, the names the index kept of the folder in this
  // state, else by listing the folder. Only the first call counts; Histories calls it with none.
  void Name(std::optional<std::vector<std::string>> known);
  // The histories; the first call waits until every one is stamped.
  const std::vector<HistoryToSearch>& Histories();
  // Success, or why the folder could not be listed to the end: then none of it is searched.
  // Waits as Histories does.
  Result<> Listed();

  // The path to read `history` by: the folder's path as given and its name.
  std::string PathOf(const HistoryToSearch& history) const { return folder_ + history.name; }
  // The absolute path by which the index knows `history`.
  std::string KeyOf(const HistoryToSearch& history) const { return absoluteFolder_ + history.name; }

 private:
  struct Lister;
  HistoryListing() = default;
  void Wait();

  std::string folder_, absoluteFolder_;  // each empty or ending with "/"
  bool isFolder_ = false;
  std::optional<FolderState> state_;
  std::int64_t listedAt_ = 0;
  std::vector<HistoryToSearch> histories_;
  Result<> listed_;
  std::shared_ptr<Lister> lister_;  // while a folder's histories are stamped
  std::thread thread_;
};

}  // namespace palvarin

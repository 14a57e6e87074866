#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/reason.hpp"
#include "base/result.hpp"
#include "find/folder_account.hpp"
#include "time/time_value.hpp"

namespace palvarin {

// How a search for history folders walks.
struct FindOptions {
  // Also walk into folders on other file systems than the root's (mounted disks, /proc).
  bool crossDevices = false;
};

// How far a walk has come, as it enters a folder.
struct FindProgress {
  std::size_t folders = 0;    // folders entered so far, this one included
  std::size_t files = 0;      // regular files looked at so far
  std::size_t histories = 0;  // histories found so far
  std::string folder{};       // the folder entered
};

// What a walk tells its front end; called on the walking thread.
class FindObserver {
 public:
  virtual ~FindObserver() = default;
  virtual void FolderEntered(const FindProgress& /*progress*/) {}
  // Asked as each folder is entered: true ends the walk there, with what was found so far.
  virtual bool ShouldStop() { return false; }
};

// A folder that holds histories.
struct HistoryFolder {
  std::string folder{};  // the root joined with the way down to it
  std::size_t histories = 0;
  // The earliest and latest moment of an entry of its histories; none when no entry names a
  // readable time.
  std::optional<TimeValue> first{}, last{};
  // The nearest folder above it laid out as a Messenger account's ("<name><digits>" holding a
  // "History" folder); empty when there is none.
  std::string accountFolder{};
  // That folder's name, and the owner of its histories.
  FolderAccount account{};
};

// What could not be read in one folder: the folder itself, or files in it.
struct FolderProblem {
  std::string folder;
  std::size_t count = 0;  // how many items could not be read
  Reason first{};         // why the first of them could not be
};

struct FindReport {
  // Grouped by account (its name, else its owner), those of no known account last; each
  // group in byte order of the paths.
  std::vector<HistoryFolder> folders;
  std::vector<FolderProblem> problems;  // one per folder, in byte order of their paths
  // The histories that break off, counted with their whole entries (where each was cut), in
  // byte order of their paths: a gather rescues them as well.
  std::vector<Reason> damaged;
  std::size_t foldersWalked = 0;
  std::size_t filesExamined = 0;
  bool stopped = false;  // the observer asked to stop: the folders are those found until then
};

// Walks the folder `root` and everything below it for histories: regular files named
// "<something>.xml" that load as a "Log" document (history/history_rule.hpp). Links are never
// followed below the root (so no link loop is walked), and nothing but folders and regular files is
// opened, so a named pipe or a device can neither stall nor be touched. Folders on other file
// systems are left out unless `options` says otherwise. Fails only when `root` is no folder
// that can be opened; what cannot be read below it is in the report's problems.
Result<FindReport> FindHistoryFolders(const std::string& root, const FindOptions& options,
                                      FindObserver* observer);

}  // namespace palvarin

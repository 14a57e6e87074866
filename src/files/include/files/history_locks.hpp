#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/result.hpp"
#include "files/folder_listing.hpp"

namespace palvarin {

class LockBytes;

// Keeps other Palvarin jobs, in any process of this user, away from history files while one
// job works on them. The locks are advisory locks on bytes of one file in LockFolder(), so
// they vanish with the process however it ends, and nothing is written beside the histories.
// A file is locked by where it is (its folder's device and inode, and its name, links
// followed), not by its own inode, which every save replaces: two paths to one place meet. A
// folder job locks its folders whole, one byte each, which every job holding a file in them
// meets: the kernel walks every lock held on the file at each new one.
class HistoryLocks {
 public:
  HistoryLocks() = default;
  ~HistoryLocks() { Release(); }
  HistoryLocks(const HistoryLocks&) = delete;
  HistoryLocks& operator=(const HistoryLocks&) = delete;

  // Locks exactly the files of `paths` (which need not exist yet), letting go of any held
  // before, in one fixed order shared by all jobs, so that two jobs never wait for each other. When
  // another job holds one, `waiting` is called (once in the life of this object) and the call waits
  // until that job lets go, asking `keepWaiting` (when given) at every try, every 20 ms: false
  // ends the wait, and the call fails with ECANCELED. Fails, holding nothing, when the locks
  // cannot be kept.
  Result<> Acquire(const std::vector<std::string>& paths, const std::function<void()>& waiting,
                   const std::function<bool()>& keepWaiting = {});
  // The same for every file in `folders` (which need not exist yet: a folder that does not
  // exist holds nothing to guard), and, where a name of `names` in one of them is a link,
  // for the file it leads to. `listed` holds each folder's listing (ListFolderMembers), which
  // tells its links; where it failed, each name is looked at in the folder.
  Result<> AcquireFolders(const std::vector<std::string>& folders,
                          const std::vector<Result<FolderMembers>>& listed,
                          const std::vector<std::string>& names,
                          const std::function<void()>& waiting,
                          const std::function<bool()>& keepWaiting = {});
  // Lets go of every lock.
  void Release();

 private:
  Result<> Take(const LockBytes& places, const std::function<void()>& waiting,
                const std::function<bool()>& keepWaiting);
  Result<> Fail(Failure failure);

  int fd_ = -1;
  bool told_ = false;
};

}  // namespace palvarin

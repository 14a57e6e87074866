#pragma once

#include <sys/types.h>

#include "find/find_history_folders.hpp"

namespace palvarin {

// Whether the walk goes into a folder on the file system `folder` below a root on `root`: onto
// another only when `options` asks to cross devices. Told the numbers rather than the folders,
// so that the rule can be tried without a second file system.
inline bool WalksOnto(dev_t root, dev_t folder, const FindOptions& options) {
  return folder == root || options.crossDevices;
}

}  // namespace palvarin

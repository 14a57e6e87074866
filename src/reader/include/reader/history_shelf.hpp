#pragma once

#include <string>
#include <vector>

#include "base/result.hpp"

namespace palvarin {

// One history on the shelf: its name (the file name without ".xml"), its path, and, when it
// could be read, how many conversations it holds and the last "Date" it writes; else why not.
struct ShelfHistory {
  std::string name, path;
  int conversations = 0;
  std::string lastDate;
  Result<> read;
};

// The histories at `path`: the "*.xml" of a folder in name order, or the one file. A history
// that cannot be read is listed with its reason. Fails only when there is nothing at `path` or
// the folder cannot be listed to the end.
Result<std::vector<ShelfHistory>> ReadShelf(const std::string& path);

}  // namespace palvarin

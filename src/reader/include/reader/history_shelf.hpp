#pragma once

#include <string>
#include <vector>

#include "base/result.hpp"

namespace palvarin {

class HistoryBook;

// One history on the shelf: its name (the file name without ".xml"), its path, and, once it
// has been read (`summarised`), how many conversations it holds and the last "Date" it writes,
// or why it cannot be read.
struct ShelfHistory {
  std::string name, path;
  bool summarised = false;
  int conversations = 0;
  std::string lastDate;
  Result<> read;
};

// The contact's name a history file goes by: its file name without ".xml".
std::string HistoryName(const std::string& path);

// The histories at `path`, listed without reading them: the "*.xml" of a folder in name
// order, or the one file. Fails only when there is nothing at `path` or the folder cannot be
// listed to the end.
Result<std::vector<ShelfHistory>> ListShelf(const std::string& path);

// Reads `history` whole to fill in what it holds, or why it cannot be read.
void Summarise(ShelfHistory& history);
// Fills in what `history` holds from `book`, its contents already open.
void Summarise(ShelfHistory& history, const HistoryBook& book);

// ListShelf with every history summarised.
Result<std::vector<ShelfHistory>> ReadShelf(const std::string& path);

}  // namespace palvarin

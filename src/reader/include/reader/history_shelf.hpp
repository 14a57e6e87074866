#pragma once

#include <string>
#include <vector>

#include "base/result.hpp"
#include "history/history_owner.hpp"
#include "history/history_people.hpp"

namespace palvarin {

class HistoryBook;

// One history on the shelf: its name (the file name without ".xml"), its path, and, once it
// has been read (`summarised`), how many conversations it holds, the last date, who it names
// and who of them takes part in every conversation, or why it cannot be read.
struct ShelfHistory {
  std::string name, path;
  bool listed = false;  // found in a folder, not given by its own path
  bool summarised = false;
  int conversations = 0;
  std::string lastDate;
  bool peopleRead = false;            // whether the two below were read
  std::vector<HistoryPerson> people;  // ReadHistoryPeople: the newest name first
  HistoryOwner owner;                 // of this history alone
  Result<> read;

  // Found in a folder and read as no history at all (SaysNoHistory: a settings file, another
  // document): left out as a file of another name is. A file given by its path stays, with why.
  bool NoHistory() const;
};

// The contact's name a history file goes by: its file name without ".xml".
std::string HistoryName(const std::string& path);

// The histories at `path`, listed without reading them: the "*.xml" of a folder in name
// order, or the one file. Fails only when there is nothing at `path` or the folder cannot be
// listed to the end.
Result<std::vector<ShelfHistory>> ListShelf(const std::string& path);

// Reads `history` whole to fill in what it holds and who takes part, or why it cannot be read.
void Summarise(ShelfHistory& history);
// Fills in how many conversations `history` holds and its last date from `book`, its contents
// already open; ReadPeople the rest, which takes longer.
void Summarise(ShelfHistory& history, const HistoryBook& book);
void ReadPeople(ShelfHistory& history, const HistoryBook& book);

// ListShelf with every history summarised, what is no history left out.
Result<std::vector<ShelfHistory>> ReadShelf(const std::string& path);

}  // namespace palvarin

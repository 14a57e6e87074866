#pragma once

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

struct sqlite3;

namespace palvarin {

// Copies the profile's write-ahead log back into the store on a thread and a connection of its
// own. SQLite's own way does it in the thread that commits, while that thread holds the store
// for every other: a folder job's workers would wait on the flushes, and without any copy back
// during the job, its close would write the whole log out alone at the end.
class WalWriteBack {
 public:
  explicit WalWriteBack(std::filesystem::path file) : file_(std::move(file)) {}
  ~WalWriteBack();
  WalWriteBack(const WalWriteBack&) = delete;
  WalWriteBack& operator=(const WalWriteBack&) = delete;

  // Installs itself on `db`, the store's own connection: once the log holds `frames` pages
  // after a commit, a copy back is asked of the thread, started then. Where no thread or
  // connection of its own can be had, the committing connection copies back itself, as SQLite
  // would.
  void Watch(sqlite3* db, int frames);
  // Waits for a copy back under way and ends the thread; before the store's connection closes.
  void Stop();

 private:
  static int OnCommit(void* self, sqlite3* db, const char* schema, int frames);
  bool Ask();
  void Run();

  std::filesystem::path file_;
  int frames_ = 0;
  std::mutex mutex_;
  std::condition_variable asked_;
  bool wanted_ = false;
  bool stopping_ = false;
  bool failed_ = false;  // the thread or its connection could not be had
  std::thread thread_;
};

}  // namespace palvarin

#include "wal_write_back.hpp"

#include <sqlite3.h>

#include <system_error>

namespace palvarin {

WalWriteBack::~WalWriteBack() { Stop(); }

void WalWriteBack::Watch(sqlite3* db, int frames) {
  frames_ = frames;
  ::sqlite3_wal_hook(db, &WalWriteBack::OnCommit, this);
}

int WalWriteBack::OnCommit(void* self, sqlite3* db, const char* schema, int frames) {
  auto* writeBack = static_cast<WalWriteBack*>(self);
  if (frames >= writeBack->frames_ && !writeBack->Ask()) {
    ::sqlite3_wal_checkpoint_v2(db, schema, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
  }
  return SQLITE_OK;
}

// Whether the thread takes the copy back.
bool WalWriteBack::Ask() {
  const std::lock_guard lock(mutex_);
  if (failed_ || stopping_) return false;
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
      failed_ = true;
      return false;
    }
  }
  wanted_ = true;
  asked_.notify_one();
  return true;
}

void WalWriteBack::Run() {
  sqlite3* db = nullptr;
  // A plain open: the store exists and is set up; a connection that only copies back needs
  // neither its check nor its pragmas. It reads the schema once, which is how it learns that
  // the store keeps a log at all.
  const bool opened =
      ::sqlite3_open_v2(file_.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
      ::sqlite3_exec(db, "SELECT 1 FROM sqlite_schema LIMIT 1", nullptr, nullptr, nullptr) ==
          SQLITE_OK;
  std::unique_lock lock(mutex_);
  failed_ = !opened;
  while (opened) {
    asked_.wait(lock, [this] { return wanted_ || stopping_; });
    if (stopping_) break;
    wanted_ = false;
    lock.unlock();
    // Passive: it copies what no reader still needs and waits for nobody; what it leaves is
    // copied by a later one or at the close.
    ::sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    lock.lock();
  }
  lock.unlock();
  ::sqlite3_close_v2(db);
}

void WalWriteBack::Stop() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    asked_.notify_one();
  }
  if (thread_.joinable()) thread_.join();
}

}  // namespace palvarin

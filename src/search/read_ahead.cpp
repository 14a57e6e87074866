#include "read_ahead.hpp"

#include "history_messages.hpp"

namespace palvarin {
namespace {

// Histories read but not yet taken: enough to keep the reader busy, few enough that a
// folder's messages are never all held at once.
constexpr std::size_t kAhead = 4;

}  // namespace

ReadAhead::ReadAhead(std::vector<Path> paths, const std::vector<std::string>& words)
    : paths_(std::move(paths)), words_(words) {
  // A kept index mostly has nothing to read: no thread for it.
  if (!paths_.empty()) thread_ = std::thread([this] { Run(); });
}

ReadAhead::~ReadAhead() {
  {
    const std::lock_guard<std::mutex> hold(lock_);
    stop_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void ReadAhead::Run() {
  IndexText index;
  for (const Path& path : paths_) {
    {
      std::unique_lock<std::mutex> hold(lock_);
      changed_.wait(hold, [this] { return stop_ || ready_.size() < kAhead; });
      if (stop_) return;
    }
    Read read;
    try {
      read.result = SearchHistoryFile(path.path, words_, read.hits, path.index ? &index : nullptr);
      if (path.index) read.indexText = index.Take();
    } catch (...) {
      const std::lock_guard<std::mutex> hold(lock_);
      raised_ = std::current_exception();
      changed_.notify_all();
      return;
    }
    {
      const std::lock_guard<std::mutex> hold(lock_);
      ready_.push_back(std::move(read));
    }
    changed_.notify_all();
  }
}

ReadAhead::Read ReadAhead::Next() {
  std::unique_lock<std::mutex> hold(lock_);
  changed_.wait(hold, [this] { return !ready_.empty() || raised_; });
  if (ready_.empty()) std::rethrow_exception(raised_);
  Read read = std::move(ready_.front());
  ready_.pop_front();
  hold.unlock();
  changed_.notify_all();
  return read;
}

}  // namespace palvarin

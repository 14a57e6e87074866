#include "read_ahead.hpp"

#include <algorithm>

#include "history_messages.hpp"

namespace palvarin {
namespace {

constexpr std::size_t kReaders = 2;

}  // namespace

ReadAhead::ReadAhead(std::vector<Path> paths, const std::vector<std::string>& words)
    : paths_(std::move(paths)), words_(words) {
  // A kept index mostly has nothing to read: no thread for it.
  const std::size_t readers = std::min(kReaders, paths_.size());
  for (std::size_t reader = 0; reader < readers; ++reader) threads_.emplace_back([this] { Run(); });
}

ReadAhead::~ReadAhead() {
  {
    const std::lock_guard<std::mutex> hold(lock_);
    stop_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void ReadAhead::Run() {
  IndexText index;
  for (;;) {
    std::size_t at = 0;
    {
      std::unique_lock<std::mutex> hold(lock_);
      changed_.wait(hold, [this] {
        return stop_ || claimed_ == paths_.size() || claimed_ < taken_ + kAhead;
      });
      if (stop_ || claimed_ == paths_.size()) return;
      at = claimed_++;
    }
    const Path& path = paths_[at];
    Slot slot;
    slot.ready = true;
    try {
      Read& read = slot.read;
      read.result = SearchHistoryFile(path.path, words_, read.hits, path.index ? &index : nullptr,
                                      read.damage);
      if (path.index) read.indexText = index.Take();
    } catch (...) {
      slot.raised = std::current_exception();
      index = IndexText();  // not to begin the next history with this one's trigrams
    }
    {
      const std::lock_guard<std::mutex> hold(lock_);
      slots_[at % kAhead] = std::move(slot);
    }
    changed_.notify_all();
  }
}

ReadAhead::Read ReadAhead::Next() {
  std::unique_lock<std::mutex> hold(lock_);
  Slot& slot = slots_[taken_ % kAhead];
  changed_.wait(hold, [&slot] { return slot.ready; });
  Slot taken = std::move(slot);
  slot = Slot();
  ++taken_;
  hold.unlock();
  changed_.notify_all();
  if (taken.raised) std::rethrow_exception(taken.raised);
  return std::move(taken.read);
}

}  // namespace palvarin

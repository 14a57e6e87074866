#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/result.hpp"
#include "search/run_search.hpp"

namespace palvarin {

// Reads histories (SearchHistoryFile) on two threads of their own, a few ahead of the caller,
// who takes them in their order: reading and folding the files, most of building an index,
// takes both cores while the caller stores what was read. Stops when it goes, whatever was
// not taken.
class ReadAhead {
 public:
  struct Path {
    std::string path;
    bool index = false;  // whether the index is to hold it: its IndexText is made
  };
  struct Read {
    Result<> result;
    std::vector<SearchHit> hits;  // their `file` empty
    std::string indexText;        // when asked for
    Reason damage;                // where a history that breaks off breaks
  };

  ReadAhead(std::vector<Path> paths, const std::vector<std::string>& words);
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The next of `paths`, in their order; raises what reading it raised. Call at most once
  // per path.
  Read Next();

 private:
  // Histories read or being read but not yet taken: enough to keep both readers busy, few
  // enough that a folder's messages are never all held at once.
  static constexpr std::size_t kAhead = 8;
  struct Slot {
    bool ready = false;
    Read read;
    std::exception_ptr raised;  // what reading raised instead
  };

  void Run();

  std::vector<Path> paths_;
  std::vector<std::string> words_;
  std::mutex lock_;
  std::condition_variable changed_;
  // The path at `at` is read into slots_[at % kAhead]; those from `taken_` on are not taken.
  std::array<Slot, kAhead> slots_;
  std::size_t claimed_ = 0, taken_ = 0;
  bool stop_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace palvarin

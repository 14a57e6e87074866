#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/result.hpp"
#include "search/run_search.hpp"

namespace palvarin {

// Reads histories (SearchHistoryFile) one after another on a thread of its own, a few ahead
// of the caller, so that reading and folding the next ones takes the second core while the
// index stores the last one. Stops when it goes, whatever was not taken.
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
  };

  ReadAhead(std::vector<Path> paths, const std::vector<std::string>& words);
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The next of `paths`, in their order; raises what reading it raised. Call at most once
  // per path.
  Read Next();

 private:
  void Run();

  std::vector<Path> paths_;
  std::vector<std::string> words_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<Read> ready_;
  std::exception_ptr raised_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace palvarin

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
#include "search_index.hpp"

namespace palvarin {

// Reads histories (ReadHistoryMessages) one after another on a thread of its own, a few ahead
// of the caller, so that reading and folding the next ones takes the second core while the
// index stores the last one. Stops when it goes, whatever was not taken.
class ReadAhead {
 public:
  struct Read {
    Result<> result;
    std::vector<IndexedMessage> messages;
  };

  explicit ReadAhead(std::vector<std::string> paths);
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The next of `paths`, in their order; raises what reading it raised. Call at most once
  // per path.
  Read Next();

 private:
  void Run();

  std::vector<std::string> paths_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<Read> ready_;
  std::exception_ptr raised_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace palvarin

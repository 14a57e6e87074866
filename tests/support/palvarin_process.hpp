#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.hpp"

namespace palvarin::test {

// How one run of the built program ended.
struct ProcessResult {
  int status = -1;  // exit status, or 128 + signal when killed
  std::string out;
  std::string err;
  bool timedOut = false;  // killed by the test's guard, not ended by itself
};

// A run of the built `palvarin` started in the background with `arguments` in `workFolder`,
// with PALVARIN_PROFILE=`profile`, TZ=Asia/Tokyo, no display, LANG=C.UTF-8 and no other locale
// variable (English texts), and `environment`
// ("NAME=value") added or put in place of the inherited values. A run still going when the
// object ends is killed.
class PalvarinProcess {
 public:
  PalvarinProcess(const std::vector<std::string>& arguments,
                  const std::filesystem::path& workFolder, const std::filesystem::path& profile,
                  const std::vector<std::string>& environment = {});
  ~PalvarinProcess();
  PalvarinProcess(const PalvarinProcess&) = delete;
  PalvarinProcess& operator=(const PalvarinProcess&) = delete;

  // Waits for the end; a run still going after `guard` is killed and counts as timed out.
  ProcessResult Wait(std::chrono::seconds guard = std::chrono::minutes(30));
  // True while the program runs.
  bool Running();
  // What it has written to standard error so far.
  std::string ErrorSoFar() const;
  // Sends `signal` to the program while it runs.
  void Signal(int signal);
  // True once the program catches `signal` with a handler of its own (/proc/<pid>/status).
  bool Catches(int signal) const;

 private:
  TempFolder streams_;
  pid_t child_ = -1;
  int status_ = -1;
};

// Runs the program as PalvarinProcess does and waits for its end.
ProcessResult RunPalvarin(const std::vector<std::string>& arguments,
                          const std::filesystem::path& workFolder,
                          const std::filesystem::path& profile,
                          const std::vector<std::string>& environment = {});

}  // namespace palvarin::test

#pragma once

#include <string>
#include <vector>

namespace palvarin::bench {

// How one child process went: its wall and processor time, its peak resident memory, and
// whether it exited with status 0.
struct ChildRun {
  double seconds = 0;
  double cpuSeconds = 0;   // user and system time of the child alone
  long peakKilobytes = 0;  // ru_maxrss of the child alone
  bool succeeded = false;
};

// Runs `argv` (argv[0] looked up in PATH) with `environment` ("NAME=value") laid over ours and
// its output thrown away, and waits for it with wait4, which gives its own resource usage.
ChildRun RunChild(const std::vector<std::string>& argv,
                  const std::vector<std::string>& environment);

}  // namespace palvarin::bench

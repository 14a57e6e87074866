#include "child_process.hpp"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace palvarin::bench {
namespace {

[[noreturn]] void ExecChild(const std::vector<std::string>& argv,
                            const std::vector<std::string>& environment) {
  const int quiet = ::open("/dev/null", O_WRONLY);
  ::dup2(quiet, STDOUT_FILENO);
  ::dup2(quiet, STDERR_FILENO);
  for (const std::string& setting : environment) ::putenv(const_cast<char*>(setting.c_str()));
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  ::execvp(args[0], args.data());
  ::_exit(127);
}

}  // namespace

ChildRun RunChild(const std::vector<std::string>& argv,
                  const std::vector<std::string>& environment) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) ExecChild(argv, environment);
  ChildRun run;
  if (child < 0) return run;
  int status = 0;
  struct rusage usage {};
  pid_t waited;
  do {
    waited = ::wait4(child, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  if (waited < 0) return run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  run.peakKilobytes = usage.ru_maxrss;
  run.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

}  // namespace palvarin::bench

#include "support/palvarin_process.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>

extern char** environ;

namespace palvarin::test {
namespace {

std::vector<std::string> ChildEnvironment(const std::filesystem::path& profile,
                                          const std::vector<std::string>& extra) {
  const auto nameOf = [](const std::string& item) { return item.substr(0, item.find('=')); };
  const auto given = [&](const std::string& name) {
    return std::any_of(extra.begin(), extra.end(),
                       [&](const std::string& item) { return nameOf(item) == name; });
  };
  std::vector<std::string> environment;
  for (char** at = environ; *at; ++at) {
    const std::string item = *at;
    const std::string name = nameOf(item);
    if (name == "PALVARIN_PROFILE" || name == "TZ" || name == "DISPLAY" ||
        name == "WAYLAND_DISPLAY" || name == "QT_QPA_PLATFORM" || name.starts_with("PALVARIN_") ||
        name == "LANGUAGE" || name.starts_with("LC_") || name == "LANG" || given(name)) {
      continue;
    }
    environment.push_back(item);
  }
  environment.push_back("PALVARIN_PROFILE=" + profile.string());
  environment.push_back("TZ=Asia/Tokyo");
  // English unless the test asks for a language: the texts never follow the test's own locale.
  if (!given("LANG")) environment.push_back("LANG=C.UTF-8");
  environment.insert(environment.end(), extra.begin(), extra.end());
  return environment;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

int StatusOf(int waitStatus) {
  return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

}  // namespace

PalvarinProcess::PalvarinProcess(const std::vector<std::string>& arguments,
                                 const std::filesystem::path& workFolder,
                                 const std::filesystem::path& profile,
                                 const std::vector<std::string>& environment) {
  const auto outPath = streams_ / "out";
  const auto errPath = streams_ / "err";
  std::vector<std::string> argv{PALVARIN_BINARY};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<std::string> envp = ChildEnvironment(profile, environment);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addchdir_np(&actions, workFolder.c_str());
  auto argvPointers = Pointers(argv);
  auto envPointers = Pointers(envp);
  if (posix_spawn(&child_, PALVARIN_BINARY, &actions, nullptr, argvPointers.data(),
                  envPointers.data()) != 0) {
    child_ = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
}

PalvarinProcess::~PalvarinProcess() {
  if (Running()) {
    ::kill(child_, SIGKILL);
    Wait();
  }
}

bool PalvarinProcess::Running() {
  if (child_ < 0 || status_ >= 0) return false;
  int status = 0;
  if (::waitpid(child_, &status, WNOHANG) != child_) return true;
  status_ = StatusOf(status);
  return false;
}

ProcessResult PalvarinProcess::Wait(std::chrono::seconds guard) {
  ProcessResult result;
  if (!Eventually([this] { return !Running(); }, guard)) {
    result.timedOut = true;
    ::kill(child_, SIGKILL);
    int status = 0;
    ::waitpid(child_, &status, 0);
    status_ = StatusOf(status);
  }
  result.status = status_;
  result.out = ReadFile(streams_ / "out");
  result.err = ErrorSoFar();
  return result;
}

void PalvarinProcess::Signal(int signal) {
  if (child_ >= 0 && status_ < 0) ::kill(child_, signal);
}

bool PalvarinProcess::Catches(int signal) const {
  const std::string status = ReadFile("/proc/" + std::to_string(child_) + "/status");
  const auto at = status.find("SigCgt:");
  if (at == std::string::npos) return false;
  const unsigned long long mask = std::stoull(status.substr(at + 7), nullptr, 16);
  return ((mask >> (signal - 1)) & 1u) != 0;
}

std::string PalvarinProcess::ErrorSoFar() const { return ReadFile(streams_ / "err"); }

ProcessResult RunPalvarin(const std::vector<std::string>& arguments,
                          const std::filesystem::path& workFolder,
                          const std::filesystem::path& profile,
                          const std::vector<std::string>& environment) {
  return PalvarinProcess(arguments, workFolder, profile, environment).Wait();
}

}  // namespace palvarin::test

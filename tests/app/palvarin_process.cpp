#include "palvarin_process.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "support/test_support.hpp"

extern char** environ;

namespace palvarin::test {
namespace {

std::vector<std::string> ChildEnvironment(const std::filesystem::path& profile,
                                          const std::vector<std::string>& extra) {
  std::vector<std::string> environment;
  for (char** at = environ; *at; ++at) {
    const std::string item = *at;
    const std::string name = item.substr(0, item.find('='));
    if (name == "PALVARIN_PROFILE" || name == "TZ" || name == "DISPLAY" ||
        name == "WAYLAND_DISPLAY" || name == "QT_QPA_PLATFORM" || name.starts_with("PALVARIN_")) {
      continue;
    }
    environment.push_back(item);
  }
  environment.push_back("PALVARIN_PROFILE=" + profile.string());
  environment.push_back("TZ=Asia/Tokyo");
  environment.insert(environment.end(), extra.begin(), extra.end());
  return environment;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ProcessResult RunPalvarin(const std::vector<std::string>& arguments,
                          const std::filesystem::path& workFolder,
                          const std::filesystem::path& profile,
                          const std::vector<std::string>& environment) {
  TempFolder streams;
  const auto outPath = streams / "out";
  const auto errPath = streams / "err";
  std::vector<std::string> argv{PALVARIN_BINARY};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<std::string> envp = ChildEnvironment(profile, environment);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addchdir_np(&actions, workFolder.c_str());
  pid_t child = 0;
  auto argvPointers = Pointers(argv);
  auto envPointers = Pointers(envp);
  ProcessResult result;
  if (posix_spawn(&child, PALVARIN_BINARY, &actions, nullptr, argvPointers.data(),
                  envPointers.data()) == 0) {
    int status = 0;
    waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  return result;
}

}  // namespace palvarin::test

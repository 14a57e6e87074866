#include "files/user_folders.hpp"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace palvarin {

std::filesystem::path HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') return home;
  const passwd* user = ::getpwuid(::getuid());
  return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

std::filesystem::path XdgBaseFolder(const char* variable, const char* underHome) {
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') return value;
  return HomeFolder() / underHome;
}

}  // namespace palvarin

#include "state/profile_location.hpp"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace palvarin {
namespace {

const char* NonEmptyVariable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? value : nullptr;
}

std::filesystem::path HomeFolder() {
  if (const char* home = NonEmptyVariable("HOME")) return home;
  const passwd* user = ::getpwuid(::getuid());
  return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

// A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
std::filesystem::path ConfigFolder() {
  const char* config = NonEmptyVariable("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return config;
  return HomeFolder() / ".config";
}

}  // namespace

std::filesystem::path ProfileLocation() {
  if (const char* file = NonEmptyVariable("PALVARIN_PROFILE")) return file;
  return ConfigFolder() / "Ostrevik" / "Palvarin" / "profile.sqlite3";
}

}  // namespace palvarin

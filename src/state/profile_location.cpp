#include "state/profile_location.hpp"

#include <cstdlib>

#include "files/user_folders.hpp"

namespace palvarin {

std::filesystem::path ProfileLocation() {
  if (const char* file = std::getenv("PALVARIN_PROFILE"); file != nullptr && file[0] != '\0') {
    return file;
  }
  return XdgBaseFolder("XDG_CONFIG_HOME", ".config") / "Ostrevik" / "Palvarin" / "profile.sqlite3";
}

}  // namespace palvarin

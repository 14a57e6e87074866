#pragma once

#include <filesystem>

namespace palvarin {

// Where the profile lives: $PALVARIN_PROFILE when set, else
// $XDG_CONFIG_HOME/Ostrevik/Palvarin/profile.sqlite3 ($XDG_CONFIG_HOME defaulting to ~/.config).
std::filesystem::path ProfileLocation();

}  // namespace palvarin

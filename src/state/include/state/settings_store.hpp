#pragma once

#include "state/merge_settings.hpp"
#include "state/profile_store.hpp"

namespace palvarin {

// Sets every field of `settings` from the "Setting" section; absent values give the defaults.
void LoadSettings(ProfileStore& store, MergeSettings& settings);

// Writes the nine values to the "Setting" section, the paths made absolute (AbsolutePath), so that
// a run from another folder finds them; the first failure when any was not written.
Result<> SaveSettings(ProfileStore& store, const MergeSettings& settings);

}  // namespace palvarin

#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "state/merge_settings.hpp"

namespace palvarin {

// The settings the switches of a command line set, each one only when a switch gave it: laid
// over the profile's record for the dialog and a merge, over the defaults for an export and a
// gather, which take nothing from the profile.
struct SettingsOverlay {
  std::optional<std::string> Path1;
  std::optional<std::string> Path2;
  std::optional<std::string> PathSave;
  std::optional<palvarin::InTarget> InTarget;
  std::optional<palvarin::OutTarget> OutTarget;
  std::optional<bool> CreateBackup;
  std::optional<std::uint32_t> BackupMax;
  std::optional<bool> NotMergeSameDatetime;
  std::optional<bool> IgnoreOldMerge;
  std::optional<bool> FindEchoes;

  // `settings` with every value given here in place of its own.
  MergeSettings Over(MergeSettings settings) const;

  bool operator==(const SettingsOverlay&) const = default;
};

}  // namespace palvarin

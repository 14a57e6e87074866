#pragma once

#include <filesystem>

#include "state/merge_settings.hpp"

namespace palvarin::test {

// A job over `first` and `second` (files or folders): over both, or into `output` when one is
// given. No backups, and pairs alike in size and time are merged all the same.
inline MergeSettings JobSettings(InTarget in, const std::filesystem::path& first,
                                 const std::filesystem::path& second,
                                 const std::filesystem::path& output = {}) {
  MergeSettings settings;
  settings.InTarget = in;
  settings.OutTarget = output.empty() ? OutTarget::OverWrite : OutTarget::OtherFile;
  settings.Path1 = first;
  settings.Path2 = second;
  settings.PathSave = output;
  settings.CreateBackup = false;
  settings.NotMergeSameDatetime = false;
  return settings;
}

}  // namespace palvarin::test

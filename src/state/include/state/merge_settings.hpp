#pragma once

#include <cstdint>
#include <string>

namespace palvarin {

// What the two inputs are. The numbers are the positions of the dialog's radio buttons.
enum class InTarget : int { Folder = 0, File = 1 };
// Where the result goes.
enum class OutTarget : int { OtherFile = 0, OverWrite = 1 };

// All options of a merge job, each field named after its profile value.
struct MergeSettings {
  std::string Path1;
  std::string Path2;
  std::string PathSave;
  palvarin::InTarget InTarget = palvarin::InTarget::Folder;
  palvarin::OutTarget OutTarget = palvarin::OutTarget::OverWrite;
  bool CreateBackup = true;
  std::uint32_t BackupMax = 0;
  bool NotMergeSameDatetime = true;
  bool IgnoreOldMerge = true;
  bool FindEchoes = true;

  bool operator==(const MergeSettings&) const = default;
};

}  // namespace palvarin

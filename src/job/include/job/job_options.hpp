#pragma once

#include <cstdint>
#include <string>

namespace palvarin {

// The options of a merge job under the names of what they do. The profile's record keeps its
// own names; the front ends map it to these (JobOptionsOf in app).
struct JobOptions {
  std::string first;
  std::string second;
  std::string separateOutput;   // read only when the merge does not overwrite the inputs
  bool folders = true;          // two folders paired by file name, else two files
  bool overwrite = true;        // the merge goes over the first input and is copied over the second
  bool makeBackups = true;      // of the inputs, before they are overwritten
  std::uint32_t backupMax = 0;  // backups kept per input; 0 keeps every one
  bool skipUnchanged = true;    // leave a pair alone whose files look alike (size, last write)
  bool applyArchiveRule = true;  // keep out what was merged and removed since the last merge
  bool findEchoes = true;        // write once what two PCs signed in at once both logged

  // Where the merge is written.
  const std::string& Output() const { return overwrite ? first : separateOutput; }

  bool operator==(const JobOptions&) const = default;
};

}  // namespace palvarin

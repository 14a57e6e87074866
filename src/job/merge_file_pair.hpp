#pragma once

#include <cstdint>
#include <string>

#include "job/job_report.hpp"

namespace palvarin {

class ProfileStore;

// How one pair is merged.
struct PairOptions {
  bool createBackup = false;
  std::uint32_t backupMax = 0;
  bool skipUnchanged = false;
  bool applyArchiveRule = false;
  // Off when the pair's files are brought level later (the copy back of an overwrite job):
  // a time recorded before both files hold the merge would archive away the entries that the
  // second file has not received yet. The caller records it (RecordMergeTime, MergeTimeBatch)
  // once both files hold the merge.
  bool recordMergeTime = true;
  // Read and merge, write nothing: no backup, no output, no merge time.
  bool dryRun = false;
  // Both inputs end up holding the merge (the first saved over, the second copied back).
  bool overwrite = false;
  // Merge the whole entries of an input that breaks off instead of failing the pair; an input
  // written over is first kept as a backup, whatever the backup settings.
  bool rescue = false;
  // Write once what two PCs signed in at once both logged, each on its own clock.
  bool findEchoes = true;
};

// The report of the pair of `first` and `second` into `output`, failed until told otherwise.
PairReport NewPairReport(const std::string& first, const std::string& second,
                         const std::string& output);

// The report of a pair that a stop kept from starting: its files are as they were.
PairReport NotRunPair(const std::string& first, const std::string& second,
                      const std::string& output);

// True when both files can be read and have the same size and last-write time. One file
// reached through two paths is never unchanged.
bool IsPairUnchanged(const std::string& first, const std::string& second);

// Merges two history files into `output` (which may be the first input): the unchanged skip,
// backups, the archive cut-off, the merge, an atomic save; the merge-time record is the
// caller's, from the report's heldByBoth. A failed
// pair writes nothing but the backups it made, and says why.
PairReport MergeFilePair(const std::string& first, const std::string& second,
                         const std::string& output, const PairOptions& options,
                         ProfileStore& profile);

}  // namespace palvarin

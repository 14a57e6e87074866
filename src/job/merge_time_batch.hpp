#pragma once

#include <mutex>
#include <utility>
#include <vector>

#include "job/job_report.hpp"
#include "time/time_value.hpp"

namespace palvarin {

class ProfileStore;

// Merge times waiting to go to the profile together: a folder job merges hundreds of pairs,
// and a transaction each cost it more than merging small files. A pair's time is the moment it
// was added; a pair whose record could not be written gets a warning.
class MergeTimeBatch {
 public:
  explicit MergeTimeBatch(ProfileStore& profile) : profile_(profile) {}
  MergeTimeBatch(const MergeTimeBatch&) = delete;
  MergeTimeBatch& operator=(const MergeTimeBatch&) = delete;

  // Takes a merged pair whose files both hold the merge now, writing every pair waiting once
  // enough wait. From any thread; `pair` must stay where it is until written.
  void Add(PairReport& pair);
  // Writes every pair waiting.
  void Write();

 private:
  void WriteWaiting();

  ProfileStore& profile_;
  std::mutex mutex_;
  std::vector<std::pair<PairReport*, TimeValue>> waiting_;
};

// Records the current time as the last merge of a merged pair; a warning when it cannot.
void RecordMergeTime(PairReport& pair, ProfileStore& profile);

}  // namespace palvarin

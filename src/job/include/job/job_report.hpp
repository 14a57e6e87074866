#pragma once

#include <string>
#include <vector>

#include "history/entry_identity.hpp"
#include "merge/merge_counts.hpp"

namespace palvarin {

// What became of one pair of history files.
enum class PairOutcome { Merged, Unchanged, Failed };

struct PairReport {
  std::string first;
  std::string second;
  std::string output;
  PairOutcome outcome = PairOutcome::Failed;
  std::string reason;  // for a failed pair: what went wrong and what was left untouched
  MergeCounts counts;
  std::vector<std::string> warnings;  // done, but something the user should know
  // The entries both files hold after the merge, recorded with its time once they do.
  std::vector<EntryIdentity> heldByBoth;
};

// A history file found on one side only, or the merged first input copied over the second.
enum class CopyOutcome { Copied, KeptExisting, Failed };

struct CopyReport {
  bool copyBack = false;  // the merged first input over the second, not a one-side file
  std::string from;
  std::string to;
  CopyOutcome outcome = CopyOutcome::Failed;
  std::string reason;
};

// Everything one job did, for the terminal and for the dialog alike.
struct JobReport {
  std::vector<PairReport> pairs;
  std::vector<CopyReport> copies;
  std::vector<std::string> warnings;

  int Count(PairOutcome outcome) const;
  int Count(CopyOutcome outcome) const;
  // A pair or a copy failed: the user must be told, and the exit status says so.
  bool AnyFailed() const;
  // The entries the archive rule left out, over all pairs.
  int ArchivedEntries() const;
};

}  // namespace palvarin

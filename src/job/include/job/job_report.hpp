#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/result.hpp"
#include "history/entry_identity.hpp"
#include "merge/merge_counts.hpp"

namespace palvarin {

// What became of one pair of history files. NotRun: the job was stopped before the pair
// started, so both files are as they were. In a dry run, Merged means "would be merged".
enum class PairOutcome { Merged, Unchanged, Failed, NotRun };

struct PairReport {
  std::string first;
  std::string second;
  std::string output;
  PairOutcome outcome = PairOutcome::Failed;
  // For a failed pair: what went wrong. What it left as it was follows from the facts (the
  // front ends word it with the cause): its inputs always, and its output too when the pair
  // failed while writing it; the backups below were made all the same.
  Phrase reason;
  bool outputLeft = false;
  MergeCounts counts;
  std::vector<Phrase> warnings;  // done, but something the user should know
  // The backups this pair made of its inputs, and the older ones the rotation deleted for them
  // (in a dry run: those it would make and delete).
  std::vector<std::string> backupsMade;
  std::vector<std::string> backupsRemoved;
  // The newest backups that hold an input's bytes already, made in no new backup.
  std::vector<std::string> backupsKept;
  // The entries both files hold after the merge, recorded with its time once they do.
  std::vector<EntryIdentity> heldByBoth;
};

// A history file found on one side only, or the merged first input copied over the second.
// NotRun: the job was stopped before the copy started.
enum class CopyOutcome { Copied, KeptExisting, Failed, NotRun };

struct CopyReport {
  bool copyBack = false;  // the merged first input over the second, not a one-side file
  // The stylesheet the histories name, copied into a separate output folder that had none.
  bool stylesheet = false;
  std::string from;
  std::string to;
  CopyOutcome outcome = CopyOutcome::Failed;
  Phrase reason;
};

// Everything one job did, for the terminal and for the dialog alike.
struct JobReport {
  std::vector<PairReport> pairs;
  std::vector<CopyReport> copies;
  std::vector<Phrase> warnings;
  // Nothing was written: the report says what the job would have done.
  bool dryRun = false;
  // A stop was asked for while the job ran; the items it kept from starting are NotRun.
  bool stopped = false;

  int Count(PairOutcome outcome) const;
  int Count(CopyOutcome outcome) const;
  // A pair or a copy failed: the user must be told, and the exit status says so.
  bool AnyFailed() const;
  // The entries the archive rule left out, over all pairs.
  int ArchivedEntries() const;
};

// Puts `contents`, a report in some form, into `file`, which only a complete, flushed new file
// replaces: a reader never sees half a report.
Result WriteReportFile(const std::string& file, std::string_view contents);

}  // namespace palvarin

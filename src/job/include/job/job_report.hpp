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

// What kept a pair from being merged, or from starting; the front ends word it from the
// facts that go with it.
enum class PairProblem {
  None,
  NotStarted,    // a stop came before the pair
  BackupFailed,  // the backup of `problemPath` could not be made, for `cause`
  NotAHistory,   // an input is no history, or could not be read: `cause` names it
  NotSaved,      // the output could not be written, for `cause`; it was left as it was
  OutOfMemory,   // `cause` ran out while the pair was merged; the output was left as it was
  SharedFile,    // `problemPath` is the same file as `otherPath`: one history over another
  Unguarded,     // other jobs could not be kept away from the files, for `cause`
};

// Something the user should know about a pair that was merged all the same.
enum class PairWarning { MergeTimeNotRecorded };

struct PairReport {
  std::string first;
  std::string second;
  std::string output;
  // A gather's copies of this name, in the order given (`first` is the first of them and
  // `second` empty); empty for a pair. Its counts say fromBoth for the entries several copies
  // (the output's history among them) held, fromInput1 for those one copy held.
  std::vector<std::string> copies;
  // For each of `copies`: how many entries it gave, and how many of them no other copy (nor
  // the output's history) held; twins hold theirs together. Filled once the copies are read.
  std::vector<int> copyEntries, copyAlone;
  PairOutcome outcome = PairOutcome::Failed;
  // For a failed or not started pair: what happened, with its facts. What a failed pair left
  // as it was follows from them: its inputs always, its output too when it failed while
  // writing it; the backups below were made all the same.
  PairProblem problem = PairProblem::None;
  Reason cause;             // the reason the file system or the history gave
  std::string problemPath;  // BackupFailed, SharedFile; NotAHistory: the file that is none
  std::string otherPath;    // SharedFile
  MergeCounts counts;
  std::vector<PairWarning> warnings;
  // The backups this pair made of its inputs, and the older ones the rotation deleted for them
  // (in a dry run: those it would make and delete).
  std::vector<std::string> backupsMade;
  std::vector<std::string> backupsRemoved;
  // The newest backups that hold an input's bytes already, made in no new backup.
  std::vector<std::string> backupsKept;
  // The inputs that break off and whose whole entries were merged (ReasonKind::BrokenOff...).
  std::vector<Reason> rescued;
  // The entries both files hold after the merge, recorded with its time once they do.
  std::vector<EntryIdentity> heldByBoth;
};

// A history file found on one side only, or the merged first input copied over the second.
// MergedWithOutput: a separate output held a history of that name already, which was taken for
// a copy of the one found and merged with it. KeptExisting: the output's file was left as it
// was. NotRun: the job was stopped before the copy started.
enum class CopyOutcome { Copied, MergedWithOutput, KeptExisting, Failed, NotRun };

// What kept a copy from being made, or from starting.
enum class CopyProblem {
  None,
  NotStarted,         // a stop came before the copy
  NotAHistory,        // the file found on one side only is no history: `cause`
  OutputNotAHistory,  // KeptExisting: the output's file of that name is no history, `cause`
  Failed,             // the copy, or the merge with the output's history, failed: `cause`
};

struct CopyReport {
  bool copyBack = false;  // the merged first input over the second, not a one-side file
  // The stylesheet the histories name, copied into a separate output folder that had none.
  bool stylesheet = false;
  std::string from;
  std::string to;
  CopyOutcome outcome = CopyOutcome::Failed;
  CopyProblem problem = CopyProblem::None;
  Reason cause;  // NotAHistory, OutputNotAHistory, Failed: what the history or the file system gave
  // MergedWithOutput: the entries of the merge, the file found as the first input and the
  // output's history as the second.
  MergeCounts counts;
  // A one-side history that breaks off, whose whole entries were written (ReasonKind::
  // BrokenOff...), and the backup of it kept before it was written over.
  std::vector<Reason> rescued{};
  std::vector<std::string> backupsMade{};
};

// Something the user should know about the job as a whole.
struct JobWarning {
  // NoHistories: a folder job found no history in either folder (both read), which a job
  // given the wrong folders does; it counts as a failure. SettingsNotSaved: the front end that
  // ran the job could not store its settings.
  enum class Kind { FolderNotRead, SettingsNotSaved, NoHistories } kind;
  Reason cause;  // FolderNotRead: why; NoHistories: the folders as `path` and `detail`
};

// Everything one job did, for the terminal and for the dialog alike.
struct JobReport {
  std::vector<PairReport> pairs;
  std::vector<CopyReport> copies;
  std::vector<JobWarning> warnings;
  // Nothing was written: the report says what the job would have done.
  bool dryRun = false;
  // A gather of many copies: its items are PairReports with their copies.
  bool gather = false;
  // A stop was asked for while the job ran; the items it kept from starting are NotRun.
  bool stopped = false;

  int Count(PairOutcome outcome) const;
  int Count(CopyOutcome outcome) const;
  // A pair or a copy failed, or a folder job found nothing to merge: the user must be told,
  // and the exit status says so.
  bool AnyFailed() const;
  // The entries the archive rule left out, over all pairs.
  int ArchivedEntries() const;
};

// Puts `contents`, a report in some form, into `file`, which only a complete, flushed new file
// replaces: a reader never sees half a report.
Result<> WriteReportFile(const std::string& file, std::string_view contents);

}  // namespace palvarin

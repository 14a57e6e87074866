#include "merge_folders.hpp"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "files/file_ops.hpp"
#include "files/folder_listing.hpp"
#include "history/history_rule.hpp"
#include "history/log_document.hpp"
#include "history/xml_error.hpp"
#include "history_copy.hpp"
#include "merge_time_batch.hpp"
#include "parallel_work.hpp"
#include "shared_files.hpp"
#include "stylesheet.hpp"

namespace palvarin {
namespace {

// A history of one side only that breaks off, with the rescue asked for: its whole entries are
// written by merging it with itself, as a pair's input would be. In overwrite mode (`level`),
// over the file itself first (kept as a backup before, whatever the settings), then copied as
// any one-side history, so that both folders hold the same; else to `to` directly.
CopyReport RescueOneSideFile(const std::string& from, const std::string& to, CopyMode mode,
                             bool level, const PairOptions& options, ProfileStore& profile) {
  PairOptions self = options;
  self.skipUnchanged = false;
  self.applyArchiveRule = false;
  self.recordMergeTime = false;
  self.overwrite = false;
  const PairReport pair = MergeFilePair(from, from, level ? from : to, self, profile);
  CopyReport copy = NewCopyReport(from, to, false);
  if (pair.outcome != PairOutcome::Merged) {
    copy.problem = CopyProblem::Failed;
    copy.cause = pair.cause;
    return copy;
  }
  if (level) {
    copy = CopyHistoryFile(from, to, mode, false, options.dryRun);
  } else {
    copy.outcome = CopyOutcome::Copied;
  }
  // Read twice as both inputs of the merge, the file is noted and kept once (none when it was
  // made whole meanwhile).
  if (!pair.rescued.empty()) copy.rescued = {pair.rescued.front()};
  copy.backupsMade = pair.backupsMade;
  copy.backupsMade.erase(std::unique(copy.backupsMade.begin(), copy.backupsMade.end()),
                         copy.backupsMade.end());
  return copy;
}

// A file found on one side only is copied only when it is a history: another kind of file under
// a history's name would be merged as one by every later job. One that breaks off is rescued
// when asked (RescueOneSideFile), else refused saying where it breaks.
CopyReport CopyOneSideFile(const std::string& from, const std::string& to, CopyMode mode,
                           bool level, const PairOptions& options, ProfileStore& profile) {
  Reason refusal;
  try {
    const Result<LogDocument> log = LoadLogDocument(from);
    if (log) return CopyHistoryFile(from, to, mode, false, options.dryRun);
    refusal = log.reason();
  } catch (const XmlError& error) {
    refusal = error.Why();
  }
  const bool brokenOff = refusal.kind == ReasonKind::BrokenOffInEntry ||
                         refusal.kind == ReasonKind::BrokenOffBetweenEntries;
  if (brokenOff && options.rescue) {
    return RescueOneSideFile(from, to, mode, level, options, profile);
  }
  CopyReport copy = NewCopyReport(from, to, false);
  copy.problem = CopyProblem::NotAHistory;
  copy.cause = std::move(refusal);
  return copy;
}

// True when the file of a one-side copy proved no history (history_rule.hpp): not copied, and,
// as a file of another name, not reported either. A name both folders hold is merged, and a
// pair with a file that is none fails: one of the two may be a history that must not be lost.
bool IsNoHistory(const CopyReport& copy) {
  return copy.problem == CopyProblem::NotAHistory && SaysNoHistory(copy.cause.kind);
}

// A history found on one side only, into a separate output folder. Where the output holds that
// name already (an earlier job's copy, say), its file is taken for a copy of the history and
// merged with it, so that the output gains what the history gained since and keeps what only
// it holds; a file there that is no history is left alone. Neither the unchanged skip nor the
// archive rule applies: the output's copy is no other PC's history whose deletions the rule
// could judge (a record of these two files, from a file job say, would drop what only the copy
// still holds), and no merge time is recorded for it.
CopyReport OneSideIntoOutput(const std::string& from, const std::string& to,
                             const PairOptions& options, ProfileStore& profile) {
  const std::optional<FileIdentity> there = NameTaken(to) ? IdentityOf(to) : std::nullopt;
  // A link in the output to the very history: it holds everything already.
  if (!there || there == IdentityOf(from)) {
    return CopyOneSideFile(from, to, CopyMode::FailIfExists, false, options, profile);
  }
  PairOptions merge;
  merge.dryRun = options.dryRun;
  merge.rescue = options.rescue;
  PairReport pair = MergeFilePair(from, to, to, merge, profile);
  CopyReport copy = NewCopyReport(from, to, false);
  copy.counts = pair.counts;
  copy.cause = std::move(pair.cause);
  if (pair.outcome == PairOutcome::Merged) {
    copy.outcome = CopyOutcome::MergedWithOutput;
  } else if (pair.problem != PairProblem::NotAHistory) {
    copy.problem = CopyProblem::Failed;
  } else if (pair.problemPath == from) {
    copy.problem = CopyProblem::NotAHistory;
  } else {
    copy.outcome = CopyOutcome::KeptExisting;
    copy.problem = CopyProblem::OutputNotAHistory;
  }
  return copy;
}

// A pair left alone because its name shares a file with another name.
PairReport SharedFilePair(const std::string& first, const std::string& second,
                          const std::string& output, const SharedPaths& paths) {
  PairReport pair = NewPairReport(first, second, output);
  FailAsShared(pair, paths);
  return pair;
}

// The files this job copied into the folder `prefix` (from the other input folder).
std::set<std::string> CopiedInto(const std::string& prefix, const JobReport& report) {
  std::set<std::string> copied;
  for (const CopyReport& copy : report.copies) {
    if (copy.outcome == CopyOutcome::Copied && copy.to.starts_with(prefix)) copied.insert(copy.to);
  }
  return copied;
}

// The pair of each first input, to see how it went.
std::map<std::string, PairReport*> PairsByFirstInput(JobReport& report) {
  std::map<std::string, PairReport*> pairs;
  for (PairReport& pair : report.pairs) pairs[pair.first] = &pair;
  return pairs;
}

// One name's work in a folder job: the merge of its two files, or the copy of one file.
struct FolderTask {
  FolderTask(std::string fromPath, std::string secondPath, std::string toPath, std::uint64_t bytes)
      : from(std::move(fromPath)),
        second(std::move(secondPath)),
        to(std::move(toPath)),
        weight(bytes) {}

  std::string from;    // the first input, or the file copied
  std::string second;  // the second input of a merge; empty for a copy
  std::string to;
  std::uint64_t weight;  // the sizes of the files it reads
  PairReport pair;
  CopyReport copy;

  bool IsMerge() const { return !second.empty(); }
  JobItemKind Kind() const { return IsMerge() ? JobItemKind::Pair : JobItemKind::Copy; }
  // The output's name is a link, which the job does not write through.
  void RefusedLink(Reason why) {
    if (IsMerge()) {
      pair = NewPairReport(from, second, to);
      pair.problem = PairProblem::NotSaved;
      pair.cause = std::move(why);
    } else {
      copy = NewCopyReport(from, to, false);
      copy.problem = CopyProblem::Failed;
      copy.cause = std::move(why);
    }
  }

  // What is reported for a task that a stop kept from starting: its files are as they were.
  void NotRun(bool copyBack) {
    if (IsMerge()) {
      pair = NotRunPair(from, second, to);
    } else {
      copy = NewCopyReport(from, to, copyBack);
      copy.outcome = CopyOutcome::NotRun;
      copy.problem = CopyProblem::NotStarted;
    }
  }
};

// What each task loads, as RunInParallel asks it.
std::function<std::uint64_t(std::size_t)> WeightOf(const std::vector<FolderTask>& tasks) {
  return [&tasks](std::size_t i) { return tasks[i].weight; };
}

}  // namespace

std::size_t MergeFolders(const JobFolders& folders, const PairOptions& options, bool thenCopyBack,
                         ProfileStore& profile, JobReport& report, JobContext& context) {
  const std::string prefix1 = FolderPrefix(folders.paths[0]);
  const std::string prefix2 = FolderPrefix(folders.paths[1]);
  const std::string prefixOut = FolderPrefix(folders.paths[2]);
  const std::set<std::string> names1 = HistoriesListed(folders.listed[0], report.warnings);
  const std::set<std::string> names2 = HistoriesListed(folders.listed[1], report.warnings);
  std::set<std::string> allNames = names1;
  allNames.insert(names2.begin(), names2.end());
  // Only what a folder holds is looked at there, unless it could not be listed.
  const FolderFiles found({{prefix1, HistoriesOf(folders.listed[0])},
                           {prefix2, HistoriesOf(folders.listed[1])},
                           {prefixOut, HistoriesOf(folders.listed[2])}},
                          allNames);
  const auto shared = NamesSharingAFile(found);
  for (const auto& [name, paths] : shared) {
    report.pairs.push_back(SharedFilePair(prefix1 + name, prefix2 + name, prefixOut + name, paths));
  }

  // Sized once: a task carries its reports, and growing a thousand of them moved each several
  // times through fresh memory.
  std::vector<FolderTask> tasks;
  tasks.reserve(allNames.size());
  // A one-side history may be merged with the separate output's file of its name: both count.
  const auto oneSideSize = [&found, thenCopyBack](std::size_t folder, const std::string& name) {
    return found.Size(folder, name) + (thenCopyBack ? 0 : found.Size(2, name));
  };
  for (const std::string& name : names1) {
    if (shared.count(name)) continue;
    if (names2.count(name)) {
      tasks.emplace_back(prefix1 + name, prefix2 + name, prefixOut + name,
                         found.Size(0, name) + found.Size(1, name));
    } else if (prefix1 != prefixOut) {
      tasks.emplace_back(prefix1 + name, std::string(), prefixOut + name, oneSideSize(0, name));
    }
  }
  for (const std::string& name : names2) {
    if (!names1.count(name) && !shared.count(name)) {
      tasks.emplace_back(prefix2 + name, std::string(), prefixOut + name, oneSideSize(1, name));
    }
  }
  // Every name has files of its own (names sharing one were set aside above), so the tasks
  // touch disjoint files and may run side by side. Not with backups: a rotation counts every
  // backup whose name begins with its input's name, so "a.xml" could delete the backup that
  // "a.xml_2.xml" has just made. One at a time in name order, a name's rotation always runs
  // before the longer names', and every backup made by the job survives it.
  const unsigned workers = options.createBackup ? 1 : FolderWorkers();
  if (prefixOut != prefix1 && prefixOut != prefix2 && !context.StopRequested()) {
    CopyStylesheet({prefix1, prefix2}, prefixOut, context.DryRun(), report);
  }
  std::size_t copiesBack = 0;
  if (thenCopyBack) {
    for (const std::string& name : names1) copiesBack += shared.count(name) == 0 ? 1 : 0;
  }
  context.Plan(tasks.size() + copiesBack);
  StageProgress progress(context, JobStage::Merging);
  MergeTimeBatch mergeTimes(profile);
  const bool separateOutput = prefixOut != prefix1 && prefixOut != prefix2;
  RunInParallel(tasks.size(), WeightOf(tasks), workers, kParallelBytesBudget, [&](std::size_t i) {
    FolderTask& task = tasks[i];
    if (!progress.Start(i, task.Kind(), task.from)) return task.NotRun(false);
    // The output folder's histories are written there, never through a link to a file
    // elsewhere: that file might be anything, another contact's history or no history at all.
    if (const Result<> own = separateOutput ? RefuseLink(task.to) : Result<>{}; !own) {
      task.RefusedLink(own.reason());
    } else if (task.IsMerge()) {
      task.pair = MergeFilePair(task.from, task.second, task.to, options, profile);
      if (options.recordMergeTime && task.pair.outcome == PairOutcome::Merged &&
          !context.DryRun()) {
        mergeTimes.Add(task.pair);
      }
    } else if (thenCopyBack) {
      // Into folder 1, which lacks the name: the copy back brings both folders level.
      task.copy =
          CopyOneSideFile(task.from, task.to, CopyMode::FailIfExists, true, options, profile);
    } else {
      task.copy = OneSideIntoOutput(task.from, task.to, options, profile);
    }
    progress.Finish(i, task.Kind(), task.from);
  });
  mergeTimes.Write();

  report.pairs.reserve(report.pairs.size() + tasks.size());
  for (FolderTask& task : tasks) {
    if (task.IsMerge()) {
      report.pairs.push_back(std::move(task.pair));
    } else if (!IsNoHistory(task.copy)) {
      report.copies.push_back(std::move(task.copy));
    }
  }
  return copiesBack;
}

void CopyFolderBack(const std::string& folder1, const std::string& folder2, std::size_t planned,
                    const PairOptions& options, ProfileStore& profile, JobReport& report,
                    JobContext& context) {
  const std::string prefix1 = FolderPrefix(folder1);
  const std::string prefix2 = FolderPrefix(folder2);
  const std::map<std::string, PairReport*> pairs = PairsByFirstInput(report);
  const std::set<std::string> fromFolder2 = CopiedInto(prefix1, report);
  const std::set<std::string> names = ListHistoryFiles(prefix1, report.warnings);
  const FolderFiles found({{prefix1, nullptr}}, names);  // the names are what it lists
  std::vector<FolderTask> tasks;
  std::vector<PairReport*> mergedPairs;
  for (const std::string& name : names) {
    if (fromFolder2.count(prefix1 + name)) continue;  // folder 2 holds these bytes already
    const auto pair = pairs.find(prefix1 + name);
    PairReport* merged = pair == pairs.end() ? nullptr : pair->second;
    if (merged && merged->outcome != PairOutcome::Merged) continue;
    tasks.emplace_back(prefix1 + name, std::string(), prefix2 + name, found.Size(0, name));
    mergedPairs.push_back(merged);
  }
  // Pairs that were not merged are not copied back.
  context.Replan(planned, tasks.size());
  StageProgress progress(context, JobStage::CopyingBack);
  const bool dryRun = context.DryRun();
  MergeTimeBatch mergeTimes(profile);
  const unsigned workers = FolderWorkers();
  RunInParallel(tasks.size(), WeightOf(tasks), workers, kParallelBytesBudget, [&](std::size_t i) {
    FolderTask& task = tasks[i];
    // The copy of a merged pair finishes that pair, so no stop keeps it from starting.
    if (!progress.Start(i, JobItemKind::Copy, task.from, mergedPairs[i] == nullptr)) {
      return task.NotRun(mergedPairs[i] != nullptr);
    }
    // A merged pair's file was just written by the merge; a file of folder 1 only was not.
    task.copy =
        mergedPairs[i]
            ? CopyHistoryFile(task.from, task.to, CopyMode::Replace, true, dryRun)
            : CopyOneSideFile(task.from, task.to, CopyMode::Replace, true, options, profile);
    if (mergedPairs[i] && task.copy.outcome == CopyOutcome::Copied && !dryRun) {
      mergeTimes.Add(*mergedPairs[i]);
    }
    progress.Finish(i, JobItemKind::Copy, task.from);
  });
  mergeTimes.Write();
  for (FolderTask& task : tasks) {
    if (!IsNoHistory(task.copy)) report.copies.push_back(std::move(task.copy));
  }
}

}  // namespace palvarin

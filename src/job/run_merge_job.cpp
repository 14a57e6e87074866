#include "job/run_merge_job.hpp"

#include <cerrno>
#include <utility>

#include "files/file_ops.hpp"
#include "history_copy.hpp"
#include "job_context.hpp"
#include "job_locks.hpp"
#include "merge_file_pair.hpp"
#include "merge_folders.hpp"
#include "merge_time_batch.hpp"
#include "state/profile_store.hpp"

namespace palvarin {
namespace {

// A path that leads to the same file or folder as an input before it, whatever its spelling
// or links. An input merged with itself gains nothing, and a folder's copy back would copy
// each file over itself. A separate output that is an input would have that input written
// over without the backups an overwrite job makes, and with the other input's one-side
// histories merged into its own.
std::optional<Refusal> SamePlaceTwice(const JobOptions& job) {
  const std::optional<FileIdentity> first = IdentityOf(job.first);
  const std::optional<FileIdentity> second = IdentityOf(job.second);
  if (first && first == second) {
    return Refusal{RefusalKind::SamePath, PathField::Second, job.second};
  }
  if (job.overwrite) return std::nullopt;
  const std::optional<FileIdentity> output = IdentityOf(job.separateOutput);
  if (output && (output == first || output == second)) {
    return Refusal{RefusalKind::SamePath, PathField::Output, job.separateOutput};
  }
  return std::nullopt;
}

// The first path that is missing or of the wrong kind, or that names an input again.
std::optional<Refusal> CheckPaths(const JobOptions& job) {
  const bool folderJob = job.folders;
  const bool outputChecked = folderJob && !job.overwrite;
  const std::pair<PathField, const std::string*> inputs[] = {{PathField::First, &job.first},
                                                             {PathField::Second, &job.second}};
  for (const auto& [field, path] : inputs) {
    if (!PathExists(*path)) return Refusal{RefusalKind::MissingPath, field, *path};
  }
  if (outputChecked && !PathExists(job.separateOutput)) {
    return Refusal{RefusalKind::MissingPath, PathField::Output, job.separateOutput};
  }
  for (const auto& [field, path] : inputs) {
    if (folderJob && !IsFolder(*path)) return Refusal{RefusalKind::NotFolder, field, *path};
    if (!folderJob && IsFolder(*path)) return Refusal{RefusalKind::NotFile, field, *path};
  }
  if (outputChecked && PathExists(job.separateOutput) && !IsFolder(job.separateOutput)) {
    return Refusal{RefusalKind::NotFolder, PathField::Output, job.separateOutput};
  }
  return SamePlaceTwice(job);
}

void RunFileJob(const JobOptions& job, const PairOptions& options, ProfileStore& profile,
                JobReport& report, JobContext& context) {
  const bool overwrite = job.overwrite;
  const std::string& output = job.Output();
  context.Plan(1);
  StageProgress progress(context, JobStage::Merging);
  if (!progress.Start(0, JobItemKind::Pair, job.first)) {
    report.pairs.push_back(NotRunPair(job.first, job.second, output));
    return;
  }
  report.pairs.push_back(MergeFilePair(job.first, job.second, output, options, profile));
  PairReport& pair = report.pairs.back();
  if (options.recordMergeTime && pair.outcome == PairOutcome::Merged && !context.DryRun()) {
    RecordMergeTime(pair, profile);
  }
  // Only a merged first input may replace the second: after a failure it is unmerged, and a
  // pair skipped as unchanged only looked alike by size and time. The copy finishes the pair,
  // so a stop does not keep it back.
  if (overwrite && pair.outcome == PairOutcome::Merged) {
    report.copies.push_back(
        CopyHistoryFile(job.first, job.second, CopyMode::Replace, true, context.DryRun()));
    if (report.copies.back().outcome == CopyOutcome::Copied && !context.DryRun()) {
      RecordMergeTime(pair, profile);
    }
  }
  progress.Finish(0, JobItemKind::Pair, job.first);
}

// A job that could not keep other jobs away from its files has done nothing.
PairReport Unguarded(const JobOptions& job, Reason why) {
  PairReport pair = NewPairReport(job.first, job.second, job.Output());
  pair.problem = PairProblem::Unguarded;
  pair.cause = std::move(why);
  return pair;
}

void RunFolderJob(const JobOptions& job, const JobFolders& folders, const PairOptions& options,
                  ProfileStore& profile, JobReport& report, JobContext& context) {
  const bool overwrite = job.overwrite;
  const std::size_t copiesBack =
      MergeFolders(folders, options, overwrite, profile, report, context);
  if (overwrite) {
    CopyFolderBack(job.first, job.second, copiesBack, options, profile, report, context);
  }
  if (report.pairs.empty() && report.copies.empty() && report.warnings.empty()) {
    report.warnings.push_back(
        {JobWarning::Kind::NoHistories, {.path = job.first, .detail = job.second}});
  }
}

}  // namespace

std::optional<Refusal> MissingRequiredPath(const JobOptions& job) {
  if (job.first.empty()) return Refusal{RefusalKind::NoPath, PathField::First, {}};
  if (job.second.empty()) return Refusal{RefusalKind::NoPath, PathField::Second, {}};
  if (!job.overwrite && job.separateOutput.empty()) {
    return Refusal{RefusalKind::NoPath, PathField::Output, {}};
  }
  return std::nullopt;
}

bool HasRequiredPaths(const JobOptions& job) { return !MissingRequiredPath(job); }

JobResult RunMergeJob(const JobRequest& request, ProfileStore& profile, JobObserver& observer) {
  const JobOptions& job = request.options;
  JobResult result;
  result.report.dryRun = request.dryRun;
  result.refusal = CheckPaths(job);
  if (result.refusal) return result;

  // Backups guard overwritten inputs only. The unchanged skip saves an overwrite job from
  // rewriting files that hold the merge already; a separate output must get the history.
  PairOptions options;
  options.createBackup = job.overwrite && job.makeBackups;
  options.backupMax = job.overwrite ? job.backupMax : 0u;
  options.skipUnchanged = job.overwrite && job.skipUnchanged && !request.mergeUnchanged;
  options.applyArchiveRule = job.applyArchiveRule;
  options.recordMergeTime = !job.overwrite;
  options.dryRun = request.dryRun;
  options.overwrite = job.overwrite;
  options.rescue = request.rescue;
  options.findEchoes = job.findEchoes;
  JobContext context(observer, request.stop, request.dryRun);
  HistoryLocks locks;
  JobFolders folders;
  const Result<> locked = LockJobFiles(
      job, locks, folders, [&observer] { observer.WaitingForOtherJob(); },
      [&context] { return !context.StopRequested(); });
  // A stop while waiting for another job runs the job stopped: it only reads the folders and
  // reports every pair and copy as not run, as a stop before the first pair would.
  if (!locked && locked.code() != ECANCELED) {
    result.report.pairs.push_back(Unguarded(job, locked.reason()));
  } else if (job.folders) {
    RunFolderJob(job, folders, options, profile, result.report, context);
  } else {
    RunFileJob(job, options, profile, result.report, context);
  }
  locks.Release();
  result.report.stopped = context.Stopped();
  return result;
}

}  // namespace palvarin

#include "job/run_merge_job.hpp"

#include <cerrno>
#include <utility>

#include "files/file_ops.hpp"
#include "job_context.hpp"
#include "job_locks.hpp"
#include "merge_file_pair.hpp"
#include "merge_folders.hpp"
#include "state/profile_store.hpp"
#include "state/settings_store.hpp"

namespace palvarin {
namespace {

// The first path that is missing or of the wrong kind.
std::optional<Refusal> CheckPaths(const MergeSettings& settings) {
  const bool folderJob = settings.InTarget == InTarget::Folder;
  const bool outputChecked = folderJob && settings.OutTarget == OutTarget::OtherFile;
  const std::pair<PathField, const std::string*> inputs[] = {{PathField::First, &settings.Path1},
                                                             {PathField::Second, &settings.Path2}};
  for (const auto& [field, path] : inputs) {
    if (!PathExists(*path)) return Refusal{RefusalKind::MissingPath, field, *path};
  }
  if (outputChecked && !PathExists(settings.PathSave)) {
    return Refusal{RefusalKind::MissingPath, PathField::Output, settings.PathSave};
  }
  for (const auto& [field, path] : inputs) {
    if (folderJob && !IsFolder(*path)) return Refusal{RefusalKind::NotFolder, field, *path};
    if (!folderJob && IsFolder(*path)) return Refusal{RefusalKind::NotFile, field, *path};
  }
  if (folderJob && PathExists(settings.PathSave) && !IsFolder(settings.PathSave)) {
    return Refusal{RefusalKind::NotFolder, PathField::Output, settings.PathSave};
  }
  return std::nullopt;
}

void RunFileJob(const MergeSettings& settings, const PairOptions& options, ProfileStore& profile,
                JobReport& report, JobContext& context) {
  const bool overwrite = settings.OutTarget == OutTarget::OverWrite;
  const std::string& output = settings.OutputPath();
  context.Plan(1);
  StageProgress progress(context, JobStage::Merging);
  if (!progress.Start(0, JobItemKind::Pair, settings.Path1)) {
    report.pairs.push_back(NotRunPair(settings.Path1, settings.Path2, output));
    return;
  }
  report.pairs.push_back(MergeFilePair(settings.Path1, settings.Path2, output, options, profile));
  PairReport& pair = report.pairs.back();
  // Only a merged first input may replace the second: after a failure it is unmerged, and a
  // pair skipped as unchanged only looked alike by size and time. The copy finishes the pair,
  // so a stop does not keep it back.
  if (overwrite && pair.outcome == PairOutcome::Merged) {
    report.copies.push_back(
        CopyHistoryFile(settings.Path1, settings.Path2, CopyMode::Replace, true, context.DryRun()));
    if (report.copies.back().outcome == CopyOutcome::Copied && !context.DryRun()) {
      RecordMergeTime(pair, profile);
    }
  }
  progress.Finish(0, JobItemKind::Pair, settings.Path1);
}

// A job that could not keep other jobs away from its files has done nothing.
PairReport Unguarded(const MergeSettings& settings, Reason why) {
  PairReport pair = NewPairReport(settings.Path1, settings.Path2, settings.OutputPath());
  pair.problem = PairProblem::Unguarded;
  pair.cause = std::move(why);
  return pair;
}

void RunFolderJob(const MergeSettings& settings, const PairOptions& options, ProfileStore& profile,
                  JobReport& report, JobContext& context) {
  const bool overwrite = settings.OutTarget == OutTarget::OverWrite;
  const std::size_t copiesBack = MergeFolders(settings.Path1, settings.Path2, settings.OutputPath(),
                                              options, overwrite, profile, report, context);
  if (overwrite)
    CopyFolderBack(settings.Path1, settings.Path2, copiesBack, profile, report, context);
}

}  // namespace

std::optional<Refusal> MissingRequiredPath(const MergeSettings& settings) {
  if (settings.Path1.empty()) return Refusal{RefusalKind::NoPath, PathField::First, {}};
  if (settings.Path2.empty()) return Refusal{RefusalKind::NoPath, PathField::Second, {}};
  if (settings.OutTarget == OutTarget::OtherFile && settings.PathSave.empty()) {
    return Refusal{RefusalKind::NoPath, PathField::Output, {}};
  }
  return std::nullopt;
}

bool HasRequiredPaths(const MergeSettings& settings) { return !MissingRequiredPath(settings); }

JobResult RunMergeJob(const MergeSettings& settings, ProfileStore& profile, JobObserver& observer,
                      const JobRequest& request) {
  JobResult result;
  result.report.dryRun = request.dryRun;
  result.refusal = CheckPaths(settings);
  if (result.refusal) return result;

  // Backups guard overwritten inputs only. The unchanged skip saves an overwrite job from
  // rewriting files that hold the merge already; a separate output must get the history.
  const bool overwrite = settings.OutTarget == OutTarget::OverWrite;
  PairOptions options;
  options.createBackup = overwrite && settings.CreateBackup;
  options.backupMax = overwrite ? settings.BackupMax : 0u;
  options.skipUnchanged = overwrite && settings.NotMergeSameDatetime && !request.mergeUnchanged;
  options.applyArchiveRule = settings.IgnoreOldMerge;
  options.recordMergeTime = !overwrite;
  options.dryRun = request.dryRun;
  JobContext context(observer, request.stop, request.dryRun);
  HistoryLocks locks;
  const Result<> locked = LockJobFiles(
      settings, locks, [&observer] { observer.WaitingForOtherJob(); },
      [&context] { return !context.StopRequested(); });
  // A stop while waiting for another job runs the job stopped: it only reads the folders and
  // reports every pair and copy as not run, as a stop before the first pair would.
  if (!locked && locked.code() != ECANCELED) {
    result.report.pairs.push_back(Unguarded(settings, locked.reason()));
  } else if (settings.InTarget == InTarget::File) {
    RunFileJob(settings, options, profile, result.report, context);
  } else {
    RunFolderJob(settings, options, profile, result.report, context);
  }
  locks.Release();
  result.report.stopped = context.Stopped();
  if (!request.dryRun && !SaveSettings(profile, settings)) {
    result.report.warnings.push_back({JobWarning::Kind::SettingsNotSaved, {}});
  }
  return result;
}

}  // namespace palvarin

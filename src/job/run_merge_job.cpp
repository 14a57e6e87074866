#include "job/run_merge_job.hpp"

#include <cerrno>

#include "files/file_ops.hpp"
#include "job_context.hpp"
#include "job_locks.hpp"
#include "merge_file_pair.hpp"
#include "merge_folders.hpp"
#include "state/profile_store.hpp"
#include "state/settings_store.hpp"

namespace palvarin {
namespace {

std::optional<MessageId> CheckPaths(const MergeSettings& settings) {
  const bool folderJob = settings.InTarget == InTarget::Folder;
  if (!PathExists(settings.Path1) || !PathExists(settings.Path2)) return kMessageMissingPath;
  if (folderJob && settings.OutTarget == OutTarget::OtherFile && !PathExists(settings.PathSave)) {
    return kMessageMissingPath;
  }
  if (!folderJob && (IsFolder(settings.Path1) || IsFolder(settings.Path2))) {
    return kMessageNotFile;
  }
  const bool saveIsFile = PathExists(settings.PathSave) && !IsFolder(settings.PathSave);
  if (folderJob && (!IsFolder(settings.Path1) || !IsFolder(settings.Path2) || saveIsFile)) {
    return kMessageNotFolder;
  }
  return std::nullopt;
}

void RunFileJob(const MergeSettings& settings, const PairOptions& options, ProfileStore& profile,
                JobReport& report, JobContext& context) {
  const bool overwrite = settings.OutTarget == OutTarget::OverWrite;
  const std::string& output = settings.OutputPath();
  StageProgress progress(context, JobStage::Merging, 1);
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
PairReport Unguarded(const MergeSettings& settings, Phrase why) {
  PairReport pair = NewPairReport(settings.Path1, settings.Path2, settings.OutputPath());
  pair.reason =
      Say("other Palvarin jobs cannot be kept away from these files ({0}); nothing was written and "
          "both inputs are as they were",
          {std::move(why)});
  return pair;
}

void RunFolderJob(const MergeSettings& settings, const PairOptions& options, ProfileStore& profile,
                  JobReport& report, JobContext& context) {
  MergeFolders(settings.Path1, settings.Path2, settings.OutputPath(), options, profile, report,
               context);
  if (settings.OutTarget == OutTarget::OverWrite)
    CopyFolderBack(settings.Path1, settings.Path2, profile, report, context);
}

}  // namespace

bool HasRequiredPaths(const MergeSettings& settings) {
  return !settings.Path1.empty() && !settings.Path2.empty() &&
         (settings.OutTarget != OutTarget::OtherFile || !settings.PathSave.empty());
}

JobResult RunMergeJob(const MergeSettings& settings, ProfileStore& profile, JobObserver& observer,
                      const JobRequest& request) {
  JobResult result;
  result.report.dryRun = request.dryRun;
  result.refusal = CheckPaths(settings);
  if (result.refusal) return result;

  // Backups guard overwritten inputs only.
  const bool overwrite = settings.OutTarget == OutTarget::OverWrite;
  const PairOptions options{overwrite && settings.CreateBackup, overwrite ? settings.BackupMax : 0u,
                            settings.NotMergeSameDatetime,      settings.IgnoreOldMerge,
                            /*recordMergeTime=*/!overwrite,     request.dryRun};
  JobContext context(observer, request.stop, request.dryRun);
  HistoryLocks locks;
  const Result locked = LockJobFiles(
      settings, locks, [&observer] { observer.WaitingForOtherJob(); },
      [&context] { return !context.StopRequested(); });
  // A stop while waiting for another job runs the job stopped: it only reads the folders and
  // reports every pair and copy as not run, as a stop before the first pair would.
  if (!locked && locked.code != ECANCELED) {
    result.report.pairs.push_back(Unguarded(settings, locked.reason));
  } else if (settings.InTarget == InTarget::File) {
    RunFileJob(settings, options, profile, result.report, context);
  } else {
    RunFolderJob(settings, options, profile, result.report, context);
  }
  locks.Release();
  result.report.stopped = context.Stopped();
  if (!request.dryRun && !SaveSettings(profile, settings)) {
    result.report.warnings.push_back(
        Say("the settings of this job could not be saved to the profile"));
  }
  return result;
}

}  // namespace palvarin

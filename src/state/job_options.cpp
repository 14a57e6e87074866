#include "state/job_options.hpp"

namespace palvarin {

// "IgnoreOldMerge" set means the last merge's time does count: the archive rule applies.
JobOptions JobOptionsOf(const MergeSettings& settings) {
  return {.first = settings.Path1,
          .second = settings.Path2,
          .separateOutput = settings.PathSave,
          .folders = settings.InTarget == InTarget::Folder,
          .overwrite = settings.OutTarget == OutTarget::OverWrite,
          .makeBackups = settings.CreateBackup,
          .backupMax = settings.BackupMax,
          .skipUnchanged = settings.NotMergeSameDatetime,
          .applyArchiveRule = settings.IgnoreOldMerge,
          .findEchoes = settings.FindEchoes};
}

MergeSettings StoredSettingsOf(const JobOptions& options) {
  return {.Path1 = options.first,
          .Path2 = options.second,
          .PathSave = options.separateOutput,
          .InTarget = options.folders ? InTarget::Folder : InTarget::File,
          .OutTarget = options.overwrite ? OutTarget::OverWrite : OutTarget::OtherFile,
          .CreateBackup = options.makeBackups,
          .BackupMax = options.backupMax,
          .NotMergeSameDatetime = options.skipUnchanged,
          .IgnoreOldMerge = options.applyArchiveRule,
          .FindEchoes = options.findEchoes};
}

}  // namespace palvarin

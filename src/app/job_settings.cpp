#include "app/job_settings.hpp"

#include "state/settings_store.hpp"

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

// A refused job and a dry run leave the profile as it was: the next start shows what last ran.
void SaveSettingsOfRun(const MergeSettings& settings, JobResult& result, ProfileStore& profile) {
  if (result.refusal || result.report.dryRun) return;
  if (!SaveSettings(profile, settings)) {
    result.report.warnings.push_back({JobWarning::Kind::SettingsNotSaved, {}});
  }
}

}  // namespace palvarin

#include "app/settings_overlay.hpp"

namespace palvarin {
namespace {

template <typename Value>
void Lay(const std::optional<Value>& given, Value& field) {
  if (given) field = *given;
}

}  // namespace

MergeSettings SettingsOverlay::Over(MergeSettings settings) const {
  Lay(Path1, settings.Path1);
  Lay(Path2, settings.Path2);
  Lay(PathSave, settings.PathSave);
  Lay(InTarget, settings.InTarget);
  Lay(OutTarget, settings.OutTarget);
  Lay(CreateBackup, settings.CreateBackup);
  Lay(BackupMax, settings.BackupMax);
  Lay(NotMergeSameDatetime, settings.NotMergeSameDatetime);
  Lay(IgnoreOldMerge, settings.IgnoreOldMerge);
  Lay(FindEchoes, settings.FindEchoes);
  return settings;
}

}  // namespace palvarin

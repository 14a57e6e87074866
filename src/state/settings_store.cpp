#include "state/settings_store.hpp"

#include <algorithm>

#include "files/absolute_path.hpp"

namespace palvarin {
namespace {

constexpr std::string_view kFolder = "Folder";
constexpr std::string_view kFile = "File";
constexpr std::string_view kOverWrite = "OverWrite";
constexpr std::string_view kOtherFile = "OtherFile";
constexpr std::string_view kTrue = "true";
constexpr std::string_view kFalse = "false";

// Only the exact text of the default keeps the default; any other stored text is the opposite.
bool ReadFlag(ProfileStore& store, std::string_view name) {
  return store.GetProfileString(kSettingSection, name, kTrue) == kTrue;
}

Result<> WriteFlag(ProfileStore& store, std::string_view name, bool value) {
  return store.WriteProfileString(kSettingSection, name, value ? kTrue : kFalse);
}

}  // namespace

void LoadSettings(ProfileStore& store, MergeSettings& settings) {
  settings.Path1 = store.GetProfileString(kSettingSection, "Path1", "");
  settings.Path2 = store.GetProfileString(kSettingSection, "Path2", "");
  settings.PathSave = store.GetProfileString(kSettingSection, "PathSave", "");
  settings.InTarget = store.GetProfileString(kSettingSection, "InTarget", kFolder) == kFolder
                          ? InTarget::Folder
                          : InTarget::File;
  settings.OutTarget =
      store.GetProfileString(kSettingSection, "OutTarget", kOverWrite) == kOverWrite
          ? OutTarget::OverWrite
          : OutTarget::OtherFile;
  settings.CreateBackup = ReadFlag(store, "CreateBackup");
  // Stored as a 32-bit integer and read back as unsigned, so 2^32 - 5 survives as -5.
  settings.BackupMax =
      static_cast<std::uint32_t>(store.GetProfileInt(kSettingSection, "BackupMax", 0));
  settings.NotMergeSameDatetime = ReadFlag(store, "NotMergeSameDatetime");
  settings.IgnoreOldMerge = ReadFlag(store, "IgnoreOldMerge");
  settings.FindEchoes = ReadFlag(store, "FindEchoes");
}

Result<> SaveSettings(ProfileStore& store, const MergeSettings& settings) {
  // Every value is tried, so one refused write keeps no other from being stored.
  Result<> written[] = {
      store.WriteProfileString(kSettingSection, "Path1", AbsolutePath(settings.Path1)),
      store.WriteProfileString(kSettingSection, "Path2", AbsolutePath(settings.Path2)),
      store.WriteProfileString(kSettingSection, "PathSave", AbsolutePath(settings.PathSave)),
      store.WriteProfileString(kSettingSection, "InTarget",
                               settings.InTarget == InTarget::File ? kFile : kFolder),
      store.WriteProfileString(
          kSettingSection, "OutTarget",
          settings.OutTarget == OutTarget::OverWrite ? kOverWrite : kOtherFile),
      WriteFlag(store, "CreateBackup", settings.CreateBackup),
      store.WriteProfileInt(kSettingSection, "BackupMax",
                            static_cast<std::int32_t>(settings.BackupMax)),
      WriteFlag(store, "NotMergeSameDatetime", settings.NotMergeSameDatetime),
      WriteFlag(store, "IgnoreOldMerge", settings.IgnoreOldMerge),
      WriteFlag(store, "FindEchoes", settings.FindEchoes),
  };
  const auto failed = std::ranges::find_if(written, [](const Result<>& one) { return !one; });
  return failed == std::end(written) ? Result<>{} : *failed;
}

}  // namespace palvarin

#include "job/backup_rotation.hpp"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string_view>
#include <utility>

#include "files/file_ops.hpp"
#include "files/folder_listing.hpp"
#include "files/split_path.hpp"
#include "time/time_stamp.hpp"

namespace palvarin {
namespace {

constexpr std::string_view kBackupSuffix = ".backup";

bool IsBackupName(std::string_view found, std::string_view base) {
  return found.size() >= base.size() + kBackupSuffix.size() && found.starts_with(base) &&
         found.ends_with(kBackupSuffix);
}

// Birth time where the file system keeps it, else last write; zero when it cannot be opened.
FileTime BackupAge(const std::string& path) {
  const Result<FileFacts> facts = ReadFileFacts(path);
  if (!facts) return {};
  return facts->birth.value_or(facts->lastWrite);
}

}  // namespace

// Keeps at most `maximum` - 1 backups besides `kept`.
std::vector<std::string> BackupsBeyond(const std::string& path, const std::string& kept,
                                       std::uint32_t maximum) {
  if (maximum == 0) return {};
  auto others = ListBackups(path);
  std::erase(others, kept);
  std::vector<std::string> beyond;
  while (!others.empty() && others.size() >= maximum) {
    beyond.push_back(std::move(others.back()));
    others.pop_back();
  }
  return beyond;
}

std::string BackupName(const std::string& path, TimeValue when) {
  return path + "_" + FormatStamp(when) + std::string(kBackupSuffix);
}

std::vector<std::string> ListBackups(const std::string& path) {
  const auto [folder, base] = SplitPath(path);
  std::vector<std::pair<FileTime, std::string>> aged;
  // A folder that cannot be read to the end gives no backups: none is removed on a guess.
  Result<std::vector<std::string>> names = ListFolder(folder);
  if (!names) return {};
  for (auto& name : *names) {
    if (!IsBackupName(name, base)) continue;
    auto full = folder + name;
    aged.emplace_back(BackupAge(full), std::move(full));
  }
  // Newest first; equal ages fall back to the name, whose stamp puts the later one first.
  std::sort(aged.begin(), aged.end(), std::greater<>{});
  std::vector<std::string> backups;
  for (auto& [age, full] : aged) backups.push_back(std::move(full));
  return backups;
}

std::optional<std::string> IdenticalNewestBackup(const std::string& path) {
  // The list holds the backups of longer names too ("a.xml_2.xml_..."): only the path's own
  // count.
  const std::size_t ownLength = BackupName(path, 0).size();
  for (std::string& backup : ListBackups(path)) {
    if (backup.size() != ownLength || !backup.starts_with(path + "_")) continue;
    if (!HaveSameContent(path, backup)) return std::nullopt;
    return std::move(backup);
  }
  return std::nullopt;
}

Result<> MakeBackup(const std::string& path, std::uint32_t maximum,
                    std::vector<std::string>* removed) {
  return MakeBackupAt(path, maximum, std::time(nullptr), removed);
}

Result<> MakeBackupAt(const std::string& path, std::uint32_t maximum, TimeValue now,
                      std::vector<std::string>* removed) {
  const std::string name = BackupName(path, now);
  const Result<> copied = CopyFile(path, name, CopyMode::FailIfExists);
  // A backup of this second that holds these very bytes already keeps them safe.
  const bool safe = copied || (copied.code() == EEXIST && HaveSameContent(path, name));
  if (!safe) return copied;
  // A deletion that fails still counts: the rotation never retries.
  for (std::string& old : BackupsBeyond(path, name, maximum)) {
    DeleteFile(old);
    if (removed != nullptr) removed->push_back(std::move(old));
  }
  return {};
}

}  // namespace palvarin

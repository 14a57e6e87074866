#include "two_pc_layout.hpp"

#include <set>

#include "files/atomic_file.hpp"
#include "support/history_builder.hpp"

namespace palvarin::test {
namespace {

constexpr std::string_view kBackupSuffix = ".backup";
// "_" + 14 digits + ".backup" after the input's own name.
constexpr std::size_t kBackupTail = 1 + 14 + kBackupSuffix.size();
constexpr const char* kOldBackupStamp = "_20000101000000.backup";

std::string FileName(const std::string& relative) {
  return std::filesystem::path(relative).filename().string();
}

bool IsBackup(const std::string& relative) { return relative.ends_with(kBackupSuffix); }

bool IsTemporary(const std::string& relative) { return IsTemporaryFileName(FileName(relative)); }

std::optional<std::string> Find(const Snapshot& snapshot, const std::string& relative) {
  const auto found = snapshot.find(relative);
  if (found == snapshot.end()) return std::nullopt;
  return found->second;
}

std::string Describe(const std::optional<std::string>& content) {
  return content ? std::to_string(content->size()) + " bytes" : "absent";
}

// A history file holds its old or its merged content, nothing else.
void CheckHistory(const std::string& relative, const Snapshot& before, const Snapshot& merged,
                  const Snapshot& now, std::vector<std::string>& breaches) {
  const auto old = Find(before, relative);
  const auto done = Find(merged, relative);
  const auto held = Find(now, relative);
  if (held != old && held != done) {
    breaches.push_back(relative + " holds " + Describe(held) + ", neither its old content (" +
                       Describe(old) + ") nor the merged one (" + Describe(done) + ")");
  }
}

void CheckBackup(const std::string& relative, const Snapshot& before, const Snapshot& now,
                 std::vector<std::string>& breaches) {
  const auto held = Find(now, relative);
  if (const auto old = Find(before, relative)) {
    if (held != old) breaches.push_back("the earlier backup " + relative + " was damaged or lost");
    return;
  }
  const auto input = relative.size() > kBackupTail
                         ? Find(before, relative.substr(0, relative.size() - kBackupTail))
                         : std::nullopt;
  if (!input || held != input) {
    breaches.push_back("the new backup " + relative + " does not hold its input as it was");
  }
}

}  // namespace

void WriteTwoPcs(const std::filesystem::path& root) {
  const std::filesystem::path pc1 = root / "pc1", pc2 = root / "pc2";
  std::filesystem::create_directories(pc1);
  std::filesystem::create_directories(pc2);
  const TestMessage hello{"2006/01/23", "12:00:00", "hello", 1};
  WriteFile(pc1 / "both.xml", HistoryText({hello, {"2006/02/01", "20:00:00", "pc1 only", 2}}));
  WriteFile(pc2 / "both.xml",
            HistoryText({hello, {"2006/02/14", "10:00:00", "pc2 only, later", 7}}));
  WriteFile(pc1 / "also.xml", HistoryText({{"2007/03/01", "09:00:00", "morning", 1, "Bob"}}));
  WriteFile(pc2 / "also.xml", HistoryText({{"2007/03/01", "21:00:00", "evening chat", 4, "Bob"}}));
  WriteFile(pc1 / "only1.xml", HistoryText({{"2008/05/05", "05:05:05", "first pc", 1}}));
  WriteFile(pc2 / "only2.xml", HistoryText({{"2009/06/06", "06:06:06", "second pc", 1}}));
  for (const auto& folder : {pc1, pc2}) {
    WriteFile(folder / ("both.xml" + std::string(kOldBackupStamp)), "an earlier backup");
  }
}

std::vector<std::string> FolderJob(const std::filesystem::path& root) {
  return {"/n", "/d", "/o", "/b", "/bm", "0", "/na", "/p1", root / "pc1", "/p2", root / "pc2"};
}

std::vector<std::string> FolderJobWithoutBackups(const std::filesystem::path& root) {
  std::vector<std::string> job = FolderJob(root);
  job[3] = "/nb";
  return job;
}

std::vector<std::string> FileJob(const std::filesystem::path& root) {
  return {"/n",
          "/f",
          "/o",
          "/b",
          "/bm",
          "0",
          "/na",
          "/p1",
          root / "pc1" / "both.xml",
          "/p2",
          root / "pc2" / "both.xml"};
}

std::vector<std::string> FileJobWithoutBackups(const std::filesystem::path& root) {
  std::vector<std::string> job = FileJob(root);
  job[3] = "/nb";
  return job;
}

LayoutRun::LayoutRun(JobMaker job, const std::vector<std::string>& environment) {
  WriteTwoPcs(root);
  before = TakeSnapshot(root);
  result = RunPalvarin(job(root), folder.Path(), profile, environment);
}

std::vector<std::string> HistoryPaths() {
  std::vector<std::string> paths;
  for (const char* folder : {"pc1/", "pc2/"}) {
    for (const char* name : {"both.xml", "also.xml", "only1.xml", "only2.xml"}) {
      paths.push_back(std::string(folder) + name);
    }
  }
  return paths;
}

Snapshot TakeSnapshot(const std::filesystem::path& root) {
  Snapshot snapshot;
  for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
    if (!item.is_regular_file()) continue;
    snapshot[std::filesystem::relative(item.path(), root).string()] = ReadFile(item.path());
  }
  return snapshot;
}

std::vector<std::string> Breaches(const Snapshot& before, const Snapshot& merged,
                                  const Snapshot& now, bool leftoversAllowed) {
  std::set<std::string> paths;
  for (const Snapshot* snapshot : {&before, &merged, &now}) {
    for (const auto& [relative, content] : *snapshot) paths.insert(relative);
  }
  std::vector<std::string> breaches;
  for (const std::string& relative : paths) {
    if (IsTemporary(relative)) {
      if (!leftoversAllowed && now.count(relative)) {
        breaches.push_back("the temporary file " + relative + " was left behind");
      }
    } else if (IsBackup(relative)) {
      if (before.count(relative) || now.count(relative)) {
        CheckBackup(relative, before, now, breaches);
      }
    } else {
      CheckHistory(relative, before, merged, now, breaches);
    }
  }
  return breaches;
}

Snapshot Histories(const Snapshot& snapshot) {
  Snapshot histories;
  for (const auto& [relative, content] : snapshot) {
    if (!IsBackup(relative) && !IsTemporary(relative)) histories[relative] = content;
  }
  return histories;
}

}  // namespace palvarin::test

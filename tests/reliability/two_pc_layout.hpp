#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/palvarin_process.hpp"
#include "support/test_support.hpp"

namespace palvarin::test {

// Every file below a job's root by relative path ("pc1/both.xml"), with its bytes.
using Snapshot = std::map<std::string, std::string>;

// Two PCs' history folders under `root`: pc1 and pc2, each with two contacts met on both PCs
// (with different messages of different lengths, so that no pair looks unchanged, and a
// backup from an earlier job) and one contact of its own.
void WriteTwoPcs(const std::filesystem::path& root);

// Overwrite jobs over those folders with backups (no limit) and the archive rule: the whole
// folders, or the one pair "both.xml".
std::vector<std::string> FolderJob(const std::filesystem::path& root);
std::vector<std::string> FileJob(const std::filesystem::path& root);
// The folder job without backups, whose pairs run side by side.
std::vector<std::string> FolderJobWithoutBackups(const std::filesystem::path& root);
// The file job without backups.
std::vector<std::string> FileJobWithoutBackups(const std::filesystem::path& root);

// The arguments of a job over the layout below a root.
using JobMaker = std::vector<std::string> (*)(const std::filesystem::path& root);

// A job run once over a fresh layout; the profile lives beside the root, not below it.
struct LayoutRun {
  LayoutRun(JobMaker job, const std::vector<std::string>& environment);

  TempFolder folder;
  std::filesystem::path root = folder / "job";
  std::filesystem::path profile = folder / "profile.sqlite3";
  Snapshot before;  // the layout as it was written
  ProcessResult result;
};

// The relative paths of the history files of the layout, in both folders.
std::vector<std::string> HistoryPaths();

// Every regular file below `root`, by relative path.
Snapshot TakeSnapshot(const std::filesystem::path& root);

// What an interrupted job may leave: each history file holds its content from `before` or
// from `merged` (absent counting as content); each backup that was there is unchanged; each
// new backup holds its input as it was before; temporary files only where `leftoversAllowed`.
// Returns one line per breach; empty when nothing was lost or damaged.
std::vector<std::string> Breaches(const Snapshot& before, const Snapshot& merged,
                                  const Snapshot& now, bool leftoversAllowed);

// `snapshot` without backups and temporary files: the histories themselves.
Snapshot Histories(const Snapshot& snapshot);

}  // namespace palvarin::test

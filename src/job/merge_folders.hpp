#pragma once

#include <set>
#include <string>

#include "files/file_ops.hpp"
#include "files/folder_listing.hpp"
#include "job/job_report.hpp"
#include "job_context.hpp"
#include "merge_file_pair.hpp"

namespace palvarin {

// The history files of a folder: names longer than ".xml" that end in exactly ".xml".
// A folder that cannot be read adds a warning to `warnings`.
std::set<std::string> ListHistoryFiles(const std::string& folder,
                                       std::vector<JobWarning>& warnings);
// The histories a folder's listing found; none where it failed, and a warning saying why.
std::set<std::string> HistoriesListed(const Result<FolderMembers>& listed,
                                      std::vector<JobWarning>& warnings);

// Copies one history file and says how it went; a FailIfExists copy onto an existing file
// keeps that file and is no failure. A dry run copies nothing and says what the copy would do.
CopyReport CopyHistoryFile(const std::string& from, const std::string& to, CopyMode mode,
                           bool copyBack, bool dryRun = false);

// The stylesheet the histories name ("MessageLog.xsl" beside them).
inline constexpr const char* kStylesheetName = "MessageLog.xsl";

// The output folder gets the stylesheet of the first of the folders `inputs` (each a
// FolderPrefix) that has one, unless it holds one already.
void CopyStylesheet(const std::vector<std::string>& inputs, const std::string& prefixOut,
                    bool dryRun, JobReport& report);

// A folder path ready for joining: one "/" appended unless it ends in one.
std::string FolderPrefix(const std::string& folder);

// A folder job's three folders, both inputs and the output, each with what one listing of it
// found.
struct JobFolders {
  std::vector<std::string> paths;
  std::vector<Result<FolderMembers>> listed;  // in the order of `paths`
};
JobFolders ListJobFolders(const std::string& first, const std::string& second,
                          const std::string& output);

// Merges every name found in both folders into the output folder and copies the names found
// on one side only there; where a separate output holds such a name already, a history there
// is merged with the one found, and another file is left alone. A name whose file in
// any of the folders is also another name's file (a link) is left alone and reported failed.
// A separate output folder without the stylesheet gets that of folder 1, else of folder 2.
// Once `context` is stopped no further name starts; those left are reported NotRun.
// With `thenCopyBack` the job will copy folder 1 over folder 2 afterwards: its files count
// among the job's items from the start. Returns how many were counted so. The names are those
// `folders` listed; a folder it could not list gives a warning.
std::size_t MergeFolders(const JobFolders& folders, const PairOptions& options, bool thenCopyBack,
                         ProfileStore& profile, JobReport& report, JobContext& context);

// Copies every history file of folder 1 over folder 2, except the files the job has just
// copied from folder 2 and the names of pairs that were not merged: after a failure the first file
// is unmerged, and a pair skipped as unchanged only looked alike by size and time. A merged pair
// whose copy arrived gets its merge time recorded. A stop leaves out the files of folder 1
// only, never a merged pair's copy: a pair is levelled on both sides or not merged at all.
// A file found in folder 1 only is a one-side copy; a merged pair's file is a copy back.
// `planned` is what MergeFolders counted for this stage.
void CopyFolderBack(const std::string& folder1, const std::string& folder2, std::size_t planned,
                    ProfileStore& profile, JobReport& report, JobContext& context);

}  // namespace palvarin

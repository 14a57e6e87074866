#pragma once

#include <cstddef>
#include <string>

#include "job/job_report.hpp"
#include "job_context.hpp"
#include "job_folders.hpp"
#include "merge_file_pair.hpp"

namespace palvarin {

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
// `planned` is what MergeFolders counted for this stage; `options` say whether a file of folder 1
// only that breaks off is rescued.
void CopyFolderBack(const std::string& folder1, const std::string& folder2, std::size_t planned,
                    const PairOptions& options, ProfileStore& profile, JobReport& report,
                    JobContext& context);

}  // namespace palvarin

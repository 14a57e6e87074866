#pragma once

#include <string>

namespace palvarin {

// Why a job's paths keep it from running.
enum class RefusalKind {
  NoPath,       // a path the job needs is empty
  MissingPath,  // a path does not exist
  NotFolder,    // a folder job with a file among its paths
  NotFile,      // a file job with a folder among its inputs
  InsideInput,  // a gather's output is an input, or inside an input folder
  SamePath,     // two paths of a merge job lead to one file or folder
};

// The paths of a job, as a refusal names the one it is about.
enum class PathField { First, Second, Output, Input };  // Input: one of a gather's

// A job that was not run: why, and the field and path it is about (the path is empty when none
// was chosen).
struct Refusal {
  RefusalKind kind;
  PathField field;
  std::string path;
};

}  // namespace palvarin

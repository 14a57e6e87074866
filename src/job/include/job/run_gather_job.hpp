#pragma once

#include <string>
#include <vector>

#include "job/job_observer.hpp"
#include "job/run_merge_job.hpp"

namespace palvarin {

// A gather: every copy of every history into one folder (or one file).
struct GatherRequest {
  // Two or more folders of histories, or two or more history files.
  std::vector<std::string> inputs;
  // The folder (made when missing) or, for files, the file the histories are gathered into.
  std::string output;
  // Read and merge everything in memory and report it, writing nothing.
  bool dryRun = false;
  // Write once what two PCs signed in at once both logged, as a merge does (off: keep both).
  bool findEchoes = true;
  // Raised (by any thread or a signal handler): no further name starts.
  const StopFlag* stop = nullptr;
};

// The first problem of the request's paths: fewer than two inputs, a missing one, folders and
// files mixed, an output of the wrong kind, or an output that is an input or lies inside one.
std::optional<Refusal> CheckGatherPaths(const GatherRequest& request);

// Writes each history name found in any input to the output, merged from every copy that
// holds it and from the history the output holds already (GatherCopies): the same bytes
// whatever the order of the inputs, and a history that would not change is left untouched
// (Unchanged). The inputs are only read. The archive rule does not apply: nothing is left out.
// A name whose copy (or whose history in the output) is no history is reported failed and its
// output left as it was. The output folder gets the stylesheet of the first input that has
// one. The output (a folder whole, as a folder job holds its own; not the copies, which are only
// read) is locked against other jobs throughout; a stop takes effect between names, which are
// reported NotRun.
JobResult RunGatherJob(const GatherRequest& request, JobObserver& observer);

}  // namespace palvarin

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "export/export_format.hpp"
#include "job/job_observer.hpp"
#include "job/job_report.hpp"
#include "job/refusal.hpp"

namespace palvarin {

// An export: which histories, in which form, where to.
struct ExportRequest {
  ExportFormat format = ExportFormat::Html;
  // History files and folders of them ("*.xml"), each folder's in name order.
  std::vector<std::string> inputs;
  std::string outputFolder;  // made when missing
  ExportWords words;
  // Raised (by any thread or a signal handler): no further history starts.
  const StopFlag* stop = nullptr;
};

// What became of one history's export, or of the index of an HTML export.
enum class ExportOutcome { Exported, Failed, NotRun };

struct ExportItem {
  std::string history;  // the file read; empty for the index
  std::string output;   // the file written
  ExportOutcome outcome = ExportOutcome::Failed;
  // NotStarted, NotAHistory (`cause` names the file), NotSaved and OutOfMemory (`cause`; the
  // output was left as it was).
  PairProblem problem = PairProblem::None;
  Reason cause;
  ExportSummary summary;
  // The history breaks off and only its whole entries were exported (ReasonKind::BrokenOff...);
  // its page says so too.
  std::vector<Reason> rescued;
};

struct ExportReport {
  // The histories in name order, then the index of an HTML export.
  std::vector<ExportItem> items;
  std::vector<JobWarning> warnings;
  bool stopped = false;

  int Count(ExportOutcome outcome) const;
  bool AnyFailed() const;
};

struct ExportResult {
  std::optional<Refusal> refusal;
  ExportReport report;
};

// The file name of the index of an HTML export.
inline constexpr const char* kExportIndexName = "index.html";

// Exports each history to a file of its name in the output folder ("alice.xml" ->
// "alice.html"); an HTML export then writes the index of the pages. Every file is written
// through a flushed temporary file and renamed into place; no link is written through, so
// nothing but the export's own files is ever replaced. A file that is no history is reported
// failed and the rest exported; of one that breaks off, the entries whole before the break are.
// Refused when there is no input or one is missing, or the output is there and no folder.
ExportResult RunExportJob(const ExportRequest& request, JobObserver& observer);

}  // namespace palvarin

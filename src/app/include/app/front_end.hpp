#pragma once

#include <string>

#include "app/message_id.hpp"
#include "base/result.hpp"
#include "find/find_history_folders.hpp"
#include "job/job_observer.hpp"
#include "job/job_report.hpp"
#include "job/refusal.hpp"
#include "job/run_export_job.hpp"
#include "search/run_search.hpp"
#include "state/merge_settings.hpp"

namespace palvarin {

class ProfileStore;

// Exit statuses of the program.
enum ExitStatus : int {
  kExitDone = 0,
  // The run ended short of what it was after: a pair or a copy failed, a report file was not
  // written, a search matched no message, a walk found no history.
  kExitFellShort = 1,
  kExitRefused = 2,
};

// Why the help is shown.
enum class HelpReason { Asked, AfterBadArguments };

// What every face of the program tells the user, in a window or on the terminal.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // One of the program's messages (204).
  virtual void ShowMessage(MessageId id) = 0;
  virtual void ShowHelp(HelpReason reason) = 0;
  // Something the user must know that has no message of its own (a damaged profile).
  virtual void ShowWarning(const std::string& text) = 0;
};

// The windows, where there is a display to show them on.
class WindowFace : public FrontEnd {
 public:
  // The main dialog on `settings`, which stores them after each job it runs; returns the exit
  // status.
  virtual int RunDialog(const MergeSettings& settings, ProfileStore& profile) = 0;
  // The reader window on the history file or folder `path` (empty: on none, to open one);
  // returns the exit status.
  virtual int ShowReader(const std::string& path) = 0;
};

// The terminal: what a command line and a run without a window need, and the progress of a
// job or a walk for histories.
class TerminalFace : public FrontEnd, public JobObserver, public FindObserver {
 public:
  // The version and licence.
  virtual void ShowVersion() = 0;
  // A command line that cannot be used, the GNU way: the problem, then where to read more.
  virtual void ShowUsageError(const std::string& problem) = 0;
  // A job refused by its path checks (messages 200 to 203), naming the path.
  virtual void ShowRefusal(const Refusal& refusal) = 0;
  // From now on only failures (and a stop) are said.
  virtual void SetQuiet(bool quiet) = 0;
  // A progress line while the job runs, where it goes to a terminal.
  virtual void ShowProgressOnTerminal() = 0;
  // What a job, an export, a walk for histories or a search did, and what it could not do.
  virtual void ShowReport(const JobReport& report) = 0;
  virtual void ShowReport(const ExportReport& report) = 0;
  virtual void ShowReport(const FindReport& report) = 0;
  virtual void ShowReport(const SearchReport& report) = 0;
  // The report of a job, an export or a walk as JSON in `file`.
  virtual Result<> WriteJsonReport(const JobReport& report, const std::string& file) = 0;
  virtual Result<> WriteJsonReport(const ExportReport& report, const std::string& file) = 0;
  virtual Result<> WriteJsonReport(const FindReport& report, const std::string& file) = 0;
};

}  // namespace palvarin

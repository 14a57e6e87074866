#pragma once

#include <iosfwd>
#include <mutex>
#include <string>

#include "job/front_end.hpp"
#include "job/job_observer.hpp"

namespace palvarin {

// Messages, help and job reports on standard output and standard error.
class TerminalFrontEnd : public FrontEnd, public JobObserver {
 public:
  TerminalFrontEnd(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  void ShowMessage(MessageId id) override;
  void ShowRefusal(const Refusal& refusal) override;
  void ShowHelp(HelpReason reason) override;
  void ShowWarning(const std::string& text) override;
  // The pairs and the totals on standard output, failures and notes on standard error; only
  // the failures and notes (and a stop) when quiet.
  void ShowJobReport(const JobReport& report) override;
  // Without windows there is no dialog: says so and shows the help.
  int RunDialog(MergeSettings& settings, ProfileStore& profile) override;
  // Says on standard error that the job waits, so that a silent terminal is not taken for a hang.
  void WaitingForOtherJob() override;
  // The progress line, when it is shown.
  void ItemStarted(const JobProgress& item) override;

  // Shows one progress line on standard error, rewritten in place as items start and cut to
  // `columns`: for a terminal only, where "\r" and the erase-line code mean something.
  void ShowProgress(int columns);
  // From now on only failures (and a stop) are said.
  void SetQuiet(bool quiet) { quiet_ = quiet; }
  // The version and licence on standard output.
  void ShowVersion();
  // A command line that cannot be used, the GNU way: the problem, then where to read more.
  void ShowUsageError(const std::string& problem);

 private:
  // Erases the progress line, so that what follows starts on a clean line.
  void EndProgress();

  std::ostream& out_;
  std::ostream& err_;
  bool quiet_ = false;
  int columns_ = 0;  // 0: no progress line
  std::mutex progress_;
  bool lineShown_ = false;
};

}  // namespace palvarin

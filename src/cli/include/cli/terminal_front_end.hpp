#pragma once

#include <iosfwd>

#include "job/front_end.hpp"
#include "job/job_observer.hpp"

namespace palvarin {

// Messages, help and job reports on standard output and standard error.
class TerminalFrontEnd : public FrontEnd, public JobObserver {
 public:
  TerminalFrontEnd(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  void ShowMessage(MessageId id) override;
  void ShowHelp(HelpReason reason) override;
  void ShowWarning(const std::string& text) override;
  void ShowJobReport(const JobReport& report) override;
  // Without windows there is no dialog: says so and shows the help.
  int RunDialog(MergeSettings& settings, ProfileStore& profile) override;
  // Says on standard error that the job waits, so that a silent terminal is not taken for a hang.
  void WaitingForOtherJob() override;
  // The version and licence on standard output.
  void ShowVersion();
  // A command line that cannot be used, the GNU way: the problem, then where to read more.
  void ShowUsageError(const std::string& problem);

 private:
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace palvarin

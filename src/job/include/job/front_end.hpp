#pragma once

#include <string>

#include "job/job_report.hpp"
#include "job/message_id.hpp"
#include "state/merge_settings.hpp"

namespace palvarin {

class ProfileStore;

// Exit statuses of the program.
enum ExitStatus : int { kExitDone = 0, kExitPairFailed = 1, kExitRefused = 2 };

// Why the help is shown.
enum class HelpReason { Asked, AfterBadArguments };

// How start-up talks to the user: the terminal, or windows when there is a display.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // One of the program's messages (204).
  virtual void ShowMessage(MessageId id) = 0;
  // A job refused by its path checks (messages 200 to 203), naming the path.
  virtual void ShowRefusal(const Refusal& refusal) = 0;
  virtual void ShowHelp(HelpReason reason) = 0;
  // Something the user must know that has no message of its own (a damaged profile).
  virtual void ShowWarning(const std::string& text) = 0;
  // What a headless job did.
  virtual void ShowJobReport(const JobReport& report) = 0;
  // The main dialog on `settings`; returns the exit status.
  virtual int RunDialog(MergeSettings& settings, ProfileStore& profile) = 0;
};

}  // namespace palvarin

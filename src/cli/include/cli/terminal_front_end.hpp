#pragma once

#include <chrono>
#include <iosfwd>
#include <mutex>
#include <string>
#include <vector>

#include "app/front_end.hpp"

namespace palvarin {

// Messages, help and job reports on standard output and standard error.
class TerminalFrontEnd : public TerminalFace {
 public:
  TerminalFrontEnd(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  void ShowMessage(MessageId id) override;
  void ShowRefusal(const Refusal& refusal) override;
  void ShowHelp(HelpReason reason) override;
  void ShowWarning(const std::string& text) override;
  // The pairs and the totals on standard output, failures and notes on standard error; only
  // the failures and notes (and a stop) when quiet.
  void ShowReport(const JobReport& report) override;
  // Says on standard error that the job waits, so that a silent terminal is not taken for a hang.
  void WaitingForOtherJob() override;
  // The progress line, when it is shown.
  void ItemStarted(const JobProgress& item) override;

  // The version and licence on standard output.
  void ShowVersion() override;
  // On standard error.
  void ShowUsageError(const std::string& problem) override;
  void SetQuiet(bool quiet) override { quiet_ = quiet; }
  // ShowProgress with the width of standard error, when it is a terminal.
  void ShowProgressOnTerminal() override;
  Result<> WriteJsonReport(const JobReport& report, const std::string& file) override;
  // One line per message found on standard output, tab-separated: file name, time, sender and
  // text on one line; what could not be searched on standard error.
  void ShowReport(const SearchReport& report) override;
  // As a job's report.
  void ShowReport(const ExportReport& report) override;
  Result<> WriteJsonReport(const ExportReport& report, const std::string& file) override;
  // The progress line of a walk, rewritten a few times a second at most.
  void FolderEntered(const FindProgress& progress) override;
  // One line per folder found on standard output, tab-separated: the folder, the number of
  // histories, the first and last date, the account folder ("-" for none); what could not be
  // read on standard error, once per folder.
  void ShowReport(const FindReport& report) override;
  Result<> WriteJsonReport(const FindReport& report, const std::string& file) override;

  // Shows one progress line on standard error, rewritten in place as items start and cut to
  // `columns`: for a terminal only, where "\r" and the erase-line code mean something.
  void ShowProgress(int columns);

 private:
  // What was done on standard output, failures, a stop and notes on standard error; only those
  // when quiet.
  void ShowLines(const std::vector<std::string>& done, const std::vector<std::string>& failures,
                 const std::string& stopped, const std::string& totals);
  // Erases the progress line, so that what follows starts on a clean line.
  void EndProgress();
  // Shows `line` as the progress line.
  void ShowProgressLine(const std::string& line);

  std::ostream& out_;
  std::ostream& err_;
  bool quiet_ = false;
  int columns_ = 0;  // 0: no progress line
  std::mutex progress_;
  bool lineShown_ = false;
  std::chrono::steady_clock::time_point lastFolderShown_{};
};

}  // namespace palvarin

#include "cli/terminal_front_end.hpp"

#include <ostream>

#include "command_line.hpp"
#include "job/front_end.hpp"
#include "printable_text.hpp"
#include "texts/catalogue.hpp"
#include "texts/help_text.hpp"
#include "texts/report_text.hpp"
#include "texts/string_table.hpp"

namespace palvarin {

void TerminalFrontEnd::ShowMessage(MessageId id) {
  err_ << "palvarin: " << MessageText(id) << '\n';
}

void TerminalFrontEnd::ShowHelp(HelpReason reason) {
  (reason == HelpReason::Asked ? out_ : err_) << TerminalHelpText() << '\n';
}

// Texts that carry file names go out escaped: a name may hold line breaks and control codes.
void TerminalFrontEnd::ShowWarning(const std::string& text) {
  err_ << "palvarin: " << PrintableText(text) << '\n';
}

void TerminalFrontEnd::ShowJobReport(const JobReport& report) {
  for (const std::string& line : DescribePairs(report)) out_ << PrintableText(line) << '\n';
  for (const std::string& line : DescribeFailures(report)) {
    err_ << "palvarin: " << PrintableText(line) << '\n';
  }
  out_ << DescribeTotals(report) << '\n';
}

void TerminalFrontEnd::ShowVersion() { out_ << VersionText(); }

void TerminalFrontEnd::WaitingForOtherJob() {
  err_ << "palvarin: " << Tr("waiting for another Palvarin job to finish with these files")
       << std::endl;
}

void TerminalFrontEnd::ShowUsageError(const std::string& problem) {
  err_ << "palvarin: " << PrintableText(problem) << '\n'
       << Format(Tr("Try '{0}' for more information."), {"palvarin --help"}) << '\n';
}

int TerminalFrontEnd::RunDialog(MergeSettings& /*settings*/, ProfileStore& /*profile*/) {
  err_ << "palvarin: "
       << Tr("the dialog cannot be shown here (no display, or built without the GUI); run "
             "without a window with /n")
       << '\n';
  ShowHelp(HelpReason::AfterBadArguments);
  return kExitRefused;
}

}  // namespace palvarin

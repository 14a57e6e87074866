#include "cli/terminal_front_end.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include <ostream>

#include "app/command_line.hpp"
#include "app/message_text.hpp"
#include "json_report.hpp"
#include "printable_text.hpp"
#include "texts/catalogue.hpp"
#include "texts/cause_text.hpp"
#include "texts/export_text.hpp"
#include "texts/find_text.hpp"
#include "texts/help_text.hpp"
#include "texts/progress_text.hpp"
#include "texts/report_text.hpp"

namespace palvarin {

void TerminalFrontEnd::ShowMessage(MessageId id) {
  err_ << "palvarin: " << MessageText(id) << '\n';
}

void TerminalFrontEnd::ShowRefusal(const Refusal& refusal) {
  ShowMessage(MessageFor(refusal.kind));
  err_ << "palvarin: " << PrintableText(RefusalDetail(refusal)) << '\n';
}

void TerminalFrontEnd::ShowHelp(HelpReason reason) {
  (reason == HelpReason::Asked ? out_ : err_) << TerminalHelpText() << '\n';
}

// Texts that carry file names go out escaped: a name may hold line breaks and control codes.
void TerminalFrontEnd::ShowWarning(const std::string& text) {
  err_ << "palvarin: " << PrintableText(text) << '\n';
}

void TerminalFrontEnd::ShowLines(const std::vector<std::string>& done,
                                 const std::vector<std::string>& failures,
                                 const std::string& stopped, const std::string& totals) {
  EndProgress();
  if (!quiet_) {
    for (const std::string& line : done) out_ << PrintableText(line) << '\n';
  }
  for (const std::string& line : failures) err_ << "palvarin: " << PrintableText(line) << '\n';
  if (!stopped.empty()) err_ << "palvarin: " << stopped << '\n';
  if (!quiet_) out_ << totals << '\n';
  // Out now, while a signal only stops the job: once the handlers are gone, one would end the
  // process with the report still in the buffer.
  out_.flush();
  err_.flush();
}

void TerminalFrontEnd::ShowReport(const JobReport& report) {
  ShowLines(DescribePairs(report), DescribeFailures(report),
            report.stopped ? StoppedText(report) : std::string(), DescribeTotals(report));
}

void TerminalFrontEnd::ShowReport(const ExportReport& report) {
  // A stop is in the totals, which a quiet export does not show.
  ShowLines(DescribeExports(report), DescribeExportFailures(report),
            report.stopped && quiet_ ? DescribeExportTotals(report) : std::string(),
            DescribeExportTotals(report));
}

void TerminalFrontEnd::ShowVersion() { out_ << VersionText(); }

void TerminalFrontEnd::WaitingForOtherJob() {
  if (quiet_) return;
  EndProgress();
  err_ << "palvarin: " << Tr("waiting for another Palvarin job to finish with these files")
       << std::endl;
}

void TerminalFrontEnd::ShowUsageError(const std::string& problem) {
  err_ << "palvarin: " << PrintableText(problem) << '\n'
       << Format(Tr("Try '{0}' for more information."), {"palvarin --help"}) << '\n';
}

void TerminalFrontEnd::ShowProgress(int columns) { columns_ = columns; }

void TerminalFrontEnd::ShowProgressOnTerminal() {
  if (::isatty(STDERR_FILENO) != 1) return;
  winsize size{};
  const bool known = ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0;
  ShowProgress(known ? size.ws_col : 80);
}

Result<> TerminalFrontEnd::WriteJsonReport(const JobReport& report, const std::string& file) {
  return WriteReportFile(file, JobReportJson(report));
}

Result<> TerminalFrontEnd::WriteJsonReport(const ExportReport& report, const std::string& file) {
  return WriteReportFile(file, ExportReportJson(report));
}

namespace {

// `text` cut to at most `columns` characters (UTF-8 code points; every one taken as one column).
std::string FitColumns(const std::string& text, int columns) {
  int shown = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;
    if (++shown > columns) return text.substr(0, at);
  }
  return text;
}

}  // namespace

void TerminalFrontEnd::ItemStarted(const JobProgress& item) {
  if (columns_ <= 0 || quiet_) return;
  ShowProgressLine(ProgressLine(item));
}

void TerminalFrontEnd::FolderEntered(const FindProgress& progress) {
  if (columns_ <= 0 || quiet_) return;
  // A walk enters thousands of folders a second: more lines would only slow it down.
  const auto now = std::chrono::steady_clock::now();
  if (now - lastFolderShown_ < std::chrono::milliseconds(100)) return;
  lastFolderShown_ = now;
  ShowProgressLine(FindProgressLine(progress));
}

void TerminalFrontEnd::ShowProgressLine(const std::string& text) {
  // The line is escaped before it is cut, so no escape is cut in half. One column is kept
  // free: a terminal that wraps at the last column would start a new line.
  const std::string line = FitColumns(PrintableText(text), columns_ - 1);
  const std::lock_guard lock(progress_);
  err_ << '\r' << line << "\x1b[K" << std::flush;
  lineShown_ = true;
}

void TerminalFrontEnd::EndProgress() {
  const std::lock_guard lock(progress_);
  if (!lineShown_) return;
  err_ << "\r\x1b[K" << std::flush;
  lineShown_ = false;
}

namespace {

// A message on one line of its own: each line break (CR LF, CR, LF) shows as one "\n", and
// PrintableText escapes it with the other control characters.
std::string MessageLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') continue;
    line += c == '\r' ? '\n' : c;
  }
  return PrintableText(line);
}

}  // namespace

void TerminalFrontEnd::ShowReport(const SearchReport& report) {
  if (report.indexRebuilt.kind != ReasonKind::None) ShowWarning(Word(report.indexRebuilt));
  if (report.indexUnusable.kind != ReasonKind::None) ShowWarning(Word(report.indexUnusable));
  if (!report.searched) ShowWarning(Word(report.searched.reason()));
  for (const Result<>& unread : report.unread) {
    ShowWarning(Format(Tr("not searched: {0}"), {Word(unread.reason())}));
  }
  for (const Reason& damage : report.rescued) {
    ShowWarning(Format(Tr("{0}; only its whole entries were searched"), {Word(damage)}));
  }
  for (const SearchHit& hit : report.hits) {
    out_ << PrintableText(hit.file) << '\t' << PrintableText(hit.time) << '\t'
         << PrintableText(hit.sender) << '\t' << MessageLine(hit.text) << '\n';
  }
  out_.flush();
  err_.flush();
}

namespace {

// A field of a line of `--find`, escaped; "-" when there is none.
std::string OrDash(const std::string& field) { return field.empty() ? "-" : PrintableText(field); }

}  // namespace

void TerminalFrontEnd::ShowReport(const FindReport& report) {
  EndProgress();
  for (const std::string& problem : DescribeFindProblems(report)) ShowWarning(problem);
  if (report.stopped) ShowWarning(FindStoppedText());
  // Tabs and line breaks in a folder's name would break the line into other fields; escaped,
  // two names never print alike.
  for (const HistoryFolder& folder : report.folders) {
    out_ << PrintableText(folder.folder) << '\t' << folder.histories << '\t'
         << FoundDate(folder.first) << '\t' << FoundDate(folder.last) << '\t'
         << OrDash(folder.account.name) << '\t' << OrDash(folder.account.owner) << '\n';
  }
  out_.flush();
  err_.flush();
}

Result<> TerminalFrontEnd::WriteJsonReport(const FindReport& report, const std::string& file) {
  return WriteReportFile(file, FindReportJson(report));
}

}  // namespace palvarin

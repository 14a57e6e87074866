#include "texts/export_text.hpp"

#include "texts/catalogue.hpp"
#include "texts/cause_text.hpp"
#include "texts/reason_text.hpp"

namespace palvarin {
namespace {

std::string Number(int count) { return std::to_string(count); }

unsigned long Count(int count) { return count < 0 ? 0UL : static_cast<unsigned long>(count); }

// The history an item is about, or the index.
std::string ItemName(const ExportItem& item) {
  return item.history.empty() ? std::string(Tr("the index")) : item.history;
}

}  // namespace

ExportWords ExportWordsInUse() {
  ExportWords words;
  words.language = TextLanguage();
  words.conversation = Tr("Conversation");
  words.contacts = Tr("All conversations");
  words.contact = Tr("Contact");
  words.conversations = Tr("Conversations");
  words.messages = Tr("Messages");
  words.first = Tr("First");
  words.last = Tr("Last");
  words.period = Tr("Period");
  words.brokenOff = [](const Reason& damage) {
    return Format(Tr("{0}; only its whole entries are shown here"), {Word(damage)});
  };
  return words;
}

std::string ExportReason(const ExportItem& item) {
  switch (item.problem) {
    case PairProblem::NotStarted:
      return std::string(Tr("not started: the job was stopped before this history"));
    case PairProblem::NotAHistory:
      return Format(Tr("{0}; it was not exported"), {Word(item.cause)});
    case PairProblem::NotSaved:
    case PairProblem::OutOfMemory:
      return Format(Tr("{0}; {1} was left as it was"), {Word(item.cause), item.output});
    case PairProblem::None:
    case PairProblem::BackupFailed:
    case PairProblem::SharedFile:
    case PairProblem::Unguarded:
      break;
  }
  return {};
}

std::vector<std::string> DescribeExports(const ExportReport& report) {
  std::vector<std::string> lines;
  for (const ExportItem& item : report.items) {
    if (item.outcome == ExportOutcome::NotRun) {
      lines.push_back(
          Format(Tr("not run {0}: the job was stopped before this history"), {item.history}));
    } else if (item.outcome == ExportOutcome::Exported && item.history.empty()) {
      lines.push_back(Format(Tr("wrote the index {0}"), {item.output}));
    } else if (item.outcome == ExportOutcome::Exported) {
      const std::string counts =
          Format(Tr("{0} in {1}"),
                 {Format(TrN("{0} entry", "{0} entries", Count(item.summary.entries)),
                         {Number(item.summary.entries)}),
                  Format(TrN("{0} session", "{0} sessions", Count(item.summary.sessions)),
                         {Number(item.summary.sessions)})});
      lines.push_back(Format(Tr("exported {0} -> {1}: {2}"), {item.history, item.output, counts}));
    }
  }
  return lines;
}

std::vector<std::string> DescribeExportFailures(const ExportReport& report) {
  std::vector<std::string> lines;
  for (const ExportItem& item : report.items) {
    if (item.outcome == ExportOutcome::Failed) {
      lines.push_back(Format(Tr("not exported: {0}: {1}"), {ItemName(item), ExportReason(item)}));
    }
  }
  for (const ExportItem& item : report.items) {
    for (const Reason& damage : item.rescued) {
      lines.push_back(
          Format(Tr("note: {0}; only its whole entries were exported"), {Word(damage)}));
    }
  }
  for (const JobWarning& warning : report.warnings) {
    lines.push_back(Format(Tr("note: {0}"), {WarningText(warning)}));
  }
  return lines;
}

std::string DescribeExportTotals(const ExportReport& report) {
  int histories = 0;
  for (const ExportItem& item : report.items) {
    if (item.outcome == ExportOutcome::Exported && !item.history.empty()) ++histories;
  }
  const int failed = report.Count(ExportOutcome::Failed);
  std::string text = Format(
      Tr("{0}, {1}"),
      {Format(TrN("{0} history exported", "{0} histories exported", Count(histories)),
              {Number(histories)}),
       Format(TrN("{0} history failed", "{0} histories failed", Count(failed)), {Number(failed)})});
  const int notRun = report.Count(ExportOutcome::NotRun);
  if (report.stopped || notRun > 0) {
    text = Format(Tr("{0}; {1}"), {text, Format(Tr("stopped: {0} not run"), {Number(notRun)})});
  }
  return text;
}

}  // namespace palvarin

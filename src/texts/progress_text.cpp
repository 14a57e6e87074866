#include "texts/progress_text.hpp"

#include "texts/report_text.hpp"

namespace palvarin {

std::string FormatCount(std::size_t count) {
  std::string digits = std::to_string(count);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

std::string ProgressLine(const JobProgress& item) {
  const char* what = item.stage == JobStage::CopyingBack ? "copying back "
                     : item.kind == JobItemKind::Pair    ? "pair "
                                                         : "copy ";
  return what + FormatCount(item.index + 1) + " of " + FormatCount(item.total) + ": " + item.name;
}

std::string StoppingText() {
  return "stopping: the job ends once the pairs at hand are done";
}

std::string StoppedText(const JobReport& report) {
  const auto pairs = static_cast<std::size_t>(report.Count(PairOutcome::NotRun));
  const auto copies = static_cast<std::size_t>(report.Count(CopyOutcome::NotRun));
  return "the job was stopped: " + FormatCount(pairs) + (pairs == 1 ? " pair" : " pairs") +
         " and " + FormatCount(copies) + (copies == 1 ? " copy" : " copies") +
         " were not started; their files are as they were";
}

namespace {

std::string CopyOutcomeText(const CopyReport& copy, bool dry) {
  switch (copy.outcome) {
    case CopyOutcome::Copied:
      if (copy.copyBack) return dry ? "would copy back" : "copied back";
      return dry ? "would copy" : "copied";
    case CopyOutcome::KeptExisting:
      return "kept existing";
    case CopyOutcome::Failed:
      return "copy failed";
    case CopyOutcome::NotRun:
      return "not run";
  }
  return {};
}

std::string CopyDetail(const CopyReport& copy) {
  if (!copy.reason.empty()) return copy.reason;
  if (copy.stylesheet) return "the stylesheet the histories use";
  if (copy.copyBack) return "the merged history over the second input";
  if (copy.outcome == CopyOutcome::KeptExisting) return "the output already holds this name";
  return "found on one side only";
}

}  // namespace

std::vector<ResultRow> ResultRows(const JobReport& report) {
  const bool dry = report.dryRun;
  std::vector<ResultRow> rows;
  for (const PairReport& pair : report.pairs) {
    ResultRow row;
    row.what = pair.first + " + " + pair.second;
    switch (pair.outcome) {
      case PairOutcome::Merged:
        row.outcome = dry ? "would merge" : "merged";
        row.what += " -> " + pair.output;
        row.detail = DescribeCounts(pair.counts);
        break;
      case PairOutcome::Unchanged:
        row.outcome = "unchanged";
        row.detail = "same size and last-write time, skipped";
        break;
      case PairOutcome::Failed:
        row.outcome = "failed";
        row.detail = pair.reason;
        row.failed = true;
        break;
      case PairOutcome::NotRun:
        row.outcome = "not run";
        row.detail = pair.reason;
        break;
    }
    for (const std::string& warning : pair.warnings) row.detail += "; note: " + warning;
    rows.push_back(std::move(row));
    for (const std::string& made : pair.backupsMade) {
      rows.push_back({dry ? "would back up" : "backup made", made, "", false});
    }
    for (const std::string& removed : pair.backupsRemoved) {
      rows.push_back({dry ? "would delete backup" : "backup deleted", removed,
                      "older than the maximum number of backups kept", false});
    }
  }
  for (const CopyReport& copy : report.copies) {
    rows.push_back({CopyOutcomeText(copy, dry), copy.from + " -> " + copy.to, CopyDetail(copy),
                    copy.outcome == CopyOutcome::Failed});
  }
  for (const std::string& warning : report.warnings) rows.push_back({"note", "", warning, false});
  return rows;
}

std::string ProgressWindowTitle() { return "Palvarin - マージ中"; }
std::string ProgressCancelLabel() { return "キャンセル"; }
std::string ProgressWaitingText() { return "ほかのPalvarinのマージが終わるのを待っています…"; }
std::string ResultsWindowTitle() { return "Palvarin - マージの結果"; }
std::string ResultsColumnOutcome() { return "結果"; }
std::string ResultsColumnFiles() { return "ファイル"; }
std::string ResultsColumnDetail() { return "詳細"; }

}  // namespace palvarin

#include "texts/progress_text.hpp"

#include "texts/catalogue.hpp"
#include "texts/reason_text.hpp"
#include "texts/report_text.hpp"

namespace palvarin {

std::string FormatCount(std::size_t count) {
  std::string digits = std::to_string(count);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

std::string ProgressLine(const JobProgress& item) {
  const std::string done = FormatCount(item.finished);
  const std::string total = FormatCount(item.total);
  if (item.stage == JobStage::Exporting) {
    return Format(Tr("{0} of {1} done — exporting {2}"), {done, total, item.name});
  }
  if (item.stage == JobStage::CopyingBack) {
    return Format(Tr("{0} of {1} done — copying back {2}"), {done, total, item.name});
  }
  if (item.kind == JobItemKind::Pair) {
    return Format(Tr("{0} of {1} done — merging {2}"), {done, total, item.name});
  }
  return Format(Tr("{0} of {1} done — copying {2}"), {done, total, item.name});
}

std::string StoppingText() {
  return std::string(Tr("stopping: the job ends once the pairs at hand are done"));
}

std::string StoppedText(const JobReport& report) {
  const auto pairs = static_cast<std::size_t>(report.Count(PairOutcome::NotRun));
  const auto copies = static_cast<std::size_t>(report.Count(CopyOutcome::NotRun));
  if (report.gather) {
    return Format(TrN("the gather was stopped: {0} history was not started; its files are as "
                      "they were",
                      "the gather was stopped: {0} histories were not started; their files are "
                      "as they were",
                      pairs),
                  {FormatCount(pairs)});
  }
  return Format(Tr("the job was stopped: {0} and {1} were not started; their files are as they "
                   "were"),
                {Format(TrN("{0} pair", "{0} pairs", pairs), {FormatCount(pairs)}),
                 Format(TrN("{0} copy", "{0} copies", copies), {FormatCount(copies)})});
}

namespace {

std::string CopyOutcomeText(const CopyReport& copy, bool dry) {
  switch (copy.outcome) {
    case CopyOutcome::Copied:
      if (copy.copyBack) return std::string(dry ? Tr("would copy back") : Tr("copied back"));
      return std::string(dry ? Tr("would copy") : Tr("copied"));
    case CopyOutcome::MergedWithOutput:
      return std::string(dry ? Tr("would merge") : Tr("merged"));
    case CopyOutcome::KeptExisting:
      return std::string(Tr("kept existing"));
    case CopyOutcome::Failed:
      return std::string(Tr("copy failed"));
    case CopyOutcome::NotRun:
      return std::string(Tr("not run"));
  }
  return {};
}

std::string CopyDetail(const CopyReport& copy) {
  if (copy.problem != CopyProblem::None) return CopyReason(copy);
  if (copy.stylesheet) return std::string(Tr("the stylesheet the histories use"));
  if (copy.copyBack) return std::string(Tr("the merged history over the second input"));
  if (copy.outcome == CopyOutcome::MergedWithOutput) {
    return Format(Tr("found on one side only, with the output's copy: {0}"),
                  {DescribeCounts(copy.counts)});
  }
  if (copy.outcome == CopyOutcome::KeptExisting) {
    return std::string(Tr("the output already holds this name"));
  }
  return std::string(Tr("found on one side only"));
}

}  // namespace

std::vector<ResultRow> ResultRows(const JobReport& report) {
  const bool dry = report.dryRun;
  std::vector<ResultRow> rows;
  for (const PairReport& pair : report.pairs) {
    ResultRow row;
    row.input = pair.first;
    row.second = pair.second;
    switch (pair.outcome) {
      case PairOutcome::Merged:
        row.outcome = report.gather ? (dry ? Tr("would gather") : Tr("gathered"))
                                    : (dry ? Tr("would merge") : Tr("merged"));
        row.output = pair.output;
        row.detail =
            report.gather ? DescribeGatheredCounts(pair.counts) : DescribeCounts(pair.counts);
        break;
      case PairOutcome::Unchanged:
        row.outcome = Tr("unchanged");
        row.detail = report.gather ? Tr("it holds every entry of its copies already")
                                   : Tr("same size and last-write time, skipped");
        break;
      case PairOutcome::Failed:
        row.outcome = Tr("failed");
        row.detail = PairReason(pair, dry);
        row.failed = true;
        break;
      case PairOutcome::NotRun:
        row.outcome = Tr("not run");
        row.detail = PairReason(pair, dry);
        break;
    }
    for (const PairWarning warning : pair.warnings) {
      row.detail = Format(Tr("{0}; note: {1}"), {row.detail, WarningText(warning)});
    }
    if (report.gather) row.input.clear();
    rows.push_back(std::move(row));
    // A gather's copies, each with what it gave.
    if (report.gather && pair.outcome == PairOutcome::Merged) {
      for (std::size_t k = 0; k < pair.copies.size(); ++k) {
        ResultRow copy;
        copy.outcome = Tr("copy");
        copy.input = pair.copies[k];
        copy.detail = DescribeCopyCounts(pair, k);
        rows.push_back(std::move(copy));
      }
    }
    // The backups of the pair: a row for each, what became of it and why.
    const auto backups = [&rows](const std::vector<std::string>& paths, std::string_view outcome,
                                 std::string_view detail) {
      for (const std::string& path : paths) {
        ResultRow backup;
        backup.outcome = outcome;
        backup.output = path;
        backup.detail = detail;
        rows.push_back(std::move(backup));
      }
    };
    backups(pair.backupsKept, dry ? Tr("would make no backup") : Tr("no new backup"),
            Tr("the newest backup holds these bytes already"));
    backups(pair.backupsMade, dry ? Tr("would back up") : Tr("backup made"), {});
    backups(pair.backupsRemoved, dry ? Tr("would delete backup") : Tr("backup deleted"),
            Tr("older than the maximum number of backups kept"));
  }
  for (const CopyReport& copy : report.copies) {
    ResultRow row;
    row.outcome = CopyOutcomeText(copy, dry);
    row.input = copy.from;
    row.output = copy.to;
    row.detail = CopyDetail(copy);
    row.failed = copy.outcome == CopyOutcome::Failed;
    rows.push_back(std::move(row));
  }
  for (const JobWarning& warning : report.warnings) {
    ResultRow note;
    note.outcome = Tr("note");
    note.detail = WarningText(warning);
    rows.push_back(std::move(note));
  }
  return rows;
}

}  // namespace palvarin

#include "texts/report_text.hpp"

#include <initializer_list>

#include "texts/catalogue.hpp"
#include "texts/reason_text.hpp"

namespace palvarin {
namespace {

std::string Number(int count) { return std::to_string(count); }

unsigned long Count(int count) { return count < 0 ? 0UL : static_cast<unsigned long>(count); }

// What the counts say of echoes, after the rest of them; empty when there were none.
std::string EchoesCount(const MergeCounts& counts) {
  if (counts.echoes <= 0) return {};
  return Format(TrN(", {0} entry logged on both PCs at once, written once",
                    ", {0} entries logged on both PCs at once, written once", Count(counts.echoes)),
                {Number(counts.echoes)});
}

}  // namespace

std::string PairName(const PairReport& pair) {
  if (pair.copies.empty()) return pair.first + " + " + pair.second;
  std::string name;
  for (const std::string& copy : pair.copies) name += (name.empty() ? "" : " + ") + copy;
  return name;
}

std::string DescribeGatheredCounts(const MergeCounts& counts) {
  const int entries = counts.fromBoth + counts.fromInput1;
  return Format(Tr("{0} in {1} ({2} held by several copies, {3} by one only)"),
                {Format(TrN("{0} entry", "{0} entries", Count(entries)), {Number(entries)}),
                 Format(TrN("{0} session", "{0} sessions", Count(counts.sessions)),
                        {Number(counts.sessions)}),
                 Number(counts.fromBoth), Number(counts.fromInput1)}) +
         EchoesCount(counts);
}

std::string DescribeCopyCounts(const PairReport& pair, std::size_t copy) {
  const int entries = copy < pair.copyEntries.size() ? pair.copyEntries[copy] : 0;
  const int alone = copy < pair.copyAlone.size() ? pair.copyAlone[copy] : 0;
  return Format(
      Tr("{0}, {1} held by this copy alone"),
      {Format(TrN("{0} entry", "{0} entries", Count(entries)), {Number(entries)}), Number(alone)});
}

std::string DescribeCounts(const MergeCounts& counts) {
  const int entries = counts.fromBoth + counts.fromInput1 + counts.fromInput2;
  std::string text = Format(
      Tr("{0} in {1} ({2} on both sides, {3} from the first only, {4} from the second only)"),
      {Format(TrN("{0} entry", "{0} entries", Count(entries)), {Number(entries)}),
       Format(TrN("{0} session", "{0} sessions", Count(counts.sessions)),
              {Number(counts.sessions)}),
       Number(counts.fromBoth), Number(counts.fromInput1), Number(counts.fromInput2)});
  if (counts.cutOff > 0) {
    text += Format(Tr(", {0} older than the last merge left out"), {Number(counts.cutOff)});
  }
  return text + EchoesCount(counts);
}

namespace {

// What became of a copy, for the terminal; empty for a failure, which goes with the failures.
std::string CopyLine(const CopyReport& copy, bool dry) {
  const std::initializer_list<std::string_view> files = {copy.from, copy.to};
  switch (copy.outcome) {
    case CopyOutcome::Copied:
      if (copy.stylesheet) {
        return Format(dry ? Tr("would copy {0} -> {1}: the stylesheet the histories use")
                          : Tr("copied {0} -> {1}: the stylesheet the histories use"),
                      files);
      }
      if (copy.copyBack) {
        return Format(dry ? Tr("would copy back {0} -> {1}: the merged history over the second "
                               "input")
                          : Tr("copied back {0} -> {1}: the merged history over the second input"),
                      files);
      }
      return Format(dry ? Tr("would copy {0} -> {1}: found on one side only")
                        : Tr("copied {0} -> {1}: found on one side only"),
                    files);
    case CopyOutcome::MergedWithOutput:
      return Format(dry ? Tr("would merge {0} -> {1}: found on one side only, to be merged with "
                             "the output's copy: {2}")
                        : Tr("merged {0} -> {1}: found on one side only, merged with the output's "
                             "copy: {2}"),
                    {copy.from, copy.to, DescribeCounts(copy.counts)});
    case CopyOutcome::KeptExisting:
      if (copy.problem != CopyProblem::None) {
        return Format(dry ? Tr("would keep {0}: {1}") : Tr("kept {0}: {1}"),
                      {copy.to, CopyReason(copy)});
      }
      return Format(dry ? Tr("would keep {1}: the output already holds this name, so {0} would "
                             "not be copied")
                        : Tr("kept {1}: the output already holds this name, so {0} was not copied"),
                    files);
    case CopyOutcome::NotRun:
      return Format(Tr("not run: copy {0} -> {1}: the job was stopped before this copy"), files);
    case CopyOutcome::Failed:
      break;
  }
  return {};
}

}  // namespace

std::vector<std::string> DescribePairs(const JobReport& report) {
  std::vector<std::string> lines;
  const bool dry = report.dryRun;
  for (const PairReport& pair : report.pairs) {
    switch (pair.outcome) {
      case PairOutcome::Merged:
        if (report.gather) {
          lines.push_back(Format(dry ? Tr("would gather {0}: {1}") : Tr("gathered {0}: {1}"),
                                 {pair.output, DescribeGatheredCounts(pair.counts)}));
          for (std::size_t k = 0; k < pair.copies.size(); ++k) {
            lines.push_back(
                Format(Tr("  from {0}: {1}"), {pair.copies[k], DescribeCopyCounts(pair, k)}));
          }
          break;
        }
        lines.push_back(
            Format(dry ? Tr("would merge {0} -> {1}: {2}") : Tr("merged {0} -> {1}: {2}"),
                   {PairName(pair), pair.output, DescribeCounts(pair.counts)}));
        break;
      case PairOutcome::Unchanged:
        if (report.gather) {
          lines.push_back(Format(Tr("unchanged {0}: it holds every entry of {1} already"),
                                 {pair.output, PairName(pair)}));
          break;
        }
        lines.push_back(
            Format(Tr("unchanged {0}: same size and last-write time, skipped"), {PairName(pair)}));
        break;
      case PairOutcome::Failed:
        lines.push_back(Format(Tr("FAILED {0}"), {PairName(pair)}));
        break;
      case PairOutcome::NotRun:
        lines.push_back(
            Format(Tr("not run {0}: the job was stopped before this pair"), {PairName(pair)}));
        break;
    }
    for (const std::string& kept : pair.backupsKept) {
      lines.push_back(Format(dry ? Tr("  would make no new backup: {0} holds these bytes already")
                                 : Tr("  made no new backup: {0} holds these bytes already"),
                             {kept}));
    }
    if (pair.outcome != PairOutcome::Failed) {
      for (const std::string& made : pair.backupsMade) {
        lines.push_back(
            Format(dry ? Tr("  would back up to {0}") : Tr("  backed up to {0}"), {made}));
      }
      for (const std::string& removed : pair.backupsRemoved) {
        lines.push_back(Format(
            dry ? Tr("  would delete the old backup {0}") : Tr("  deleted the old backup {0}"),
            {removed}));
      }
    }
    for (const Reason& damage : pair.rescued) {
      lines.push_back(Format(Tr("  note: {0}"), {RescuedText(damage, dry)}));
    }
    for (const PairWarning warning : pair.warnings) {
      lines.push_back(Format(Tr("  note: {0}"), {WarningText(warning)}));
    }
  }
  for (const CopyReport& copy : report.copies) {
    if (std::string line = CopyLine(copy, dry); !line.empty()) lines.push_back(std::move(line));
    for (const std::string& made : copy.backupsMade) {
      lines.push_back(
          Format(dry ? Tr("  would back up to {0}") : Tr("  backed up to {0}"), {made}));
    }
    for (const Reason& damage : copy.rescued) {
      lines.push_back(Format(Tr("  note: {0}"), {RescuedText(damage, dry)}));
    }
  }
  return lines;
}

std::vector<std::string> DescribeFailures(const JobReport& report) {
  std::vector<std::string> lines;
  for (const PairReport& pair : report.pairs) {
    if (pair.outcome == PairOutcome::Failed) {
      lines.push_back(
          Format(Tr("not merged: {0}: {1}"), {PairName(pair), PairReason(pair, report.dryRun)}));
    }
  }
  for (const CopyReport& copy : report.copies) {
    if (copy.outcome == CopyOutcome::Failed) {
      lines.push_back(
          Format(Tr("not copied: {0} -> {1}: {2}"), {copy.from, copy.to, CopyReason(copy)}));
    }
  }
  for (const JobWarning& warning : report.warnings) {
    lines.push_back(Format(Tr("note: {0}"), {WarningText(warning)}));
  }
  return lines;
}

namespace {

// What a two-input job did: its pairs and its copies.
std::string MergeTotals(const JobReport& report) {
  const bool dry = report.dryRun;
  const int merged = report.Count(PairOutcome::Merged);
  const int copied = report.Count(CopyOutcome::Copied);
  const std::string pairs =
      dry ? Format(TrN("{0} pair would be merged", "{0} pairs would be merged", Count(merged)),
                   {Number(merged)})
          : Format(TrN("{0} pair merged", "{0} pairs merged", Count(merged)), {Number(merged)});
  const std::string files =
      dry ? Format(TrN("{0} file would be copied", "{0} files would be copied", Count(copied)),
                   {Number(copied)})
          : Format(TrN("{0} file copied", "{0} files copied", Count(copied)), {Number(copied)});
  const int copiesFailed = report.Count(CopyOutcome::Failed);
  std::string text =
      Format(Tr("{0}, {1}, {2}; {3}, {4}"),
             {pairs, Format(Tr("{0} unchanged"), {Number(report.Count(PairOutcome::Unchanged))}),
              Format(Tr("{0} failed"), {Number(report.Count(PairOutcome::Failed))}), files,
              Format(TrN("{0} copy failed", "{0} copies failed", Count(copiesFailed)),
                     {Number(copiesFailed)})});
  if (const int withOutput = report.Count(CopyOutcome::MergedWithOutput); withOutput > 0) {
    const std::string intoCopies =
        dry ? Format(
                  TrN("{0} history would be merged with the output's copy",
                      "{0} histories would be merged with the output's copies", Count(withOutput)),
                  {Number(withOutput)})
            : Format(TrN("{0} history merged with the output's copy",
                         "{0} histories merged with the output's copies", Count(withOutput)),
                     {Number(withOutput)});
    text = Format(Tr("{0}; {1}"), {text, intoCopies});
  }
  return text;
}

// What a gather did, by history name; its only copy is the stylesheet, named when it failed.
std::string GatherTotals(const JobReport& report) {
  const int gathered = report.Count(PairOutcome::Merged);
  const std::string histories =
      report.dryRun ? Format(TrN("{0} history would be gathered", "{0} histories would be gathered",
                                 Count(gathered)),
                             {Number(gathered)})
                    : Format(TrN("{0} history gathered", "{0} histories gathered", Count(gathered)),
                             {Number(gathered)});
  std::string text = Format(Tr("{0}, {1} unchanged, {2} failed"),
                            {histories, Number(report.Count(PairOutcome::Unchanged)),
                             Number(report.Count(PairOutcome::Failed))});
  if (const int copiesFailed = report.Count(CopyOutcome::Failed); copiesFailed > 0) {
    text = Format(Tr("{0}; {1}"),
                  {text, Format(TrN("{0} copy failed", "{0} copies failed", Count(copiesFailed)),
                                {Number(copiesFailed)})});
  }
  return text;
}

}  // namespace

std::string DescribeTotals(const JobReport& report) {
  const bool dry = report.dryRun;
  std::string text = report.gather ? GatherTotals(report) : MergeTotals(report);
  if (const int archived = report.ArchivedEntries(); archived > 0) {
    const std::string left =
        dry ? Format(TrN("{0} entry would be left out by the archive rule",
                         "{0} entries would be left out by the archive rule", Count(archived)),
                     {Number(archived)})
            : Format(TrN("{0} entry left out by the archive rule",
                         "{0} entries left out by the archive rule", Count(archived)),
                     {Number(archived)});
    text = Format(Tr("{0}; {1}"), {text, left});
  }
  const int notRun = report.Count(PairOutcome::NotRun) + report.Count(CopyOutcome::NotRun);
  if (report.stopped || notRun > 0) {
    text = Format(Tr("{0}; {1}"), {text, Format(Tr("stopped: {0} not run"), {Number(notRun)})});
  }
  if (dry) text = Format(Tr("dry run, nothing was written: {0}"), {text});
  return text;
}

}  // namespace palvarin

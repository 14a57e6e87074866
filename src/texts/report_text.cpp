#include "texts/report_text.hpp"

namespace palvarin {
namespace {

std::string PairName(const PairReport& pair) { return pair.first + " + " + pair.second; }

std::string Plural(int count, const char* word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

}  // namespace

std::string DescribeCounts(const MergeCounts& counts) {
  std::string text = std::to_string(counts.fromBoth + counts.fromInput1 + counts.fromInput2) +
                     " entries in " + std::to_string(counts.sessions) + " sessions (" +
                     std::to_string(counts.fromBoth) + " on both sides, " +
                     std::to_string(counts.fromInput1) + " from the first only, " +
                     std::to_string(counts.fromInput2) + " from the second only)";
  if (counts.cutOff > 0) {
    text += ", " + std::to_string(counts.cutOff) + " older than the last merge left out";
  }
  return text;
}

std::vector<std::string> DescribePairs(const JobReport& report) {
  std::vector<std::string> lines;
  const bool dry = report.dryRun;
  for (const PairReport& pair : report.pairs) {
    switch (pair.outcome) {
      case PairOutcome::Merged:
        lines.push_back((dry ? "would merge " : "merged ") + PairName(pair) + " -> " +
                        pair.output + ": " + DescribeCounts(pair.counts));
        break;
      case PairOutcome::Unchanged:
        lines.push_back("unchanged " + PairName(pair) + ": same size and last-write time, skipped");
        break;
      case PairOutcome::Failed:
        lines.push_back("FAILED " + PairName(pair));
        break;
      case PairOutcome::NotRun:
        lines.push_back("not run " + PairName(pair) + ": the job was stopped before this pair");
        break;
    }
    if (pair.outcome != PairOutcome::Failed) {
      for (const std::string& made : pair.backupsMade) {
        lines.push_back((dry ? "  would back up to " : "  backed up to ") + made);
      }
      for (const std::string& removed : pair.backupsRemoved) {
        lines.push_back((dry ? "  would delete the old backup " : "  deleted the old backup ") +
                        removed);
      }
    }
    for (const std::string& warning : pair.warnings) lines.push_back("  note: " + warning);
  }
  for (const CopyReport& copy : report.copies) {
    if (copy.outcome == CopyOutcome::Copied && !copy.copyBack) {
      lines.push_back((dry ? "would copy " : "copied ") + copy.from + " -> " + copy.to +
                      (copy.stylesheet ? ": the stylesheet the histories use"
                                       : ": found on one side only"));
    } else if (copy.outcome == CopyOutcome::Copied && dry) {
      lines.push_back("would copy back " + copy.from + " -> " + copy.to);
    } else if (copy.outcome == CopyOutcome::NotRun) {
      lines.push_back("not run: copy " + copy.from + " -> " + copy.to +
                      ": the job was stopped before this copy");
    }
  }
  return lines;
}

std::vector<std::string> DescribeFailures(const JobReport& report) {
  std::vector<std::string> lines;
  for (const PairReport& pair : report.pairs) {
    if (pair.outcome == PairOutcome::Failed) {
      lines.push_back("not merged: " + PairName(pair) + ": " + pair.reason);
    }
  }
  for (const CopyReport& copy : report.copies) {
    if (copy.outcome == CopyOutcome::Failed) {
      lines.push_back("not copied: " + copy.from + " -> " + copy.to + ": " + copy.reason);
    }
  }
  for (const std::string& warning : report.warnings) lines.push_back("note: " + warning);
  return lines;
}

std::string DescribeTotals(const JobReport& report) {
  const int notRun = report.Count(PairOutcome::NotRun) + report.Count(CopyOutcome::NotRun);
  return std::string(report.dryRun ? "dry run, nothing was written: " : "") +
         Plural(report.Count(PairOutcome::Merged), "pair") +
         (report.dryRun ? " would be merged, " : " merged, ") +
         std::to_string(report.Count(PairOutcome::Unchanged)) + " unchanged, " +
         std::to_string(report.Count(PairOutcome::Failed)) + " failed; " +
         Plural(report.Count(CopyOutcome::Copied), "file") +
         (report.dryRun ? " would be copied, " : " copied, ") +
         std::to_string(report.Count(CopyOutcome::Failed)) + " copies failed" +
         (report.ArchivedEntries() > 0
              ? "; " + std::to_string(report.ArchivedEntries()) +
                    (report.ArchivedEntries() == 1 ? " entry" : " entries") +
                    (report.dryRun ? " would be" : "") + " left out by the archive rule"
              : "") +
         (report.stopped || notRun > 0
              ? "; stopped: " + std::to_string(notRun) + " not run"
              : "");
}

}  // namespace palvarin

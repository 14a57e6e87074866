#include "texts/reason_text.hpp"

#include <string>
#include <vector>

#include "texts/catalogue.hpp"
#include "texts/cause_text.hpp"

namespace palvarin {
namespace {

std::string JoinedPaths(const std::vector<std::string>& paths) {
  std::string joined;
  for (const std::string& path : paths) joined += (joined.empty() ? "" : ", ") + path;
  return joined;
}

// What a failed pair's backups were, after its cause: made and deleted, or in a dry run what
// would have been.
std::string WithBackups(std::string text, const PairReport& pair, bool dry) {
  const auto made = static_cast<unsigned long>(pair.backupsMade.size());
  const auto removed = static_cast<unsigned long>(pair.backupsRemoved.size());
  if (made > 0) {
    text = Format(
        dry ? TrN("{0}, and a backup would be made ({1})", "{0}, and backups would be made ({1})",
                  made)
            : TrN("{0}, and a backup was made ({1})", "{0}, and backups were made ({1})", made),
        {text, JoinedPaths(pair.backupsMade)});
  }
  if (removed > 0) {
    text =
        Format(dry ? TrN("{0}; the older backup {1} beyond the maximum would be deleted",
                         "{0}; the older backups {1} beyond the maximum would be deleted", removed)
                   : TrN("{0}; the older backup {1} beyond the maximum was deleted",
                         "{0}; the older backups {1} beyond the maximum were deleted", removed),
               {text, JoinedPaths(pair.backupsRemoved)});
  }
  return text;
}

// Why the pair failed, before what it left: its cause, with the facts that go with it.
std::string FailureCause(const PairReport& pair) {
  switch (pair.problem) {
    case PairProblem::BackupFailed:
      return Format(Tr("the backup of {0} could not be made ({1})"),
                    {pair.problemPath, Word(pair.cause)});
    case PairProblem::SharedFile:
      return Format(
          Tr("{0} is the same file as {1}; merging or copying it would write one history over "
             "another"),
          {pair.problemPath, pair.otherPath});
    case PairProblem::Unguarded:
      return Format(Tr("other Palvarin jobs cannot be kept away from these files ({0})"),
                    {Word(pair.cause)});
    case PairProblem::None:
    case PairProblem::NotStarted:
    case PairProblem::NotAHistory:
    case PairProblem::NotSaved:
    case PairProblem::OutOfMemory:
      break;
  }
  if (IsBrokenOff(pair.cause)) {
    return Format(Tr("{0}; --rescue merges its whole entries"), {Word(pair.cause)});
  }
  return Word(pair.cause);
}

}  // namespace

std::string PairReason(const PairReport& pair, bool dryRun) {
  if (pair.problem == PairProblem::NotStarted) {
    return std::string(Tr("not started: the job was stopped before this pair"));
  }
  if (pair.problem == PairProblem::None) return {};
  std::string text = FailureCause(pair);
  // A dry run writes nothing, so there is no output it could have left.
  const bool outputLeft = !dryRun && (pair.problem == PairProblem::NotSaved ||
                                      pair.problem == PairProblem::OutOfMemory);
  if (outputLeft) {
    return WithBackups(Format(Tr("{0}; {1} was left as it was"), {text, pair.output}), pair,
                       dryRun);
  }
  if (pair.backupsMade.empty() && pair.backupsRemoved.empty()) {
    return Format(dryRun
                      ? Tr("{0}; nothing would be written and both inputs would stay as they are")
                      : Tr("{0}; nothing was written and both inputs are as they were"),
                  {text});
  }
  text = Format(dryRun ? Tr("{0}; both inputs would stay as they are")
                       : Tr("{0}; both inputs are as they were"),
                {text});
  return WithBackups(std::move(text), pair, dryRun);
}

bool IsBrokenOff(const Reason& reason) {
  return reason.kind == ReasonKind::BrokenOffInEntry ||
         reason.kind == ReasonKind::BrokenOffBetweenEntries;
}

std::string RescuedText(const Reason& damage, bool dryRun) {
  return Format(dryRun ? Tr("{0}; only its whole entries would be merged")
                       : Tr("{0}; only its whole entries were merged"),
                {Word(damage)});
}

std::string CopyReason(const CopyReport& copy) {
  switch (copy.problem) {
    case CopyProblem::NotStarted:
      return std::string(Tr("not started: the job was stopped before this copy"));
    case CopyProblem::NotAHistory:
      return Format(Tr("{0}; it was not copied"), {Word(copy.cause)});
    case CopyProblem::OutputNotAHistory:
      return Format(Tr("{0}; it is left as it is, and {1} is not merged into it"),
                    {Word(copy.cause), copy.from});
    case CopyProblem::Failed:
      return Word(copy.cause);
    case CopyProblem::None:
      break;
  }
  return {};
}

std::string WarningText(PairWarning warning) {
  switch (warning) {
    case PairWarning::MergeTimeNotRecorded:
      break;
  }
  return std::string(Tr("the time of this merge could not be recorded in the profile"));
}

std::string WarningText(const JobWarning& warning) {
  switch (warning.kind) {
    case JobWarning::Kind::SettingsNotSaved:
      return std::string(Tr("the settings of this job could not be saved to the profile"));
    case JobWarning::Kind::NoHistories:
      return Format(Tr("{0} and {1} hold no message history (*.xml): nothing was merged"),
                    {warning.cause.path, warning.cause.detail});
    case JobWarning::Kind::FolderNotRead:
      break;
  }
  return Word(warning.cause);
}

}  // namespace palvarin

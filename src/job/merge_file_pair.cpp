#include "merge_file_pair.hpp"

#include <ctime>
#include <filesystem>
#include <future>
#include <optional>

#include "files/file_ops.hpp"
#include "history/log_document.hpp"
#include "job/backup_rotation.hpp"
#include "merge/entry_sink.hpp"
#include "merge/merge_entry_lists.hpp"
#include "save_merged.hpp"
#include "state/merge_time_record.hpp"
#include "state/profile_store.hpp"
#include "within_memory.hpp"

namespace palvarin {
namespace {

constexpr std::uintmax_t kParallelParseBytes = 256 << 10;

void BackupFailed(const std::string& path, Reason why, PairReport& report) {
  report.problem = PairProblem::BackupFailed;
  report.problemPath = path;
  report.cause = std::move(why);
}

bool BackUp(const std::string& path, const PairOptions& options, PairReport& report) {
  // A file that its newest backup holds already is safe: another copy would only push an
  // older, different backup out of the rotation (a pair failing on every run would soon
  // have nothing but copies of one state).
  if (std::optional<std::string> same = IdenticalNewestBackup(path)) {
    report.backupsKept.push_back(std::move(*same));
    return true;
  }
  if (options.dryRun) {
    if (const Result<FileFacts> facts = ReadFileFacts(path); !facts) {
      BackupFailed(path, facts.reason(), report);
      return false;
    }
    const std::string name = BackupName(path, std::time(nullptr));
    std::vector<std::string> beyond = BackupsBeyond(path, name, options.backupMax);
    report.backupsMade.push_back(name);
    report.backupsRemoved.insert(report.backupsRemoved.end(), beyond.begin(), beyond.end());
    return true;
  }
  const TimeValue now = std::time(nullptr);
  const Result<> made = MakeBackupAt(path, options.backupMax, now, &report.backupsRemoved);
  if (made) {
    report.backupsMade.push_back(BackupName(path, now));
    return true;
  }
  BackupFailed(path, made.reason(), report);
  return false;
}

// One input read for the merge: its document, its root's child nodes, and their times and
// sessions. Held in place: the entry list points at the nodes.
struct PreparedInput {
  std::optional<LogDocument> document;
  NodeList nodes;
  std::optional<EntryList> entries;
  Reason refusal;  // why the file is no history, naming it

  void Prepare(const std::string& path, EntrySource source, LocalTimeCache& hours,
               BrokenOff brokenOff) {
    Result<LogDocument> log = LoadLogDocument(path, brokenOff);
    if (!log) {
      refusal = log.reason();
      return;
    }
    document = std::move(*log);
    nodes = ChildNodes(document->Root());
    entries.emplace(nodes, source, hours);
  }
};

// A rescued input that the job writes over is kept first as it is, whatever the backup
// settings say: what lies after its break may still be dug out of it by hand. An input backed
// up already by this pair, or whose newest backup holds its bytes, is kept.
bool KeepBrokenOff(const std::string& path, const PairOptions& options, PairReport& report) {
  const std::string made = BackupName(path, std::time(nullptr));
  if (options.createBackup || IdenticalNewestBackup(path)) return true;
  if (!options.dryRun) {
    if (const Result<> kept = MakeBackupAt(path, 0, std::time(nullptr)); !kept) {
      BackupFailed(path, kept.reason(), report);
      return false;
    }
  }
  report.backupsMade.push_back(made);
  return true;
}

// Notes the inputs rescued, and keeps those the job writes over; false when one cannot be kept.
bool NoteRescued(const PreparedInput& input1, const PreparedInput& input2, const std::string& first,
                 const std::string& second, const std::string& output, const PairOptions& options,
                 PairReport& report) {
  for (const auto* input : {&input1, &input2}) {
    const Reason& damage = input->document->Damage();
    if (damage.kind == ReasonKind::None) continue;
    report.rescued.push_back(damage);
    const std::string& path = input == &input1 ? first : second;
    const bool writtenOver = options.overwrite || path == output;
    if (writtenOver && !KeepBrokenOff(path, options, report)) return false;
  }
  return true;
}

// The identities of the entries both files hold once the merge is in place: every entry
// written when the merged file will replace both, else the entries both inputs held.
std::vector<EntryIdentity> HeldByBoth(const RecordingSink& merged, const EntryList& first,
                                      const EntryList& second, bool levelledLater) {
  std::vector<EntryIdentity> held;
  held.reserve(merged.Records().size());
  for (const MergedEntry& entry : merged.Records()) {
    if (levelledLater || entry.source == EntrySource::kBoth) {
      held.push_back(IdentityOf(entry, first, second));
    }
    // Of an echo, input 1's copy alone: had both been recorded, a later merge that keeps
    // echoes would find each copy on one side only and leave both out.
  }
  return held;
}

// The archive rule of the pair: its last merge and what both files held after it.
ArchiveRule PairArchiveRule(ProfileStore& profile, const std::string& first,
                            const std::string& second) {
  const std::optional<MergeTimeRecord> lastMerge = ReadMergeTime(profile, first, second);
  if (!lastMerge) return {};
  auto held = ReadMergeIdentities(profile, *lastMerge);
  if (!held) return {};
  return ArchiveRule(lastMerge->time, std::move(*held));
}

// Loads, merges and saves; false with the reason when the pair cannot be merged.
bool MergeAndSave(const std::string& first, const std::string& second, const std::string& output,
                  const ArchiveRule& archive, const PairOptions& options, PairReport& report) {
  const bool levelledLater = !options.recordMergeTime;
  // The two inputs are independent: a large second input is read on another core meanwhile.
  // For small files a thread costs more than it saves.
  std::error_code ec;
  const auto policy = std::filesystem::file_size(second, ec) > kParallelParseBytes
                          ? std::launch::async
                          : std::launch::deferred;
  // Read on one thread, both inputs share the local hours worked out: they name mostly the
  // same ones.
  LocalTimeCache hours1;
  LocalTimeCache hours2;
  LocalTimeCache& hoursOf2 = policy == std::launch::async ? hours2 : hours1;
  PreparedInput input1;
  PreparedInput input2;
  const BrokenOff brokenOff = options.rescue ? BrokenOff::Rescue : BrokenOff::Refuse;
  auto preparing2 = std::async(policy, [&input2, &second, &hoursOf2, brokenOff] {
    input2.Prepare(second, EntrySource::kInput2, hoursOf2, brokenOff);
  });
  input1.Prepare(first, EntrySource::kInput1, hours1, brokenOff);
  preparing2.get();
  if (!input1.document || !input2.document) {
    report.problem = PairProblem::NotAHistory;
    report.problemPath = input1.document ? second : first;
    report.cause = (input1.document ? input2 : input1).refusal;
    return false;
  }
  if (!NoteRescued(input1, input2, first, second, output, options, report)) return false;
  RecordingSink merged;
  const int lastSession =
      MergeEntryLists(merged, *input1.entries, *input2.entries, archive, report.counts,
                      options.findEchoes ? EchoSearch::kFind : EchoSearch::kKeepBoth);
  if (options.dryRun) return true;
  // Once every entry is in the file, a large pair's documents are freed on another thread while
  // the file goes to the disk.
  std::future<void> released;
  const Result<> saved = SaveMerged(merged, lastSession, output, [&] {
    released = std::async(
        policy, [one = std::move(input1.document), two = std::move(input2.document)]() mutable {
          one.reset();
          two.reset();
        });
  });
  if (!saved) {
    report.problem = PairProblem::NotSaved;
    report.cause = saved.reason();
    return false;
  }
  // Only now, when the documents are gone: beside them these would raise the merge's peak.
  report.heldByBoth = HeldByBoth(merged, *input1.entries, *input2.entries, levelledLater);
  return true;
}

}  // namespace

PairReport NewPairReport(const std::string& first, const std::string& second,
                         const std::string& output) {
  PairReport report;
  report.first = first;
  report.second = second;
  report.output = output;
  return report;
}

PairReport NotRunPair(const std::string& first, const std::string& second,
                      const std::string& output) {
  PairReport report = NewPairReport(first, second, output);
  report.outcome = PairOutcome::NotRun;
  report.problem = PairProblem::NotStarted;
  return report;
}

bool IsPairUnchanged(const std::string& first, const std::string& second) {
  const Result<FileFacts> one = ReadFileFacts(first);
  const Result<FileFacts> two = ReadFileFacts(second);
  return one && two && one->identity != two->identity && one->size == two->size &&
         one->lastWrite == two->lastWrite;
}

PairReport MergeFilePair(const std::string& first, const std::string& second,
                         const std::string& output, const PairOptions& options,
                         ProfileStore& profile) {
  PairReport report = NewPairReport(first, second, output);
  if (options.skipUnchanged && IsPairUnchanged(first, second)) {
    report.outcome = PairOutcome::Unchanged;
    return report;
  }
  if (options.createBackup &&
      (!BackUp(first, options, report) || !BackUp(second, options, report))) {
    return report;
  }
  const ArchiveRule archive =
      options.applyArchiveRule ? PairArchiveRule(profile, first, second) : ArchiveRule();
  if (!WithinMemory(
          report, [&] { return MergeAndSave(first, second, output, archive, options, report); })) {
    return report;
  }
  report.outcome = PairOutcome::Merged;
  return report;
}

}  // namespace palvarin

#include "app/merge_file_pair.hpp"

#include <filesystem>
#include <future>

#include "files/atomic_file.hpp"
#include "files/file_ops.hpp"
#include "history/log_document.hpp"
#include "history/log_writer.hpp"
#include "history/xml_error.hpp"
#include "merge/entry_sink.hpp"
#include "merge/merge_entry_lists.hpp"
#include "state/backup_rotation.hpp"
#include "state/merge_time_record.hpp"
#include "state/profile_store.hpp"

namespace palvarin {
namespace {

constexpr std::uintmax_t kParallelParseBytes = 1 << 20;
constexpr const char* kUntouched = "; nothing was written and both inputs are as they were";

// The merged entries straight from the inputs to the file, without a copy in memory.
void SaveMerged(const RecordingSink& merged, int lastSession, const std::string& output) {
  AtomicFile file;
  if (!file.Open(output)) throw XmlError(kErrorFail, file.Error());
  LogWriter writer(file);
  writer.BeginLog(lastSession);
  for (const RecordingSink::Record& record : merged.Records()) {
    writer.WriteEntry(record.entry, record.session);
  }
  writer.EndLog();
  if (!writer.Flush() || !file.Commit()) throw XmlError(kErrorFail, file.Error());
}

bool BackUp(const std::string& path, const PairOptions& options, PairReport& report) {
  std::string error;
  if (MakeBackup(path, options.backupMax, &error)) return true;
  report.reason = "the backup of " + path + " could not be made (" + error + ")" + kUntouched;
  return false;
}

// Loads, merges and saves; false with the reason when the pair cannot be merged.
bool MergeAndSave(const std::string& first, const std::string& second, const std::string& output,
                  TimeValue cutoff, PairReport& report) {
  // The two parses are independent: a large second input is parsed on another core meanwhile.
  // For small files a thread costs more than it saves.
  std::error_code ec;
  const auto policy = std::filesystem::file_size(second, ec) > kParallelParseBytes
                          ? std::launch::async
                          : std::launch::deferred;
  auto loading2 = std::async(policy, [&second] { return LoadLogDocument(second); });
  auto input1 = LoadLogDocument(first);
  auto input2 = loading2.get();
  if (!input1 || !input2) {
    report.reason = (input1 ? second : first) +
                    " cannot be read as a history file (missing, unreadable or not well-formed)" +
                    kUntouched;
    return false;
  }
  const NodeList list1 = ChildNodes(input1->Root());
  const NodeList list2 = ChildNodes(input2->Root());
  RecordingSink merged;
  merged.Reserve(list1.size() + list2.size());  // no input entry is written twice
  const int lastSession = MergeEntryLists(merged, list1, list2, cutoff, report.counts);
  SaveMerged(merged, lastSession, output);
  return true;
}

}  // namespace

bool IsPairUnchanged(const std::string& first, const std::string& second) {
  const FileFacts one = ReadFileFacts(first);
  const FileFacts two = ReadFileFacts(second);
  return one.ok && two.ok && one.identity != two.identity && one.size == two.size &&
         one.lastWrite == two.lastWrite;
}

void RecordMergeTime(PairReport& pair, ProfileStore& profile) {
  if (!WriteMergeTime(profile, pair.first, pair.second)) {
    pair.warnings.push_back("the time of this merge could not be recorded in the profile");
  }
}

PairReport MergeFilePair(const std::string& first, const std::string& second,
                         const std::string& output, const PairOptions& options,
                         ProfileStore& profile) {
  PairReport report;
  report.first = first;
  report.second = second;
  report.output = output;
  if (options.skipUnchanged && IsPairUnchanged(first, second)) {
    report.outcome = PairOutcome::Unchanged;
    return report;
  }
  if (options.createBackup &&
      (!BackUp(first, options, report) || !BackUp(second, options, report))) {
    return report;
  }
  TimeValue cutoff = 0;
  if (options.applyArchiveRule) {
    const MergeTimeRecord lastMerge = ReadMergeTime(profile, first, second);
    if (lastMerge.found) cutoff = lastMerge.time;
  }
  try {
    if (!MergeAndSave(first, second, output, cutoff, report)) return report;
  } catch (const XmlError& error) {
    report.reason = std::string(error.what()) + "; " + output + " was left as it was";
    return report;
  } catch (const InvalidTimeError& error) {
    report.reason = std::string(error.what()) + kUntouched;
    return report;
  }
  report.outcome = PairOutcome::Merged;
  if (options.recordMergeTime) RecordMergeTime(report, profile);
  return report;
}

}  // namespace palvarin

#include "job/run_gather_job.hpp"

#include <cerrno>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <system_error>

#include "files/file_ops.hpp"
#include "files/history_locks.hpp"
#include "history/history_rule.hpp"
#include "history/log_document.hpp"
#include "job_context.hpp"
#include "job_folders.hpp"
#include "merge/gather_copies.hpp"
#include "merge_file_pair.hpp"
#include "parallel_work.hpp"
#include "save_merged.hpp"
#include "shared_files.hpp"
#include "stylesheet.hpp"
#include "within_memory.hpp"

namespace palvarin {
namespace {

namespace fs = std::filesystem;

// The path made absolute and free of "." and "..", links followed as far as they exist.
fs::path Resolved(const std::string& path) {
  std::error_code error;
  fs::path resolved = fs::weakly_canonical(fs::absolute(path), error);
  return error ? fs::absolute(path).lexically_normal() : resolved;
}

// True when `inner` is `outer` or lies below it.
bool IsWithin(const fs::path& inner, const fs::path& outer) {
  auto at = inner.begin();
  for (const fs::path& part : outer) {
    if (part.empty()) continue;  // the empty part after a trailing "/"
    if (at == inner.end() || *at != part) return false;
    ++at;
  }
  return true;
}

// One name of the gather: its copies and where it goes.
struct GatherTask {
  std::vector<std::string> copies;
  std::string output;
  PairReport report;
  // A name in the output folder, the job's own: never written through a link. A file gather's
  // output is the path given, a link to a history elsewhere written through as a merge's is.
  bool inOutputFolder = false;
  // The paths that make its file another name's: left alone, as a folder merge leaves it.
  std::optional<SharedPaths> shared;
};

// True when `a` and `b` are the same bytes.
bool SameBytes(const HistoryBytes& a, const HistoryBytes& b) {
  return a.size == b.size && std::memcmp(a.data.get(), b.data.get(), a.size) == 0;
}

// The copies of one name loaded, with their entry lists; held in place while they are merged.
class LoadedCopies {
 public:
  // Loads `paths` in their order, a copy with the very bytes of one before it only once (a
  // backup of the same state: the merge would drop it as alike, after loading and comparing
  // it in full) and given as that one's twin; a file that proves to be no history
  // (SaysNoHistory) is left out, as a listing leaves out a file of another name. A copy that
  // breaks off gives its whole entries, and `rescued` says where it breaks: the copies are only
  // read. The paths taken go to `taken`; the reason the first that cannot be loaded is none.
  std::optional<Reason> AddCopies(const std::vector<std::string>& paths,
                                  std::vector<std::string>& taken, std::vector<Reason>& rescued) {
    std::vector<Result<HistoryBytes>> read;
    read.reserve(paths.size());
    for (const std::string& path : paths) read.push_back(ReadLogBytes(path));
    // Compared before any is parsed: the parse writes into the bytes.
    std::vector<std::optional<std::size_t>> twinOf(paths.size());
    for (std::size_t k = 0; k < read.size(); ++k) {
      for (std::size_t j = 0; j < k && read[k] && !twinOf[k]; ++j) {
        if (read[j] && !twinOf[j] && SameBytes(*read[j], *read[k])) twinOf[k] = j;
      }
    }
    std::vector<std::optional<std::size_t>> documentOf(paths.size());
    for (std::size_t k = 0; k < read.size(); ++k) {
      if (!read[k]) return read[k].reason();
      if (twinOf[k]) {
        documentOf[k] = documentOf[*twinOf[k]];
      } else {
        Result<LogDocument> log =
            ParseLogDocument(std::move(*read[k]), paths[k], BrokenOff::Rescue);
        if (!log && SaysNoHistory(log.reason().kind)) continue;
        if (log && log->Damage().kind != ReasonKind::None) rescued.push_back(log->Damage());
        if (std::optional<Reason> why = Add(std::move(log))) return why;
        documentOf[k] = documents_.size() - 1;
      }
      if (documentOf[k]) {
        copyOf_.push_back(*documentOf[k]);
        taken.push_back(paths[k]);
      }
    }
    return std::nullopt;
  }
  // Loads one more copy, whatever the others hold (the history the output holds already, which
  // the gather may write over: one that breaks off is refused).
  std::optional<Reason> AddCopy(const std::string& path) {
    copyOf_.push_back(documents_.size());
    return Add(LoadLogDocument(path));
  }
  // The entry list of each copy taken, in the order they were; twins share one.
  std::vector<const EntryList*> Lists() {
    for (std::size_t i = lists_.size(); i < nodes_.size(); ++i) {
      lists_.emplace_back(nodes_[i], EntrySource::kInput1, hours_);
    }
    std::vector<const EntryList*> lists;
    for (const std::size_t document : copyOf_) lists.push_back(&lists_[document]);
    return lists;
  }

 private:
  std::optional<Reason> Add(Result<LogDocument> log) {
    if (!log) return log.reason();
    documents_.push_back(std::move(*log));
    nodes_.push_back(ChildNodes(documents_.back().Root()));
    return std::nullopt;
  }

  LocalTimeCache hours_;
  std::deque<LogDocument> documents_;
  std::deque<NodeList> nodes_;
  std::deque<EntryList> lists_;
  std::vector<std::size_t> copyOf_;  // the document of each copy taken
};

// The entries (element children) of `list`.
int EntryCount(const EntryList& list) {
  int entries = 0;
  for (int i = 0; (list.SkipToElement(i), i < list.Length()); ++i) ++entries;
  return entries;
}

void Fail(PairReport& report, PairProblem problem, Reason cause) {
  report.outcome = PairOutcome::Failed;
  report.problem = problem;
  report.cause = std::move(cause);
}

// Gathers one name: loads its copies and the output's history, merges, and saves unless the
// output would not change or nothing may be written.
void GatherName(GatherTask& task, bool dryRun, EchoSearch echoes) {
  PairReport& report = task.report;
  if (task.inOutputFolder) {
    if (const Result<> own = RefuseLink(task.output); !own) {
      return Fail(report, PairProblem::NotSaved, own.reason());
    }
  }
  LoadedCopies loaded;
  std::vector<std::string> taken;
  if (std::optional<Reason> why = loaded.AddCopies(task.copies, taken, report.rescued)) {
    return Fail(report, PairProblem::NotAHistory, std::move(*why));
  }
  report.copies = taken;
  if (!taken.empty()) report.first = taken.front();
  if (taken.empty()) {
    // No copy of this name is a history: nothing of it is gathered, or reported.
    report.outcome = PairOutcome::NotRun;
    return;
  }
  const bool existing = PathExists(task.output);
  if (existing) {
    if (std::optional<Reason> why = loaded.AddCopy(task.output)) {
      return Fail(report, PairProblem::NotAHistory, std::move(*why));
    }
  }
  std::vector<const EntryList*> lists = loaded.Lists();
  const EntryList* into = existing ? lists.back() : nullptr;
  if (existing) lists.pop_back();
  RecordingSink merged;
  const int last = GatherCopies(merged, lists, into, report.counts, report.copyAlone, echoes);
  for (const EntryList* list : lists) report.copyEntries.push_back(EntryCount(*list));
  if (into && KeepsExisting(merged, *into)) {
    report.outcome = PairOutcome::Unchanged;
    return;
  }
  report.outcome = PairOutcome::Merged;
  if (dryRun) return;
  if (const Result<> saved = SaveMerged(merged, last, task.output, [] {}); !saved) {
    Fail(report, PairProblem::NotSaved, saved.reason());
  }
}

// The names of the gather with the copies that hold them, in name order; `listed` gets what
// the listing of each input folder found.
std::vector<GatherTask> FolderTasks(const GatherRequest& request, JobReport& report,
                                    std::vector<Result<FolderMembers>>& listed) {
  std::map<std::string, std::vector<std::string>> copiesOf;
  for (const std::string& input : request.inputs) {
    const std::string prefix = FolderPrefix(input);
    listed.push_back(ListFolderMembers(prefix));
    for (const std::string& name : HistoriesListed(listed.back(), report.warnings)) {
      copiesOf[name].push_back(prefix + name);
    }
  }
  std::vector<GatherTask> tasks;
  const std::string prefixOut = FolderPrefix(request.output);
  for (auto& [name, copies] : copiesOf) {
    tasks.push_back({std::move(copies), prefixOut + name, {}, true, {}});
  }
  return tasks;
}

// Marks the names whose file in an input folder or in the output folder is another name's
// file: a link in the output to another contact's history in an input would have that history
// written over, and one among the inputs would gather another contact's messages. The output
// folder is looked at for every name, as its listing came before the lock.
void MarkSharedFiles(std::vector<GatherTask>& tasks, const GatherRequest& request,
                     const std::vector<Result<FolderMembers>>& listed) {
  std::vector<JobFolder> folders;
  for (std::size_t i = 0; i < request.inputs.size(); ++i) {
    folders.push_back({FolderPrefix(request.inputs[i]), HistoriesOf(listed[i])});
  }
  folders.push_back({FolderPrefix(request.output), nullptr});
  std::set<std::string> names;
  for (const GatherTask& task : tasks) names.insert(fs::path(task.output).filename().string());
  const auto shared = NamesSharingAFile(FolderFiles(folders, names));
  for (GatherTask& task : tasks) {
    const auto found = shared.find(fs::path(task.output).filename().string());
    if (found != shared.end()) task.shared = found->second;
  }
}

// The bytes of a name's copies, which loading them holds.
std::uint64_t CopiesBytes(const GatherTask& task) {
  std::uint64_t bytes = 0;
  for (const std::string& copy : task.copies) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(copy, error);
    if (!error) bytes += size;
  }
  return bytes;
}

// The names the outputs will have in the output folder.
std::vector<std::string> OutputNames(const std::vector<GatherTask>& tasks) {
  std::vector<std::string> names;
  names.reserve(tasks.size());
  for (const GatherTask& task : tasks) names.push_back(fs::path(task.output).filename().string());
  return names;
}

void RunTasks(std::vector<GatherTask>& tasks, JobReport& report, JobContext& context,
              EchoSearch echoes) {
  context.Plan(tasks.size());
  StageProgress progress(context, JobStage::Merging);
  const bool dryRun = context.DryRun();
  // Each name weighed as it comes to start: a look at every copy of every name first would
  // keep all the workers waiting.
  const auto weight = [&tasks](std::size_t i) { return CopiesBytes(tasks[i]); };
  RunInParallel(tasks.size(), weight, FolderWorkers(), kParallelBytesBudget, [&](std::size_t i) {
    GatherTask& task = tasks[i];
    task.report = NewPairReport(task.copies.front(), {}, task.output);
    task.report.copies = task.copies;
    if (!progress.Start(i, JobItemKind::Pair, task.output)) {
      task.report.outcome = PairOutcome::NotRun;
      task.report.problem = PairProblem::NotStarted;
      return;
    }
    WithinMemory(task.report, [&] {
      if (task.shared) {
        FailAsShared(task.report, *task.shared);
      } else {
        GatherName(task, dryRun, echoes);
      }
      return true;
    });
    progress.Finish(i, JobItemKind::Pair, task.output);
  });
  for (GatherTask& task : tasks) {
    // A name none of whose copies is a history is no history of the gather.
    const bool noHistory =
        task.report.outcome == PairOutcome::NotRun && task.report.problem == PairProblem::None;
    if (!noHistory) report.pairs.push_back(std::move(task.report));
  }
}

}  // namespace

std::optional<Refusal> CheckGatherPaths(const GatherRequest& request) {
  if (request.inputs.size() < 2) return Refusal{RefusalKind::NoPath, PathField::Input, {}};
  for (const std::string& input : request.inputs) {
    if (input.empty()) return Refusal{RefusalKind::NoPath, PathField::Input, {}};
  }
  if (request.output.empty()) return Refusal{RefusalKind::NoPath, PathField::Output, {}};
  for (const std::string& input : request.inputs) {
    if (!PathExists(input)) return Refusal{RefusalKind::MissingPath, PathField::Input, input};
  }
  const bool folders = IsFolder(request.inputs.front());
  for (const std::string& input : request.inputs) {
    if (folders && !IsFolder(input))
      return Refusal{RefusalKind::NotFolder, PathField::Input, input};
    if (!folders && IsFolder(input)) return Refusal{RefusalKind::NotFile, PathField::Input, input};
  }
  const bool outputThere = PathExists(request.output);
  if (folders && outputThere && !IsFolder(request.output)) {
    return Refusal{RefusalKind::NotFolder, PathField::Output, request.output};
  }
  if (!folders && outputThere && IsFolder(request.output)) {
    return Refusal{RefusalKind::NotFile, PathField::Output, request.output};
  }
  const fs::path output = Resolved(request.output);
  for (const std::string& input : request.inputs) {
    if (IsWithin(output, Resolved(input))) {
      return Refusal{RefusalKind::InsideInput, PathField::Output, request.output};
    }
  }
  return std::nullopt;
}

JobResult RunGatherJob(const GatherRequest& request, JobObserver& observer) {
  JobResult result;
  result.report.dryRun = request.dryRun;
  result.report.gather = true;
  result.refusal = CheckGatherPaths(request);
  if (result.refusal) return result;
  const bool folders = IsFolder(request.inputs.front());
  JobContext context(observer, request.stop, request.dryRun);
  std::vector<GatherTask> tasks;
  std::vector<Result<FolderMembers>> listed;
  if (folders) {
    // A folder that cannot be made fails each name as it is saved.
    std::error_code ignored;
    if (!request.dryRun) fs::create_directories(request.output, ignored);
    tasks = FolderTasks(request, result.report, listed);
  } else {
    tasks.push_back({request.inputs, request.output, {}, false, {}});
  }
  // The outputs only: a copy is only read, and a job that replaces one meanwhile renames a whole
  // new file into place, so the gather reads the old file or the new one, each whole. Locking
  // every copy as well cost a fifth of a gather of six copies in the kernel's lock lists, and a
  // lock per output still cost some hundredths: the output folder is held whole, as a folder
  // job holds its own.
  HistoryLocks locks;
  const auto waiting = [&observer] { observer.WaitingForOtherJob(); };
  const auto keepWaiting = [&context] { return !context.StopRequested(); };
  const Result<> locked =
      folders ? locks.AcquireFolders({request.output}, {ListFolderMembers(request.output)},
                                     OutputNames(tasks), waiting, keepWaiting)
              : locks.Acquire({request.output}, waiting, keepWaiting);
  if (!locked && locked.code() != ECANCELED) {
    PairReport unguarded = NewPairReport(request.inputs.front(), {}, request.output);
    unguarded.copies = request.inputs;
    Fail(unguarded, PairProblem::Unguarded, locked.reason());
    result.report.pairs.push_back(std::move(unguarded));
    return result;
  }
  if (folders) MarkSharedFiles(tasks, request, listed);
  if (folders && !context.StopRequested()) {
    std::vector<std::string> prefixes;
    for (const std::string& input : request.inputs) prefixes.push_back(FolderPrefix(input));
    CopyStylesheet(prefixes, FolderPrefix(request.output), request.dryRun, result.report);
  }
  RunTasks(tasks, result.report, context,
           request.findEchoes ? EchoSearch::kFind : EchoSearch::kKeepBoth);
  result.report.stopped = context.Stopped();
  return result;
}

}  // namespace palvarin

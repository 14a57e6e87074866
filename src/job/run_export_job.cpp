#include "job/run_export_job.hpp"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "export/export_history.hpp"
#include "files/file_ops.hpp"
#include "history/history_owner.hpp"
#include "history/log_document.hpp"
#include "history/xml_error.hpp"
#include "job_context.hpp"
#include "job_folders.hpp"
#include "within_memory.hpp"

namespace palvarin {
namespace {

constexpr std::string_view kHistorySuffix = ".xml";

std::optional<Refusal> CheckPaths(const ExportRequest& request) {
  if (request.inputs.empty() || request.inputs.front().empty()) {
    return Refusal{RefusalKind::NoPath, PathField::First, {}};
  }
  if (request.outputFolder.empty()) return Refusal{RefusalKind::NoPath, PathField::Output, {}};
  for (const std::string& input : request.inputs) {
    if (!PathExists(input)) return Refusal{RefusalKind::MissingPath, PathField::First, input};
  }
  if (PathExists(request.outputFolder) && !IsFolder(request.outputFolder)) {
    return Refusal{RefusalKind::NotFolder, PathField::Output, request.outputFolder};
  }
  return std::nullopt;
}

// The histories to export: the files as given, each folder's in name order.
std::vector<std::string> ListInputs(const ExportRequest& request, ExportReport& report) {
  std::vector<std::string> histories;
  for (const std::string& input : request.inputs) {
    if (!IsFolder(input)) {
      histories.push_back(input);
      continue;
    }
    const std::string prefix = FolderPrefix(input);
    for (const std::string& name : ListHistoryFiles(prefix, report.warnings)) {
      histories.push_back(prefix + name);
    }
  }
  return histories;
}

// The names of the export's files, each given once: two histories never write one file
// ("index.xml" and "index.xml.xml" would both be "index.xml.html", two folders may hold one
// name), and no page takes the index's name.
class OutputNames {
 public:
  explicit OutputNames(ExportFormat format) : format_(format) {
    if (format == ExportFormat::Html) taken_.insert(std::string(kExportIndexName));
  }

  // A history's file: its name with the form's ending for ".xml"; a page that would take the
  // index's name keeps ".xml" in its name; a name given already gets "-2", "-3", ... .
  std::string Take(const std::string& history) {
    std::string name = std::filesystem::path(history).filename().string();
    if (name.ends_with(kHistorySuffix)) name.resize(name.size() - kHistorySuffix.size());
    const std::string suffix(ExportSuffix(format_));
    if (format_ == ExportFormat::Html && name + suffix == kExportIndexName) {
      name += kHistorySuffix;
    }
    std::string output = name + suffix;
    for (int n = 2; !taken_.insert(output).second; ++n) {
      output = name + "-" + std::to_string(n) + suffix;
    }
    return output;
  }

 private:
  ExportFormat format_;
  std::set<std::string> taken_;
};

ExportItem NewItem(const std::string& history, const std::string& output) {
  ExportItem item;
  item.history = history;
  item.output = output;
  return item;
}

// The user whose histories these are, to tell the sides apart on the pages: a page shows the
// owner's messages apart only when the rule is sure. Of several histories each is read once
// more for it beforehand; a single one tells its own as it is exported.
HistoryOwner ReadOwner(const ExportRequest& request, const std::vector<std::string>& inputs) {
  HistoryOwner owner;
  if (request.format != ExportFormat::Html || inputs.size() < 2) return owner;
  for (const std::string& input : inputs) {
    if (request.stop != nullptr && request.stop->Raised()) break;
    try {
      if (const Result<LogDocument> loaded = LoadLogDocument(input))
        owner.AddHistory(loaded->Root());
    } catch (const XmlError&) {
      // Out of memory: the export itself says so for this history.
    }
  }
  return owner;
}

// Exports the history of `item` to its output; false, with the problem in `item`, when it
// could not.
bool ExportInto(ExportItem& item, const ExportRequest& request, HistoryOwner& owner) {
  const Result<LogDocument> loaded = LoadLogDocument(item.history, BrokenOff::Rescue);
  if (!loaded) {
    item.problem = PairProblem::NotAHistory;
    item.cause = loaded.reason();
    return false;
  }
  const bool html = request.format == ExportFormat::Html;
  if (html && owner.Unseen()) owner.AddHistory(loaded->Root());
  ExportOptions options{.format = request.format,
                        .words = &request.words,
                        .title = std::filesystem::path(item.history).stem().string(),
                        .indexPage = html ? kExportIndexName : "",
                        .owner = owner.Owner().value_or("")};
  if (Reason damage = loaded->Damage(); damage.kind != ReasonKind::None) {
    item.rescued.push_back(damage);
    // The page names the file alone: where it lay is the reader's own business.
    damage.path = std::filesystem::path(item.history).filename().string();
    if (request.words.brokenOff) options.notice = request.words.brokenOff(damage);
  }
  Result<> written = RefuseLink(item.output);
  if (written) written = ExportHistory(*loaded, options, item.output, item.summary);
  if (!written) {
    item.problem = PairProblem::NotSaved;
    item.cause = written.reason();
    return false;
  }
  return true;
}

ExportItem ExportOne(const std::string& history, const std::string& output,
                     const ExportRequest& request, HistoryOwner owner) {
  ExportItem item = NewItem(history, output);
  if (WithinMemory(item, [&] { return ExportInto(item, request, owner); })) {
    item.outcome = ExportOutcome::Exported;
  }
  return item;
}

// The folder's index: every contact's page there, from this export or an earlier one.
ExportItem WriteIndex(const ExportRequest& request, const std::string& output) {
  const std::vector<IndexRow> rows =
      ReadExportedPages(std::filesystem::path(output).parent_path(), kExportIndexName);
  ExportItem index = NewItem({}, output);
  Result<> written = RefuseLink(output);
  if (written) written = WriteHtmlIndex(rows, request.words, output);
  if (!written) {
    index.problem = PairProblem::NotSaved;
    index.cause = written.reason();
  } else {
    index.outcome = ExportOutcome::Exported;
  }
  return index;
}

}  // namespace

int ExportReport::Count(ExportOutcome outcome) const {
  return static_cast<int>(std::count_if(
      items.begin(), items.end(), [outcome](const auto& item) { return item.outcome == outcome; }));
}

bool ExportReport::AnyFailed() const { return Count(ExportOutcome::Failed) > 0; }

ExportResult RunExportJob(const ExportRequest& request, JobObserver& observer) {
  ExportResult result;
  result.refusal = CheckPaths(request);
  if (result.refusal) return result;
  ExportReport& report = result.report;
  // A folder that cannot be made fails each file with the reason its write gives.
  std::error_code ignored;
  std::filesystem::create_directories(request.outputFolder, ignored);
  const std::string prefix = FolderPrefix(request.outputFolder);
  const std::vector<std::string> inputs = ListInputs(request, report);
  JobContext context(observer, request.stop, false);
  context.Plan(inputs.size());
  StageProgress progress(context, JobStage::Exporting);
  OutputNames names(request.format);
  const HistoryOwner owner = ReadOwner(request, inputs);
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const std::string output = prefix + names.Take(inputs[i]);
    if (!progress.Start(i, JobItemKind::Pair, inputs[i])) {
      ExportItem& item = report.items.emplace_back(NewItem(inputs[i], output));
      item.outcome = ExportOutcome::NotRun;
      item.problem = PairProblem::NotStarted;
      continue;
    }
    report.items.push_back(ExportOne(inputs[i], output, request, owner));
    progress.Finish(i, JobItemKind::Pair, inputs[i]);
  }
  report.stopped = context.Stopped();
  if (request.format == ExportFormat::Html) {
    report.items.push_back(WriteIndex(request, prefix + kExportIndexName));
  }
  return result;
}

}  // namespace palvarin

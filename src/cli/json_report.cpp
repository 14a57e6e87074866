#include "json_report.hpp"

#include <utility>
#include <vector>

#include "base/json_string.hpp"
#include "texts/catalogue.hpp"
#include "texts/cause_text.hpp"
#include "texts/export_text.hpp"
#include "texts/find_text.hpp"
#include "texts/reason_text.hpp"

namespace palvarin {
namespace {

// One member after another, with the commas between them.
class JsonObject {
 public:
  explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }
  ~JsonObject() { out_ += '}'; }
  JsonObject(const JsonObject&) = delete;
  JsonObject& operator=(const JsonObject&) = delete;

  std::string& Key(std::string_view name) {
    if (!first_) out_ += ',';
    first_ = false;
    out_ += JsonString(name);
    out_ += ':';
    return out_;
  }
  void Text(std::string_view name, std::string_view value) { Key(name) += JsonString(value); }
  void Number(std::string_view name, long long value) { Key(name) += std::to_string(value); }
  void Bool(std::string_view name, bool value) { Key(name) += value ? "true" : "false"; }
  // Paths as they are, warnings worded in the language of the text report.
  template <typename Text>
  void Texts(std::string_view name, const std::vector<Text>& values) {
    std::string& out = Key(name);
    out += '[';
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (i > 0) out += ',';
      out += JsonString(AsText(values[i]));
    }
    out += ']';
  }

 private:
  static std::string_view AsText(const std::string& text) { return text; }
  static std::string AsText(PairWarning warning) { return WarningText(warning); }
  static std::string AsText(const JobWarning& warning) { return WarningText(warning); }

  std::string& out_;
  bool first_ = true;
};

// Each outcome under its name in the report.
template <typename Outcome>
using OutcomeNames = std::pair<Outcome, const char*>[];

constexpr OutcomeNames<PairOutcome> kPairOutcomes = {{PairOutcome::Merged, "merged"},
                                                     {PairOutcome::Unchanged, "unchanged"},
                                                     {PairOutcome::Failed, "failed"},
                                                     {PairOutcome::NotRun, "notRun"}};
constexpr OutcomeNames<CopyOutcome> kCopyOutcomes = {
    {CopyOutcome::Copied, "copied"},
    {CopyOutcome::MergedWithOutput, "mergedWithOutput"},
    {CopyOutcome::KeptExisting, "keptExisting"},
    {CopyOutcome::Failed, "failed"},
    {CopyOutcome::NotRun, "notRun"}};
constexpr OutcomeNames<ExportOutcome> kExportOutcomes = {{ExportOutcome::Exported, "exported"},
                                                         {ExportOutcome::Failed, "failed"},
                                                         {ExportOutcome::NotRun, "notRun"}};

template <typename Outcome, std::size_t N>
const char* NameOf(Outcome outcome, const std::pair<Outcome, const char*> (&names)[N]) {
  for (const auto& [value, name] : names) {
    if (value == outcome) return name;
  }
  return "";
}

// The entries of a merge, as "counts".
void AppendCounts(JsonObject& object, const MergeCounts& c) {
  JsonObject counts(object.Key("counts"));
  counts.Number("entries", static_cast<long long>(c.fromBoth) + c.fromInput1 + c.fromInput2);
  counts.Number("sessions", c.sessions);
  counts.Number("fromBoth", c.fromBoth);
  counts.Number("fromFirstOnly", c.fromInput1);
  counts.Number("fromSecondOnly", c.fromInput2);
  counts.Number("leftOutByArchiveRule", c.cutOff);
  counts.Number("loggedOnBothPcsAtOnce", c.echoes);
}

// Each input that breaks off and whose whole entries were merged: where, and what it gave.
void AppendRescued(JsonObject& object, const std::vector<Reason>& rescued) {
  std::string& out = object.Key("rescued");
  out += '[';
  for (std::size_t i = 0; i < rescued.size(); ++i) {
    if (i > 0) out += ',';
    JsonObject item(out);
    item.Text("path", rescued[i].path);
    item.Number("brokenOffAt", static_cast<long long>(rescued[i].offset));
    item.Number("wholeEntries", static_cast<long long>(rescued[i].count));
    item.Bool("entryAtBreakLeftOut", rescued[i].kind == ReasonKind::BrokenOffInEntry);
  }
  out += ']';
}

// A gather's copies of one history: what each gave, and how much of it no other copy held.
void AppendCopyCounts(JsonObject& object, const PairReport& pair) {
  std::string& out = object.Key("copyCounts");
  out += '[';
  for (std::size_t i = 0; i < pair.copies.size(); ++i) {
    if (i > 0) out += ',';
    JsonObject item(out);
    item.Text("path", pair.copies[i]);
    item.Number("entries", i < pair.copyEntries.size() ? pair.copyEntries[i] : 0);
    item.Number("heldAlone", i < pair.copyAlone.size() ? pair.copyAlone[i] : 0);
  }
  out += ']';
}

void AppendPair(std::string& out, const PairReport& pair, bool dryRun) {
  JsonObject object(out);
  object.Text("first", pair.first);
  object.Text("second", pair.second);
  object.Text("output", pair.output);
  if (!pair.copies.empty()) {
    object.Texts("copies", pair.copies);
    AppendCopyCounts(object, pair);
  }
  object.Text("outcome", NameOf(pair.outcome, kPairOutcomes));
  object.Text("reason", PairReason(pair, dryRun));
  AppendCounts(object, pair.counts);
  // A dry run makes and deletes nothing: its lists name what it would have done.
  object.Texts(dryRun ? "backupsToMake" : "backupsMade", pair.backupsMade);
  object.Texts(dryRun ? "backupsToRemove" : "backupsRemoved", pair.backupsRemoved);
  object.Texts("backupsKept", pair.backupsKept);
  object.Texts("warnings", pair.warnings);
  AppendRescued(object, pair.rescued);
}

void AppendCopy(std::string& out, const CopyReport& copy, bool dryRun) {
  JsonObject object(out);
  object.Text("from", copy.from);
  object.Text("to", copy.to);
  object.Text("kind", copy.stylesheet ? "stylesheet" : copy.copyBack ? "copyBack" : "oneSide");
  object.Text("outcome", NameOf(copy.outcome, kCopyOutcomes));
  object.Text("reason", CopyReason(copy));
  // The file found first, the output's history second.
  if (copy.outcome == CopyOutcome::MergedWithOutput) AppendCounts(object, copy.counts);
  object.Texts(dryRun ? "backupsToMake" : "backupsMade", copy.backupsMade);
  AppendRescued(object, copy.rescued);
}

template <typename Item, typename Append>
void AppendArray(std::string& out, const std::vector<Item>& items, Append append) {
  out += '[';
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += ',';
    out += '\n';
    append(out, items[i]);
  }
  out += ']';
}

}  // namespace

std::string JobReportJson(const JobReport& report) {
  std::string out;
  {
    JsonObject object(out);
    object.Bool("dryRun", report.dryRun);
    object.Bool("stopped", report.stopped);
    AppendArray(object.Key("pairs"), report.pairs,
                [&report](std::string& to, const PairReport& pair) {
                  AppendPair(to, pair, report.dryRun);
                });
    AppendArray(object.Key("copies"), report.copies,
                [&report](std::string& to, const CopyReport& copy) {
                  AppendCopy(to, copy, report.dryRun);
                });
    object.Texts("warnings", report.warnings);
    JsonObject totals(object.Key("totals"));
    totals.Number("merged", report.Count(PairOutcome::Merged));
    totals.Number("unchanged", report.Count(PairOutcome::Unchanged));
    totals.Number("failed", report.Count(PairOutcome::Failed));
    totals.Number("notRun", report.Count(PairOutcome::NotRun));
    totals.Number("copied", report.Count(CopyOutcome::Copied));
    totals.Number("copiesMergedWithOutput", report.Count(CopyOutcome::MergedWithOutput));
    totals.Number("copiesKeptExisting", report.Count(CopyOutcome::KeptExisting));
    totals.Number("copiesFailed", report.Count(CopyOutcome::Failed));
    totals.Number("copiesNotRun", report.Count(CopyOutcome::NotRun));
    totals.Number("leftOutByArchiveRule", report.ArchivedEntries());
  }
  out += '\n';
  return out;
}

std::string ExportReportJson(const ExportReport& report) {
  std::string out;
  {
    JsonObject object(out);
    object.Bool("stopped", report.stopped);
    AppendArray(object.Key("items"), report.items, [](std::string& to, const ExportItem& item) {
      JsonObject entry(to);
      entry.Text("history", item.history);
      entry.Text("output", item.output);
      entry.Text("outcome", NameOf(item.outcome, kExportOutcomes));
      entry.Text("reason", ExportReason(item));
      AppendRescued(entry, item.rescued);
      JsonObject counts(entry.Key("counts"));
      counts.Number("entries", item.summary.entries);
      counts.Number("sessions", item.summary.sessions);
      counts.Number("messages", item.summary.messages);
    });
    object.Texts("warnings", report.warnings);
    JsonObject totals(object.Key("totals"));
    totals.Number("exported", report.Count(ExportOutcome::Exported));
    totals.Number("failed", report.Count(ExportOutcome::Failed));
    totals.Number("notRun", report.Count(ExportOutcome::NotRun));
  }
  out += '\n';
  return out;
}

std::string FindReportJson(const FindReport& report) {
  std::string out;
  {
    JsonObject object(out);
    object.Bool("stopped", report.stopped);
    AppendArray(object.Key("folders"), report.folders,
                [](std::string& to, const HistoryFolder& folder) {
                  JsonObject entry(to);
                  entry.Text("folder", folder.folder);
                  entry.Number("histories", static_cast<long long>(folder.histories));
                  entry.Text("firstDate", folder.first ? FoundDate(folder.first) : "");
                  entry.Text("lastDate", folder.last ? FoundDate(folder.last) : "");
                  entry.Text("account", folder.account.name);
                  entry.Text("accountFolder", folder.accountFolder);
                  entry.Text("owner", folder.account.owner);
                });
    AppendArray(object.Key("problems"), report.problems,
                [](std::string& to, const FolderProblem& problem) {
                  JsonObject entry(to);
                  entry.Text("folder", problem.folder);
                  entry.Number("count", static_cast<long long>(problem.count));
                  entry.Text("first", Word(problem.first));
                });
    AppendRescued(object, report.damaged);
    JsonObject totals(object.Key("totals"));
    totals.Number("folders", static_cast<long long>(report.foldersWalked));
    totals.Number("files", static_cast<long long>(report.filesExamined));
  }
  out += '\n';
  return out;
}

}  // namespace palvarin

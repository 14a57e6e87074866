#include "export/export_history.hpp"

#include <algorithm>

#include "contents_page.hpp"
#include "entry_writer.hpp"
#include "files/atomic_file.hpp"
#include "files/file_ops.hpp"
#include "history/entry_times.hpp"
#include "history/history_people.hpp"
#include "page_parts.hpp"
#include "time/time_value.hpp"

namespace palvarin {
namespace {

// The export is written out in parts of about this size: a large history's export is never
// held whole.
constexpr std::size_t kWriteAt = 1 << 20;

std::unique_ptr<EntryWriter> MakeWriter(const ExportOptions& options) {
  switch (options.format) {
    case ExportFormat::Html:
      return MakeHtmlWriter(options);
    case ExportFormat::Text:
      return MakeTextWriter(options);
    case ExportFormat::JsonLines:
      break;
  }
  return MakeJsonLinesWriter();
}

// What the index says of a history. Its first and last day are on the pages' clock: the
// parsed time's local day where the writer reads times, else the "Date" as written; the last
// one is worked out once, at the end.
class Counter {
 public:
  explicit Counter(ExportSummary& summary) : summary_(summary) { summary_ = {}; }

  void Count(const ExportedEntry& entry, bool newSession) {
    summary_.sessions += newSession ? 1 : 0;
    ++summary_.entries;
    if (entry.readable.kind == "Message") ++summary_.messages;
    if (entry.time) {
      if (summary_.firstDate.empty()) summary_.firstDate = Day(*entry.time);
      lastTime_ = *entry.time;
    } else if (const auto& date = entry.readable.date) {
      if (summary_.firstDate.empty()) summary_.firstDate = *date;
      summary_.lastDate = *date;
      lastTime_ = 0;
    }
  }
  void End() {
    if (lastTime_ != 0) summary_.lastDate = Day(lastTime_);
  }

 private:
  static std::string Day(TimeValue time) { return FormatTime(time, "%Y-%m-%d"); }

  ExportSummary& summary_;
  TimeValue lastTime_ = 0;  // of the last dated entry when it had a time; 0: none
};

// Writes the sessions `runs` of `nodes` to `target` through `writer`, and what they hold to
// `summary`. `times` are by position in `nodes`; empty for a writer that shows none.
Result<> WriteRuns(const NodeList& nodes, const std::vector<SessionRun>& runs,
                   const std::vector<std::optional<TimeValue>>& times, EntryWriter& writer,
                   const std::filesystem::path& target, ExportSummary& summary) {
  AtomicFile file;
  if (!file.Open(target)) return file.Status();
  Counter counter(summary);
  std::string out;
  writer.Begin(out);
  for (const SessionRun& run : runs) {
    bool first = true;
    for (std::size_t at = run.begin; at < run.end; ++at) {
      if (nodes[at].type() != pugi::node_element) continue;
      const LogEntry entry{nodes[at]};
      const ReadableEntry readable = ReadReadableEntry(entry);
      const ExportedEntry exported{entry, readable, times.empty() ? std::nullopt : times[at]};
      if (first) writer.Session(out, exported);
      writer.Entry(out, exported);
      counter.Count(exported, first);
      first = false;
      if (out.size() >= kWriteAt) {
        if (!file.Write(out)) return file.Status();
        out.clear();
      }
    }
  }
  counter.End();
  writer.End(out, summary);
  if (!file.Write(out) || !file.Commit()) return file.Status();
  return {};
}

// `options` with the names and addresses of everyone the history names but its owner; none
// when the owner is not known, as the contact cannot then be told from the user.
ExportOptions WithContactNames(const ExportOptions& options, pugi::xml_node root) {
  ExportOptions named = options;
  if (options.owner.empty()) return named;
  const auto add = [](std::vector<std::string>& to, const std::string& text) {
    if (!text.empty() && std::find(to.begin(), to.end(), text) == to.end()) to.push_back(text);
  };
  for (const HistoryPerson& person : ReadHistoryPeople(root)) {
    if (person.name == options.owner) continue;
    add(named.names, person.name);
    add(named.addresses, person.address);
  }
  return named;
}

// A part's page beside the contact's: "alice.html" gives "alice.2007.html".
std::string PartPage(const std::filesystem::path& target, const std::string& period) {
  return target.stem().string() + "." + period + target.extension().string();
}

// A split contact: each part on a page of its own, linked to those before and after it, then
// the contact's page listing them. A part's page is never written through a link.
Result<> WriteParts(const NodeList& nodes, const std::vector<PagePart>& parts,
                    const std::vector<std::optional<TimeValue>>& times,
                    const ExportOptions& options, const std::filesystem::path& target,
                    ExportSummary& summary) {
  const PageLink contents{target.filename().string(), options.title};
  std::vector<IndexRow> rows;
  for (const PagePart& part : parts)
    rows.push_back({part.period, PartPage(target, part.period), {}});
  summary = {};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    PagePlace place{.period = parts[i].period, .contents = contents, .previous = {}, .next = {}};
    if (i > 0) place.previous = {rows[i - 1].page, rows[i - 1].name};
    if (i + 1 < parts.size()) place.next = {rows[i + 1].page, rows[i + 1].name};
    const std::filesystem::path page = target.parent_path() / rows[i].page;
    Result<> written = RefuseLink(page);
    if (written) {
      written = WriteRuns(nodes, parts[i].runs, times, *MakeHtmlWriter(options, place), page,
                          rows[i].summary);
    }
    if (!written) return written;
    const ExportSummary& got = rows[i].summary;
    summary.sessions += got.sessions;
    summary.entries += got.entries;
    summary.messages += got.messages;
    if (summary.firstDate.empty()) summary.firstDate = got.firstDate;
    if (!got.lastDate.empty()) summary.lastDate = got.lastDate;
  }
  return WriteContentsPage(options, rows, summary, target);
}

}  // namespace

std::string_view ExportSuffix(ExportFormat format) {
  switch (format) {
    case ExportFormat::Html:
      return ".html";
    case ExportFormat::Text:
      return ".txt";
    case ExportFormat::JsonLines:
      break;
  }
  return ".jsonl";
}

Result<> ExportHistory(const LogDocument& document, const ExportOptions& options,
                       const std::filesystem::path& target, ExportSummary& summary) {
  const bool html = options.format == ExportFormat::Html;
  const ExportOptions named = html ? WithContactNames(options, document.Root()) : options;
  const NodeList nodes = ChildNodes(document.Root());
  const std::vector<SessionRun> runs = ReadSessionRuns(nodes);
  const std::unique_ptr<EntryWriter> writer = MakeWriter(named);
  std::vector<std::optional<TimeValue>> times;
  if (writer->NeedsTimes()) {
    LocalTimeCache hours;
    times = ReadEntryTimes(nodes, hours);
  }
  if (const std::vector<PagePart> parts =
          html ? PlanPageParts(runs, times) : std::vector<PagePart>{};
      parts.size() > 1) {
    return WriteParts(nodes, parts, times, named, target, summary);
  }
  return WriteRuns(nodes, runs, times, *writer, target, summary);
}

}  // namespace palvarin

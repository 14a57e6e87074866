#include "export/export_history.hpp"

#include "entry_writer.hpp"
#include "files/atomic_file.hpp"
#include "merge/entry_times.hpp"
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
      lastTime_ = entry.time;
    } else if (const auto& date = entry.readable.date) {
      if (summary_.firstDate.empty()) summary_.firstDate = *date;
      summary_.lastDate = *date;
      lastTime_.reset();
    }
  }
  void End() {
    if (lastTime_) summary_.lastDate = Day(*lastTime_);
  }

 private:
  static std::string Day(TimeValue time) { return FormatTime(time, "%Y-%m-%d"); }

  ExportSummary& summary_;
  std::optional<TimeValue> lastTime_;
};

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
  AtomicFile file;
  if (!file.Open(target)) return file.Status();
  const std::unique_ptr<EntryWriter> writer = MakeWriter(options);
  // The times are read by index into the root's children, which only a writer that shows
  // them needs listed.
  std::vector<std::optional<TimeValue>> times;
  if (writer->NeedsTimes()) {
    LocalTimeCache hours;
    times = ReadEntryTimes(ChildNodes(document.Root()), hours);
  }
  Counter counter(summary);
  std::string out;
  writer->Begin(out);
  bool first = true;
  std::int32_t session = -1;
  std::size_t i = 0;
  for (pugi::xml_node node = document.Root().first_child(); node; node = node.next_sibling(), ++i) {
    if (node.type() != pugi::node_element) continue;
    const LogEntry entry{node};
    const ReadableEntry readable = ReadReadableEntry(entry);
    const ExportedEntry exported{entry, readable, times.empty() ? std::nullopt : times[i]};
    const bool newSession = first || readable.session != session;
    first = false;
    session = readable.session;
    if (newSession) writer->Session(out, exported);
    writer->Entry(out, exported);
    counter.Count(exported, newSession);
    if (out.size() >= kWriteAt) {
      if (!file.Write(out)) return file.Status();
      out.clear();
    }
  }
  counter.End();
  writer->End(out, summary);
  if (!file.Write(out) || !file.Commit()) return file.Status();
  return {};
}

}  // namespace palvarin

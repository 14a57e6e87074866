#include "export/export_history.hpp"

#include "entry_writer.hpp"
#include "files/atomic_file.hpp"
#include "merge/entry_times.hpp"

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

void Count(const ExportedEntry& entry, bool newSession, ExportSummary& summary) {
  summary.sessions += newSession ? 1 : 0;
  ++summary.entries;
  if (entry.readable.kind == "Message") ++summary.messages;
  if (const auto& date = entry.readable.date) {
    if (summary.firstDate.empty()) summary.firstDate = *date;
    summary.lastDate = *date;
  }
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
  summary = {};
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
    Count(exported, newSession, summary);
    if (out.size() >= kWriteAt) {
      if (!file.Write(out)) return file.Status();
      out.clear();
    }
  }
  writer->End(out);
  if (!file.Write(out) || !file.Commit()) return file.Status();
  return {};
}

}  // namespace palvarin

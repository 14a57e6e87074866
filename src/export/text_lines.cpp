#include "entry_writer.hpp"
#include "export/entries_text.hpp"
#include "history/entry_times.hpp"
#include "inert_text.hpp"
#include "stamp_cache.hpp"

namespace palvarin {
namespace {

constexpr std::string_view kIndent = "    ";

// Plain text, one line per entry: "YYYY-MM-DD HH:MM:SS  Sender: text", the text's further
// lines indented below it, a header line before each session.
class TextWriter : public EntryWriter {
 public:
  explicit TextWriter(const ExportOptions& options) : options_(options) {}

  void Begin(std::string& out) override { ((out += InertText(options_.title, false)) += '\n'); }

  void Session(std::string& out, const ExportedEntry& first) override {
    out += "\n== ";
    out += InertText(options_.words->conversation, false);
    if (first.readable.session >= 0) (out += ' ') += std::to_string(first.readable.session);
    if (first.time) (out += ", ") += FormatTime(*first.time, "%Y-%m-%d");
    out += " ==\n";
  }

  bool NeedsTimes() const override { return true; }

  void Entry(std::string& out, const ExportedEntry& exported) override {
    const ReadableEntry& entry = exported.readable;
    stamps_.Append(out, exported.time);
    out += "  ";
    // Entries other than messages are marked, as the pages show them quieter.
    if (entry.kind != "Message") out += "* ";
    if (entry.from) {
      AppendInertText(out, *entry.from, false);
      out += ": ";
    }
    text_.clear();
    if (entry.text) {
      AppendInertText(text_, *entry.text, true);
    } else {
      AppendInertText(text_, entry.kind, false);
    }
    std::size_t start = 0;
    for (std::size_t end; (end = text_.find('\n', start)) != std::string::npos; start = end + 1) {
      (out.append(text_, start, end - start) += '\n') += kIndent;
    }
    (out.append(text_, start) += '\n');
  }

  void End(std::string& /*out*/, const ExportSummary& /*summary*/) override {}

 private:
  const ExportOptions& options_;
  StampCache stamps_;
  std::string text_;  // reused: no allocation per entry
};

}  // namespace

std::unique_ptr<EntryWriter> MakeTextWriter(const ExportOptions& options) {
  return std::make_unique<TextWriter>(options);
}

}  // namespace palvarin

namespace palvarin {

std::string EntriesAsText(const NodeList& entries, const std::vector<int>& chosen) {
  LocalTimeCache hours;
  const std::vector<std::optional<TimeValue>> times = ReadEntryTimes(entries, hours);
  ExportOptions options;
  options.format = ExportFormat::Text;
  TextWriter writer(options);
  std::string out;
  for (const int at : chosen) {
    const auto index = static_cast<std::size_t>(at);
    const LogEntry entry{entries.at(index)};
    const ReadableEntry readable = ReadReadableEntry(entry);
    writer.Entry(out, {entry, readable, times[index]});
  }
  return out;
}

}  // namespace palvarin

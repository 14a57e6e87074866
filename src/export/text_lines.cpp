#include "entry_writer.hpp"
#include "inert_text.hpp"

namespace palvarin {
namespace {

constexpr std::string_view kNoTime = "\?\?\?\?-\?\?-\?\? \?\?:\?\?:\?\?";
constexpr std::string_view kIndent = "    ";

// The entry's moment in local time, as the merge reads it.
std::string Stamp(const std::optional<TimeValue>& time) {
  std::string stamp = time ? FormatTime(*time, "%Y-%m-%d %H:%M:%S") : std::string();
  return stamp.empty() ? std::string(kNoTime) : stamp;
}

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

  void Entry(std::string& out, const ExportedEntry& exported) override {
    const ReadableEntry& entry = exported.readable;
    (out += Stamp(exported.time)) += "  ";
    // Entries other than messages are marked, as the pages show them quieter.
    if (entry.kind != "Message") out += "* ";
    if (entry.from) (out += InertText(*entry.from, false)) += ": ";
    const std::string text =
        entry.text ? InertText(*entry.text, true) : InertText(entry.kind, false);
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      (out.append(text, start, end - start) += '\n') += kIndent;
    }
    (out.append(text, start) += '\n');
  }

  void End(std::string& /*out*/) override {}

 private:
  const ExportOptions& options_;
};

}  // namespace

std::unique_ptr<EntryWriter> MakeTextWriter(const ExportOptions& options) {
  return std::make_unique<TextWriter>(options);
}

}  // namespace palvarin

#pragma once

#include <memory>
#include <optional>
#include <string>

#include "export/export_history.hpp"
#include "history/log_entry.hpp"
#include "history/readable_entry.hpp"
#include "time/time_value.hpp"

namespace palvarin {

// One entry as the writers get it: what a reader sees of it, and its moment as the merge
// reads it (none when it has no readable time).
struct ExportedEntry {
  LogEntry entry;
  const ReadableEntry& readable;
  std::optional<TimeValue> time;
};

// One form of export. Each call appends to `out`, which the caller writes to the file.
class EntryWriter {
 public:
  virtual ~EntryWriter() = default;
  // Whether Entry reads ExportedEntry::time; working the times out costs a good part of an
  // export, so writers that do not show them are given none.
  virtual bool NeedsTimes() const { return false; }
  virtual void Begin(std::string& out) = 0;
  // Before the first entry of a run of entries with one "SessionID".
  virtual void Session(std::string& out, const ExportedEntry& first) = 0;
  virtual void Entry(std::string& out, const ExportedEntry& entry) = 0;
  // After the last entry, with what the export found in the history.
  virtual void End(std::string& out, const ExportSummary& summary) = 0;
};

// A link from one page to another beside it: the file's name and the link's text.
struct PageLink {
  std::string page, text;
};

// Where a page stands among a contact's pages: empty for a contact's one page; for a part of a
// split export its period, the contact's page, and the parts before and after it (empty page:
// none).
struct PagePlace {
  std::string period;
  PageLink contents, previous, next;
};

std::unique_ptr<EntryWriter> MakeHtmlWriter(const ExportOptions& options,
                                            const PagePlace& place = {});
std::unique_ptr<EntryWriter> MakeTextWriter(const ExportOptions& options);
std::unique_ptr<EntryWriter> MakeJsonLinesWriter();

}  // namespace palvarin

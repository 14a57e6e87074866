#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/result.hpp"
#include "export/export_format.hpp"
#include "history/log_document.hpp"

namespace palvarin {

// How one history is exported.
struct ExportOptions {
  ExportFormat format = ExportFormat::Html;
  const ExportWords* words = nullptr;
  std::string title;      // the history's name: its file name without ".xml"
  std::string indexPage;  // an HTML page links here (the index's file name); empty: no link
  // The user whose histories these are (HistoryOwner): a page shows the messages this name
  // sent apart from the contact's; empty when it cannot be told, and no side is shown.
  std::string owner{};
  std::string notice{};  // plain text an HTML page shows above the entries; empty: none
  // The contact's display names, the newest first, and the addresses given with them: who the
  // history names besides the owner. Filled by ExportHistory for a page when the owner is
  // known; empty otherwise, and the page goes by `title` alone.
  std::vector<std::string> names{}, addresses{};
};

// Writes every entry of `document`, in its order, to `target` in the form asked for, through
// an AtomicFile: the target holds its old content or the whole export. Fills `summary`.
// Fails, naming the target, when the file cannot be written.
Result<> ExportHistory(const LogDocument& document, const ExportOptions& options,
                       const std::filesystem::path& target, ExportSummary& summary);

// One line of the index: a history's name, its page (relative to the index) and what it holds.
struct IndexRow {
  std::string name;
  std::string page;
  ExportSummary summary;
  std::string label{};  // the contact's newest display name; empty: the row goes by `name`
};

// The rows of the contacts' pages an HTML export has left in `folder` (each page's own mark,
// its file name as `page`), newest conversation first, then by name; `index` is not read, nor
// a link or a page without a mark.
std::vector<IndexRow> ReadExportedPages(const std::filesystem::path& folder,
                                        std::string_view index);

// The HTML page that lists `rows`, each linking to its page, written to `target` as
// ExportHistory writes.
Result<> WriteHtmlIndex(const std::vector<IndexRow>& rows, const ExportWords& words,
                        const std::filesystem::path& target);

}  // namespace palvarin

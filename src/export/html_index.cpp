#include <algorithm>
#include <fstream>

#include "contents_page.hpp"
#include "export/export_history.hpp"
#include "files/atomic_file.hpp"
#include "inert_text.hpp"
#include "page_head.hpp"
#include "page_mark.hpp"
#include "page_nav.hpp"

namespace palvarin {
namespace {

void AppendCell(std::string& out, std::string_view tag, std::string_view text,
                const char* cellClass = nullptr) {
  ((out += '<') += tag);
  if (cellClass != nullptr) ((out += " class=\"") += cellClass) += '"';
  out += '>';
  AppendHtml(out, text);
  ((out += "</") += tag) += '>';
}

std::optional<IndexRow> ReadPage(const std::filesystem::path& page) {
  std::ifstream in(page, std::ios::binary | std::ios::ate);
  const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
  if (size <= 0) return std::nullopt;
  const std::streamoff reach = std::min<std::streamoff>(size, kPageMarkReach);
  std::string tail(static_cast<std::size_t>(reach), '\0');
  in.seekg(size - reach);
  if (!in.read(tail.data(), reach)) return std::nullopt;
  std::optional<IndexRow> row = ReadPageMark(tail);
  if (row) row->page = page.filename().string();
  return row;
}

void AppendPageTable(std::string& out, const std::vector<IndexRow>& rows,
                     const std::string& nameTitle, const ExportWords& words) {
  out += "<table>\n<thead><tr>";
  for (const std::string* title :
       {&nameTitle, &words.conversations, &words.messages, &words.first, &words.last}) {
    AppendCell(out, "th", *title);
  }
  out += "</tr></thead>\n<tbody>\n";
  for (const IndexRow& row : rows) {
    out += "<tr><td><a href=\"";
    AppendHtml(out, SiblingHref(row.page));
    out += "\">";
    AppendHtml(out, row.label.empty() ? row.name : row.label);
    out += "</a>";
    if (!row.label.empty()) {
      out += " <span class=\"k\">";
      AppendHtml(out, row.name);
      out += "</span>";
    }
    out += "</td>";
    AppendCell(out, "td", std::to_string(row.summary.sessions), "n");
    AppendCell(out, "td", std::to_string(row.summary.messages), "n");
    AppendCell(out, "td", row.summary.firstDate);
    AppendCell(out, "td", row.summary.lastDate);
    out += "</tr>\n";
  }
  out += "</tbody>\n</table>\n";
}

Result<> WritePage(const std::string& out, const std::filesystem::path& target) {
  AtomicFile file;
  if (!file.Open(target) || !file.Write(out) || !file.Commit()) return file.Status();
  return {};
}

}  // namespace

std::vector<IndexRow> ReadExportedPages(const std::filesystem::path& folder,
                                        std::string_view index) {
  std::vector<IndexRow> rows;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::filesystem::path& path = it->path();
    std::error_code ignored;
    if (path.extension() != ".html" || path.filename() == index || !it->is_regular_file(ignored) ||
        it->is_symlink(ignored)) {
      continue;
    }
    if (std::optional<IndexRow> row = ReadPage(path)) rows.push_back(std::move(*row));
  }
  std::sort(rows.begin(), rows.end(), [](const IndexRow& a, const IndexRow& b) {
    if (a.summary.lastDate != b.summary.lastDate) return a.summary.lastDate > b.summary.lastDate;
    return a.name != b.name ? a.name < b.name : a.page < b.page;
  });
  return rows;
}

// A table of pages beside this one, each row linking to its page under its name.

Result<> WriteHtmlIndex(const std::vector<IndexRow>& rows, const ExportWords& words,
                        const std::filesystem::path& target) {
  std::string out;
  AppendPageHead(out, words, words.contacts);
  out += "<main>\n<h1>";
  AppendHtml(out, words.contacts);
  out += "</h1>\n";
  AppendPageTable(out, rows, words.contact, words);
  out += "</main>\n";
  AppendPageEnd(out);
  return WritePage(out, target);
}

Result<> WriteContentsPage(const ExportOptions& options, const std::vector<IndexRow>& parts,
                           const ExportSummary& whole, const std::filesystem::path& target) {
  std::string out;
  AppendPageTop(out, options, {});
  AppendPageTable(out, parts, options.words->period, *options.words);
  out += "</main>\n";
  AppendPageEnd(out);
  AppendPageMark(out, options, whole);
  return WritePage(out, target);
}

}  // namespace palvarin

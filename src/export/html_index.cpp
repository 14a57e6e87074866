#include "export/export_history.hpp"
#include "files/atomic_file.hpp"
#include "inert_text.hpp"
#include "page_head.hpp"

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

}  // namespace

Result<> WriteHtmlIndex(const std::vector<IndexRow>& rows, const ExportWords& words,
                        const std::filesystem::path& target) {
  std::string out;
  AppendPageHead(out, words, words.contacts);
  out += "<main>\n<h1>";
  AppendHtml(out, words.contacts);
  out += "</h1>\n<table>\n<thead><tr>";
  for (const std::string* title :
       {&words.contact, &words.conversations, &words.messages, &words.first, &words.last}) {
    AppendCell(out, "th", *title);
  }
  out += "</tr></thead>\n<tbody>\n";
  for (const IndexRow& row : rows) {
    out += "<tr><td><a href=\"";
    AppendHtml(out, SiblingHref(row.page));
    out += "\">";
    AppendHtml(out, row.name);
    out += "</a></td>";
    AppendCell(out, "td", std::to_string(row.summary.sessions), "n");
    AppendCell(out, "td", std::to_string(row.summary.messages), "n");
    AppendCell(out, "td", row.summary.firstDate);
    AppendCell(out, "td", row.summary.lastDate);
    out += "</tr>\n";
  }
  out += "</tbody>\n</table>\n</main>\n";
  AppendPageEnd(out);
  AtomicFile file;
  if (!file.Open(target) || !file.Write(out) || !file.Commit()) return file.Status();
  return {};
}

}  // namespace palvarin

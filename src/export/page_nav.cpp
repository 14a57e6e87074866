#include "page_nav.hpp"

#include "inert_text.hpp"
#include "page_head.hpp"

namespace palvarin {
namespace {

void AppendLink(std::string& out, const PageLink& link, const char* rel) {
  if (link.page.empty()) return;
  out += out.ends_with("<nav>") ? "" : " \xC2\xB7 ";
  out += "<a";
  if (rel != nullptr) ((out += " rel=\"") += rel) += '"';
  out += " href=\"";
  AppendHtml(out, SiblingHref(link.page));
  out += "\">";
  AppendHtml(out, link.text);
  out += "</a>";
}

// The links at the top of a page; nothing when there is none.
void AppendPageNav(std::string& out, const ExportOptions& options, const PagePlace& place) {
  const std::size_t start = out.size();
  out += "<nav>";
  AppendLink(out, {options.indexPage, options.words->contacts}, nullptr);
  AppendLink(out, place.contents, nullptr);
  AppendLink(out, {place.previous.page, "\xE2\x86\x90 " + place.previous.text}, "prev");
  AppendLink(out, {place.next.page, place.next.text + " \xE2\x86\x92"}, "next");
  if (out.ends_with("<nav>")) {
    out.resize(start);
  } else {
    out += "</nav>\n";
  }
}

}  // namespace

void AppendPageTop(std::string& out, const ExportOptions& options, const PagePlace& place) {
  std::string title = options.title;
  if (!place.period.empty()) (title += ' ') += place.period;
  AppendPageHead(out, *options.words, title);
  out += "<header>\n";
  AppendPageNav(out, options, place);
  out += "<h1>";
  AppendHtml(out, title);
  out += "</h1>\n";
  if (!options.notice.empty()) {
    out += "<p class=\"notice\" role=\"note\">";
    AppendHtml(out, options.notice);
    out += "</p>\n";
  }
  out += "</header>\n<main>\n";
}

}  // namespace palvarin

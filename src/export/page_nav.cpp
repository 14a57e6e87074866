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

// Under the heading: the contact's other names, the addresses and the file's name.
void AppendOtherNames(std::string& out, const ExportOptions& options) {
  if (options.names.empty()) return;
  out += "<p class=\"k\">";
  bool first = true;
  const auto append = [&out, &first](std::string_view text) {
    if (!first) out += " \xC2\xB7 ";
    first = false;
    AppendHtml(out, text);
  };
  for (std::size_t i = 1; i < options.names.size(); ++i) append(options.names[i]);
  for (const std::string& address : options.addresses) append(address);
  append(options.title);
  out += "</p>\n";
}

}  // namespace

void AppendPageTop(std::string& out, const ExportOptions& options, const PagePlace& place) {
  // The contact by the newest name the history gives, else by the file's.
  std::string heading = options.names.empty() ? options.title : options.names.front();
  if (!place.period.empty()) (heading += ' ') += place.period;
  AppendPageHead(out, *options.words, heading);
  out += "<header>\n";
  AppendPageNav(out, options, place);
  out += "<h1>";
  AppendHtml(out, heading);
  out += "</h1>\n";
  AppendOtherNames(out, options);
  if (!options.notice.empty()) {
    out += "<p class=\"notice\" role=\"note\">";
    AppendHtml(out, options.notice);
    out += "</p>\n";
  }
  out += "</header>\n<main>\n";
}

}  // namespace palvarin

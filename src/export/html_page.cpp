#include "entry_writer.hpp"
#include "export/style_filter.hpp"
#include "inert_text.hpp"
#include "page_head.hpp"

namespace palvarin {
namespace {

// Date and Time as the history writes them.
void AppendWhen(std::string& out, const ReadableEntry& entry) {
  out += "<span class=\"w\">";
  AppendHtml(out, entry.date.value_or(""));
  if (entry.date && entry.clock) out += ' ';
  AppendHtml(out, entry.clock.value_or(""));
  out += "</span>";
}

// The style attribute of a text: a history repeats a few styles over and over, so the last
// one is filtered and escaped once.
class StyleAttribute {
 public:
  void Append(std::string& out, std::string_view style) {
    if (style != style_ || !known_) {
      style_.assign(style);
      known_ = true;
      attribute_.clear();
      if (const std::string safe = SafeStyle(style); !safe.empty()) {
        attribute_ += " style=\"";
        AppendHtml(attribute_, safe);
        attribute_ += '"';
      }
    }
    out += attribute_;
  }

 private:
  std::string style_, attribute_;
  bool known_ = false;
};

void AppendText(std::string& out, const ReadableEntry& entry, const char* element,
                StyleAttribute& styles) {
  ((out += '<') += element) += " class=\"t\"";
  if (entry.style) styles.Append(out, *entry.style);
  out += '>';
  AppendHtml(out, entry.text.value_or(""), true);
  ((out += "</") += element) += '>';
}

// A page that reads like the conversation: the sessions as sections under their number and
// first date, messages with their people and text, other entries as quiet lines.
class HtmlWriter : public EntryWriter {
 public:
  explicit HtmlWriter(const ExportOptions& options) : options_(options) {}

  void Begin(std::string& out) override {
    AppendPageHead(out, *options_.words, options_.title);
    out += "<header>\n";
    if (!options_.indexPage.empty()) {
      out += "<nav><a href=\"";
      AppendHtml(out, SiblingHref(options_.indexPage));
      out += "\">";
      AppendHtml(out, options_.words->contacts);
      out += "</a></nav>\n";
    }
    out += "<h1>";
    AppendHtml(out, options_.title);
    out += "</h1>\n";
    if (!options_.notice.empty()) {
      out += "<p class=\"notice\" role=\"note\">";
      AppendHtml(out, options_.notice);
      out += "</p>\n";
    }
    out += "</header>\n<main>\n";
  }

  void Session(std::string& out, const ExportedEntry& first) override {
    if (open_) out += "</section>\n";
    open_ = true;
    out += "<section>\n<h2>";
    AppendHtml(out, options_.words->conversation);
    if (first.readable.session >= 0) (out += ' ') += std::to_string(first.readable.session);
    if (first.readable.date) {
      out += " <span class=\"m\">";
      AppendHtml(out, *first.readable.date);
      out += "</span>";
    }
    out += "</h2>\n";
  }

  void Entry(std::string& out, const ExportedEntry& exported) override {
    const ReadableEntry& entry = exported.readable;
    if (entry.kind != "Message") return Quiet(out, entry);
    out += "<div class=\"e\"><p class=\"m\">";
    AppendWhen(out, entry);
    if (entry.from) {
      out += " <span class=\"f\">";
      AppendHtml(out, *entry.from);
      out += "</span>";
    }
    if (!entry.to.empty()) {
      out += " \xE2\x86\x92 <span class=\"r\">";
      for (std::size_t i = 0; i < entry.to.size(); ++i) {
        if (i > 0) out += ", ";
        AppendHtml(out, entry.to[i]);
      }
      out += "</span>";
    }
    out += "</p>";
    AppendText(out, entry, "div", styles_);
    out += "</div>\n";
  }

  void End(std::string& out) override {
    if (open_) out += "</section>\n";
    out += "</main>\n";
    AppendPageEnd(out);
  }

 private:
  // Invitations, joins, leaves and entries of other kinds: one quiet line.
  void Quiet(std::string& out, const ReadableEntry& entry) {
    out += "<p class=\"e q\">";
    AppendWhen(out, entry);
    out += " <span class=\"f\">";
    AppendHtml(out, entry.from.value_or(""));
    out += "</span> ";
    if (entry.text) {
      AppendText(out, entry, "span", styles_);
    } else {
      out += "<span class=\"t\">";
      AppendHtml(out, entry.kind);
      out += "</span>";
    }
    out += "</p>\n";
  }

  const ExportOptions& options_;
  StyleAttribute styles_;
  bool open_ = false;
};

}  // namespace

std::unique_ptr<EntryWriter> MakeHtmlWriter(const ExportOptions& options) {
  return std::make_unique<HtmlWriter>(options);
}

}  // namespace palvarin

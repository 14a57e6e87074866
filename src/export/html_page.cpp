#include "entry_writer.hpp"
#include "export/style_filter.hpp"
#include "inert_text.hpp"
#include "page_head.hpp"
#include "page_mark.hpp"
#include "page_nav.hpp"
#include "stamp_cache.hpp"

namespace palvarin {
namespace {

// An entry's moment on the one clock of every export and the reader: "YYYY-MM-DD HH:MM:SS"
// from its parsed time, or its "Date" and "Time" as written when it has none.
class Stamps {
 public:
  void Read(const ExportedEntry& exported) {
    stamp_.clear();
    if (exported.time) {
      cache_.Append(stamp_, exported.time);
      return;
    }
    const ReadableEntry& entry = exported.readable;
    stamp_.assign(entry.date.value_or(""));
    if (entry.date && entry.clock) stamp_ += ' ';
    stamp_ += entry.clock.value_or("");
  }
  // The day and the time of the last entry read: both halves of a parsed stamp, else the
  // written "Date" for the day and both as written for the time.
  std::string_view Day(const ExportedEntry& exported) const {
    if (exported.time) return std::string_view(stamp_).substr(0, kDayLength);
    return exported.readable.date.value_or("");
  }
  std::string_view Time(const ExportedEntry& exported) const {
    if (exported.time) return std::string_view(stamp_).substr(kDayLength + 1);
    return stamp_;
  }

 private:
  static constexpr std::size_t kDayLength = 10;
  StampCache cache_;
  std::string stamp_;
};

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
  HtmlWriter(const ExportOptions& options, const PagePlace& place)
      : options_(options), place_(place) {}

  void Begin(std::string& out) override { AppendPageTop(out, options_, place_); }

  void Session(std::string& out, const ExportedEntry& first) override {
    if (open_) out += "</section>\n";
    open_ = true;
    out += "<section>\n<h2>";
    AppendHtml(out, options_.words->conversation);
    if (first.readable.session >= 0) (out += ' ') += std::to_string(first.readable.session);
    stamps_.Read(first);
    day_.assign(stamps_.Day(first));
    if (!day_.empty()) {
      out += " <span class=\"m\">";
      AppendHtml(out, day_);
      out += "</span>";
    }
    out += "</h2>\n";
  }

  bool NeedsTimes() const override { return true; }

  void Entry(std::string& out, const ExportedEntry& exported) override {
    const ReadableEntry& entry = exported.readable;
    stamps_.Read(exported);
    // A conversation that runs past midnight says so where the day changes.
    if (const std::string_view day = stamps_.Day(exported); !day.empty() && day != day_) {
      day_.assign(day);
      out += "<p class=\"d\">";
      AppendHtml(out, day_);
      out += "</p>\n";
    }
    if (entry.kind != "Message") return Quiet(out, exported);
    const bool own = !options_.owner.empty() && entry.from == options_.owner;
    out += own ? "<div class=\"e o\"><p class=\"m\">" : "<div class=\"e\"><p class=\"m\">";
    AppendWhen(out, exported);
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

  void End(std::string& out, const ExportSummary& summary) override {
    if (open_) out += "</section>\n";
    out += "</main>\n";
    AppendPageEnd(out);
    // A part is listed on its contact's page, not in the folder's index.
    if (place_.period.empty()) AppendPageMark(out, options_, summary);
  }

 private:
  // Invitations, joins, leaves and entries of other kinds: one quiet line.
  void Quiet(std::string& out, const ExportedEntry& exported) {
    const ReadableEntry& entry = exported.readable;
    out += "<p class=\"e q\">";
    AppendWhen(out, exported);
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

  void AppendWhen(std::string& out, const ExportedEntry& exported) const {
    out += "<span class=\"w\">";
    AppendHtml(out, stamps_.Time(exported));
    out += "</span>";
  }

  const ExportOptions& options_;
  const PagePlace place_;
  StyleAttribute styles_;
  Stamps stamps_;
  std::string day_;  // the day shown last, in a heading or a date row
  bool open_ = false;
};

}  // namespace

std::unique_ptr<EntryWriter> MakeHtmlWriter(const ExportOptions& options, const PagePlace& place) {
  return std::make_unique<HtmlWriter>(options, place);
}

}  // namespace palvarin

#include "page_head.hpp"

#include "inert_text.hpp"

namespace palvarin {
namespace {

constexpr std::string_view kStyleSheet =
    "body{font-family:system-ui,\"Segoe UI\",\"Noto Sans\",\"Noto Sans CJK JP\","
    "\"Hiragino Sans\",\"Yu Gothic\",Meiryo,sans-serif;line-height:1.45;max-width:52em;"
    "margin:1em auto;padding:0 1em;color:#111;background:#fff}\n"
    "h1{font-size:1.4em}h2{font-size:1em;color:#444;margin:.8em 0 .3em}\n"
    "section{border-top:1px solid #ccc;margin-top:1.2em}\n"
    ".e{margin:.35em 0}.m{font-size:.85em;color:#666;margin:0}.f{font-weight:bold;color:#222}\n"
    ".t{white-space:pre-wrap;overflow-wrap:anywhere;margin:.1em 0 0 1.2em}\n"
    ".q{color:#777;font-size:.9em}.q .t{margin:0}\n"
    ".d{font-size:.85em;color:#444;text-align:center;margin:.6em 0}\n"
    ".k{color:#666;font-size:.85em;margin:0 0 .5em}\n"
    ".o{border-left:3px solid #3a7bd5;padding-left:.5em}.o .f{color:#1f5fb4}\n"
    ".notice{border-left:3px solid #b60;padding:.3em .7em;background:#fff4e0}\n"
    "table{border-collapse:collapse}th,td{padding:.25em .7em;border-bottom:1px solid #ddd;"
    "text-align:left}td.n{text-align:right}\n"
    "@media print{body{max-width:none;margin:0;padding:0;font-size:10pt}nav{display:none}"
    "a{color:inherit;text-decoration:none}h2{break-after:avoid}.e{break-inside:avoid}}\n";

}  // namespace

void AppendPageHead(std::string& out, const ExportWords& words, std::string_view title) {
  out += "<!DOCTYPE html>\n<html lang=\"";
  AppendHtml(out, words.language.empty() ? "en" : words.language);
  out +=
      "\">\n<head>\n<meta charset=\"utf-8\"/>\n"
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
      "style-src 'unsafe-inline'; form-action 'none'; base-uri 'none'\"/>\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n"
      "<meta name=\"referrer\" content=\"no-referrer\"/>\n<title>";
  AppendHtml(out, title);
  out += "</title>\n<style>\n";
  out += kStyleSheet;
  out += "</style>\n</head>\n<body>\n";
}

void AppendPageEnd(std::string& out) { out += "</body>\n</html>\n"; }

}  // namespace palvarin

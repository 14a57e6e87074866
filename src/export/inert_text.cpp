#include "inert_text.hpp"

#include "base/utf8_text.hpp"

namespace palvarin {
namespace {

void AppendEscape(std::string& out, std::uint32_t codePoint) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(codePoint >> shift) & 0xF];
}

// Bytes that go out as they are whatever the form: printable ASCII but the characters HTML
// escapes. Most of a history's text is such runs, copied at once.
bool IsPlain(unsigned char byte) {
  return byte >= 0x20 && byte < 0x7F && byte != '&' && byte != '<' && byte != '>' && byte != '"' &&
         byte != '\'';
}

// The length of the run at the start of `text` that goes out unchanged: plain ASCII and
// well-formed sequences of two to four bytes that are neither a C1 control (lead byte C2) nor
// a bidi control (lead byte E2), which covers the scripts of most texts.
std::size_t PlainPrefix(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (IsPlain(lead)) {
      ++at;
      continue;
    }
    if (lead < 0xC3 || lead == 0xE2) break;
    const std::size_t length = Utf8Length(text.substr(at));
    if (length == 0) break;
    at += length;
  }
  return at;
}

void AppendHtmlByte(std::string& out, char c) {
  switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    case '\'':
      out += "&#39;";
      break;
    default:
      out += c;
  }
}

// InertText appended to `out`, and with `html` its ASCII markup characters escaped on the way:
// one pass, no copy in between.
void AppendInert(std::string& out, std::string_view text, bool keepLineBreaks, bool html) {
  while (!text.empty()) {
    const std::size_t plain = PlainPrefix(text);
    out.append(text.data(), plain);
    text.remove_prefix(plain);
    if (text.empty()) break;
    const std::size_t length = Utf8Length(text);
    if (length == 0) {
      out += "\xEF\xBF\xBD";
      text.remove_prefix(1);
      continue;
    }
    const std::string_view sequence = text.substr(0, length);
    text.remove_prefix(length);
    const std::uint32_t point = CodePoint(sequence);
    if (keepLineBreaks && point == '\r') {
      out += '\n';
      if (!text.empty() && text[0] == '\n') text.remove_prefix(1);
    } else if (keepLineBreaks && (point == '\n' || point == '\t')) {
      out += sequence;
    } else if (IsControlCharacter(point) || IsBidiControl(point)) {
      AppendEscape(out, point);
    } else if (html && length == 1) {
      AppendHtmlByte(out, sequence[0]);
    } else {
      out += sequence;
    }
  }
}

}  // namespace

std::string InertText(std::string_view text, bool keepLineBreaks) {
  std::string out;
  out.reserve(text.size());
  AppendInert(out, text, keepLineBreaks, false);
  return out;
}

void AppendInertText(std::string& out, std::string_view text, bool keepLineBreaks) {
  AppendInert(out, text, keepLineBreaks, false);
}

std::string LineBreaksAsLf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '\r') {
      out += text[at];
      continue;
    }
    out += '\n';
    if (at + 1 < text.size() && text[at + 1] == '\n') ++at;
  }
  return out;
}

std::string SiblingHref(std::string_view name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string href = "./";
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                       (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
    if (plain) {
      href += c;
    } else {
      ((href += '%') += kHex[byte >> 4]) += kHex[byte & 0xF];
    }
  }
  return href;
}

void AppendHtml(std::string& out, std::string_view text, bool keepLineBreaks) {
  AppendInert(out, text, keepLineBreaks, true);
}

}  // namespace palvarin

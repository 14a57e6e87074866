#include "inert_text.hpp"

#include "base/utf8_text.hpp"

namespace palvarin {
namespace {

void AppendEscape(std::string& out, std::uint32_t codePoint) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(codePoint >> shift) & 0xF];
}

}  // namespace

std::string InertText(std::string_view text, bool keepLineBreaks) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
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
    } else {
      out += sequence;
    }
  }
  return out;
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
  for (const char c : InertText(text, keepLineBreaks)) {
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
}

}  // namespace palvarin

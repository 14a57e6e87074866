#include "printable_text.hpp"

#include "base/utf8_text.hpp"

namespace palvarin {
namespace {

unsigned char Byte(std::string_view text, std::size_t at) {
  return static_cast<unsigned char>(text[at]);
}

void AppendEscape(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789abcdef";
  switch (byte) {
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    default:
      ((out += "\\x") += kHex[byte >> 4]) += kHex[byte & 0xF];
  }
}

// A bidi control as the text export shows it ("\u202e"): obeyed, it would reorder the rest
// of the line, so that a name or a message could read backwards.
void AppendCodePointEscape(std::string& out, std::uint32_t point) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(point >> shift) & 0xF];
}

}  // namespace

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    // Printable ASCII, most of any path or sentence, goes over a run at a time: a folder job
    // prints a thousand lines.
    std::size_t plain = 0;
    while (plain < text.size() && Byte(text, plain) >= 0x20 && Byte(text, plain) < 0x7F) ++plain;
    if (plain > 0) {
      out += text.substr(0, plain);
      text.remove_prefix(plain);
      continue;
    }
    const std::size_t length = Utf8Length(text);
    const std::uint32_t point = length == 0 ? 0 : CodePoint(text.substr(0, length));
    if (length != 0 && IsBidiControl(point)) {
      AppendCodePointEscape(out, point);
    } else if (length != 0 && !IsControlCharacter(point)) {
      out += text.substr(0, length);
    } else {
      // A stray byte alone: what follows it may be well-formed again.
      for (std::size_t at = 0; at < (length == 0 ? 1 : length); ++at) {
        AppendEscape(out, Byte(text, at));
      }
    }
    text.remove_prefix(length == 0 ? 1 : length);
  }
  return out;
}

}  // namespace palvarin

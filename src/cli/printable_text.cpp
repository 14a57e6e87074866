#include "printable_text.hpp"

namespace palvarin {
namespace {

unsigned char Byte(std::string_view text, std::size_t at) {
  return static_cast<unsigned char>(text[at]);
}

}  // namespace

std::size_t Utf8Length(std::string_view text) {
  const unsigned char lead = Byte(text, 0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : low;
    high = lead == 0xED ? 0x9F : high;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : low;
    high = lead == 0xF4 ? 0x8F : high;
  }
  if (length == 0 || text.size() < length) return 0;
  if (Byte(text, 1) < low || Byte(text, 1) > high) return 0;
  for (std::size_t at = 2; at < length; ++at) {
    if (Byte(text, at) < 0x80 || Byte(text, at) > 0xBF) return 0;
  }
  return length;
}

namespace {

// C0 controls, DEL, and the C1 controls U+0080..U+009F, which some terminals obey too.
bool IsControl(std::string_view sequence) {
  const unsigned char lead = Byte(sequence, 0);
  return lead < 0x20 || lead == 0x7F || (lead == 0xC2 && Byte(sequence, 1) < 0xA0);
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

}  // namespace

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const std::size_t length = Utf8Length(text);
    if (length != 0 && !IsControl(text.substr(0, length))) {
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

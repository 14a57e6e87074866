#include "base/json_string.hpp"

#include "base/utf8_text.hpp"

namespace palvarin {

void AppendJsonString(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  while (!text.empty()) {
    // Printable ASCII but the quote and the backslash goes out as it is, a run at once.
    std::size_t plain = 0;
    while (plain < text.size()) {
      const auto byte = static_cast<unsigned char>(text[plain]);
      if (byte < 0x20 || byte >= 0x80 || byte == '"' || byte == '\\') break;
      ++plain;
    }
    out.append(text.data(), plain);
    text.remove_prefix(plain);
    if (text.empty()) break;
    const std::size_t length = Utf8Length(text);
    const auto byte = static_cast<unsigned char>(text[0]);
    if (length == 0) {
      out += "\\ufffd";
      text.remove_prefix(1);
      continue;
    }
    if (byte == '"' || byte == '\\') {
      (out += '\\') += static_cast<char>(byte);
    } else if (byte < 0x20) {
      ((out += "\\u00") += kHex[byte >> 4]) += kHex[byte & 0xF];
    } else {
      out += text.substr(0, length);
    }
    text.remove_prefix(length);
  }
  out += '"';
}

std::string JsonString(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  AppendJsonString(out, text);
  return out;
}

}  // namespace palvarin

#include "base/utf8_text.hpp"

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

std::uint32_t CodePoint(std::string_view sequence) {
  const unsigned char lead = Byte(sequence, 0);
  if (sequence.size() == 1) return lead;
  static constexpr unsigned char kLeadBits[] = {0, 0, 0x1F, 0x0F, 0x07};
  std::uint32_t value = lead & kLeadBits[sequence.size()];
  for (std::size_t at = 1; at < sequence.size(); ++at)
    value = (value << 6) | (Byte(sequence, at) & 0x3F);
  return value;
}

bool IsControlCharacter(std::uint32_t codePoint) {
  return codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0);
}

bool IsBidiControl(std::uint32_t codePoint) {
  return (codePoint >= 0x202A && codePoint <= 0x202E) ||
         (codePoint >= 0x2066 && codePoint <= 0x2069);
}

}  // namespace palvarin

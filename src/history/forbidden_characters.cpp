#include "forbidden_characters.hpp"

#include <algorithm>
#include <cstring>

namespace palvarin {
namespace {

constexpr std::uint32_t kPastUnicode = 0x110000;

std::size_t Count(const CodeUnits& text) { return text.size / text.unit; }

std::uint32_t UnitAt(const CodeUnits& text, std::size_t index) {
  const auto* at = reinterpret_cast<const unsigned char*>(text.bytes) + index * text.unit;
  std::uint32_t value = 0;
  for (unsigned i = 0; i < text.unit; ++i) {
    const unsigned byte = text.bigEndian ? i : text.unit - 1 - i;
    value = (value << 8) | at[byte];
  }
  return value;
}

// The index of the next unit `wanted` at or after `from`, or the count of units.
std::size_t FindUnit(const CodeUnits& text, std::uint32_t wanted, std::size_t from) {
  const std::size_t count = Count(text);
  if (text.unit == 1) {
    if (from >= count) return count;
    const void* found = std::memchr(text.bytes + from, static_cast<int>(wanted), count - from);
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.bytes) : count;
  }
  while (from < count && UnitAt(text, from) != wanted) ++from;
  return from;
}

std::optional<std::uint32_t> DigitValue(std::uint32_t unit, unsigned base) {
  if (unit >= '0' && unit <= '9') return unit - '0';
  const std::uint32_t lower = unit | 0x20;
  if (base == 16 && lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return std::nullopt;
}

// The character a reference starting at `index` ("&#") names, held at kPastUnicode when it
// lies beyond; none when the parser leaves the text as it stands (no digits, no ";"). As the
// parser reads them, only a lower-case "x" makes a reference hexadecimal.
std::optional<std::uint32_t> ReferencedCharacter(const CodeUnits& text, std::size_t index) {
  const std::size_t count = Count(text);
  std::size_t at = index + 2;
  if (at > count || UnitAt(text, index + 1) != '#') return std::nullopt;
  unsigned base = 10;
  if (at < count && UnitAt(text, at) == 'x') {
    base = 16;
    ++at;
  }
  std::uint32_t value = 0;
  const std::size_t first = at;
  for (; at < count; ++at) {
    const std::uint32_t unit = UnitAt(text, at);
    if (unit == ';') return at == first ? std::nullopt : std::optional(value);
    const std::optional<std::uint32_t> digit = DigitValue(unit, base);
    if (!digit) return std::nullopt;
    value = std::min(value * base + *digit, kPastUnicode);
  }
  return std::nullopt;
}

bool IsForbidden(std::uint32_t character) {
  return character == 0 || (character >= 0xD800 && character <= 0xDFFF) || character == 0xFFFE ||
         character == 0xFFFF || character >= kPastUnicode;
}

}  // namespace

std::optional<std::uint64_t> FindNulCharacter(const CodeUnits& text) {
  const std::size_t at = FindUnit(text, 0, 0);
  if (at == Count(text)) return std::nullopt;
  return std::uint64_t{at} * text.unit;
}

std::optional<std::uint64_t> FindForbiddenReference(const CodeUnits& text) {
  const std::size_t count = Count(text);
  for (std::size_t at = FindUnit(text, '&', 0); at < count; at = FindUnit(text, '&', at + 1)) {
    const std::optional<std::uint32_t> character = ReferencedCharacter(text, at);
    if (character && IsForbidden(*character)) return std::uint64_t{at} * text.unit;
  }
  return std::nullopt;
}

}  // namespace palvarin

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace palvarin {

// A file's text as code units of one, two or four bytes, read in the file's byte order.
struct CodeUnits {
  const char* bytes = nullptr;
  std::size_t size = 0;  // in bytes
  unsigned unit = 1;
  bool bigEndian = false;
};

// The byte offset of the first NUL character of `text`.
std::optional<std::uint64_t> FindNulCharacter(const CodeUnits& text);

// The byte offset of the first character reference ("&#...;", "&#x...;") to a character XML has
// no room for: U+0000, a surrogate, U+FFFE, U+FFFF or anything past U+10FFFF. The parser would
// take the first for the end of the text and turn the others into bytes that are no UTF-8.
std::optional<std::uint64_t> FindForbiddenReference(const CodeUnits& text);

}  // namespace palvarin

#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace palvarin {

// The length of the well-formed UTF-8 sequence that starts `text` (not empty); 0 when there is
// none (a stray continuation byte, an overlong form, a surrogate, beyond U+10FFFF, cut short).
std::size_t Utf8Length(std::string_view text);

// The code point of a well-formed sequence, as Utf8Length measured it.
std::uint32_t CodePoint(std::string_view sequence);

// C0 controls, DEL, and the C1 controls U+0080..U+009F, which some terminals obey too.
bool IsControlCharacter(std::uint32_t codePoint);

// The bidi embeddings, overrides and isolates (U+202A..U+202E, U+2066..U+2069): they reorder
// what follows them, so that a name or a text can show as another.
bool IsBidiControl(std::uint32_t codePoint);

}  // namespace palvarin

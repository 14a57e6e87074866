#pragma once

#include <cstddef>
#include <pugixml.hpp>
#include <string_view>

#include "base/reason.hpp"

namespace palvarin {

// Whether `text` may be a history that breaks off: it begins as one (UTF-8, the XML
// declaration first) and holds a NUL or does not end with "</Log>". Looks at both ends only, so
// that a whole file pays nothing for it.
bool MayBreakOff(std::string_view text, bool holdsNul);

// `document` is what the parser built of `original` before it stopped at byte `breakAt`. When
// that is the beginning of a history (its declaration, a "Log" start tag that ends before the
// break, nothing but processing instructions and comments before it), keeps only the entries
// whole before the break and says so: a reason of BrokenOffInEntry or BrokenOffBetweenEntries.
// Otherwise leaves the document alone and gives ReasonKind::None.
Reason KeepWholeEntries(pugi::xml_document& document, std::string_view original, const char* parsed,
                        std::size_t breakAt);

}  // namespace palvarin

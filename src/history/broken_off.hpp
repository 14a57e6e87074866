#pragma once

#include <cstddef>
#include <optional>
#include <pugixml.hpp>
#include <string_view>

#include "base/reason.hpp"

namespace palvarin {

// Whether `text` may be a history that breaks off: it begins as one (UTF-8, the XML
// declaration first) and holds a NUL or does not end with "</Log>". Looks at both ends only, so
// that a whole file pays nothing for it.
bool MayBreakOff(std::string_view text, bool holdsNul);

// Where the bytes that BreakAt and KeepWholeEntries read of the text begin, in `parsed` (the
// in-place copy `document` was built of): the "<" of the last entry the parser began, or of the
// Log start tag when it began none. None when the document does not begin as a history, which
// nothing rescues. They read on to the end of the text.
std::optional<std::size_t> RescueReadsFrom(const pugi::xml_document& document, const char* parsed);

// Where the well-formedness of `text` breaks, given that the parser stopped at `faultAt` having
// built `document` of it (in `parsed`, its in-place copy): the end of the text when from the
// last entry on it is whole constructs and one (a tag, a comment, CDATA, a processing
// instruction, text or a reference) that the end cuts short, as the parser often stops at the
// start of what it could not finish; else `faultAt`.
std::size_t BreakAt(const pugi::xml_document& document, std::string_view text, const char* parsed,
                    std::size_t faultAt);

// `document` is what the parser built of `original` before it stopped at byte `breakAt`. When
// that is the beginning of a history (its declaration, a "Log" start tag that ends before the
// break, nothing but processing instructions and comments before it), keeps only the entries
// whole before the break and says so: a reason of BrokenOffInEntry or BrokenOffBetweenEntries,
// whose count of whole entries the caller fills in (its walk over the tree meets them: a walk
// of their own cost a tenth of a whole load).
// Otherwise leaves the document alone and gives ReasonKind::None.
Reason KeepWholeEntries(pugi::xml_document& document, std::string_view original, const char* parsed,
                        std::size_t breakAt);

}  // namespace palvarin

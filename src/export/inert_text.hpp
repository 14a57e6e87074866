#pragma once

#include <string>
#include <string_view>

namespace palvarin {

// `text` as an export shows it: a byte that is no UTF-8 becomes U+FFFD, and a control
// character or a bidi control, which a terminal would obey or which would reorder the text
// around it, becomes a visible escape ("\u001b", "\u202e"). With `keepLineBreaks`, CR LF and
// a lone CR become LF and LF and tab stay; without, they are escaped too.
std::string InertText(std::string_view text, bool keepLineBreaks);
void AppendInertText(std::string& out, std::string_view text, bool keepLineBreaks);

// `text` with CR LF and a lone CR as LF, nothing else changed.
std::string LineBreaksAsLf(std::string_view text);

// `text`, made inert, escaped for HTML text and for a quoted attribute value.
void AppendHtml(std::string& out, std::string_view text, bool keepLineBreaks = false);

// A link to the file `name` in the same folder: "./" and the name with every byte but
// letters, digits and "-._~" percent-encoded, so that no name reads as a scheme or a query.
std::string SiblingHref(std::string_view name);

}  // namespace palvarin

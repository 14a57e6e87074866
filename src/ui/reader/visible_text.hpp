#pragma once

#include <QString>
#include <string_view>

namespace palvarin {

// A name or a text from a history as the reader shows it: every control character and every
// invisible format character (the bidi embeddings, overrides, isolates and marks, zero-width
// spaces, ...) as a visible "⟨U+202E⟩", so that none can reorder or hide what is around it.
// With `keepLineBreaks` a text's line breaks (LF, CR LF, a lone CR) become LF and tabs stay.
QString VisibleText(std::string_view utf8, bool keepLineBreaks = false);

// VisibleText between a first-strong isolate and its pop: a right-to-left name or text keeps
// its own order inside and cannot take the fields beside it into it.
QString Isolated(std::string_view utf8, bool keepLineBreaks = false);
QString Isolated(const QString& visible);

}  // namespace palvarin

#pragma once

#include <QColor>
#include <QFont>
#include <optional>
#include <string_view>

namespace palvarin {

// How a message's "Style" shows in the reader: only what the export's allow-list keeps
// (SafeStyle), as a font made from `base` and a colour (none when it names none that Qt
// knows).
struct EntryStyle {
  QFont font;
  std::optional<QColor> color;
};
EntryStyle StyleOf(std::string_view style, const QFont& base);

}  // namespace palvarin

#include "entry_style.hpp"

#include <QString>
#include <QStringList>

#include "export/style_filter.hpp"

namespace palvarin {

EntryStyle StyleOf(std::string_view style, const QFont& base) {
  EntryStyle shown{base, std::nullopt};
  const QString safe = QString::fromStdString(SafeStyle(style));
  for (const QString& declaration : safe.split(u';', Qt::SkipEmptyParts)) {
    const qsizetype colon = declaration.indexOf(u':');
    const QString property = declaration.left(colon);
    const QString value = declaration.mid(colon + 1);
    if (property == u"font-family") {
      shown.font.setFamilies(value.split(u',', Qt::SkipEmptyParts));
    } else if (property == u"color") {
      const QColor color = QColor::fromString(value);
      if (color.isValid()) shown.color = color;
    } else if (property == u"font-weight") {
      bool number = false;
      const int weight = value.toInt(&number);
      if (number) {
        shown.font.setWeight(static_cast<QFont::Weight>(weight));
      } else {
        shown.font.setBold(value == u"bold" || value == u"bolder");
      }
    } else if (property == u"font-style") {
      shown.font.setItalic(value != u"normal");
    } else if (property == u"text-decoration") {
      shown.font.setUnderline(value.contains(u"underline"));
      shown.font.setStrikeOut(value.contains(u"line-through"));
      shown.font.setOverline(value.contains(u"overline"));
    }
  }
  return shown;
}

}  // namespace palvarin

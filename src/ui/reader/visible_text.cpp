#include "visible_text.hpp"

namespace palvarin {
namespace {

// Joiners shape emoji and scripts, and a soft hyphen shows where it breaks: they stay.
bool ShowsItself(char32_t point) { return point == 0x200C || point == 0x200D || point == 0xAD; }

bool Hidden(char32_t point) {
  if (point < 0x20 || (point >= 0x7F && point <= 0x9F)) return true;
  if (point == 0x2028 || point == 0x2029) return true;
  return QChar::category(point) == QChar::Other_Format && !ShowsItself(point);
}

void AppendEscape(QString& out, char32_t point) {
  out += QChar(0x27E8);
  out += QStringLiteral("U+");
  out += QString::number(static_cast<uint>(point), 16).toUpper().rightJustified(4, u'0');
  out += QChar(0x27E9);
}

}  // namespace

QString VisibleText(std::string_view utf8, bool keepLineBreaks) {
  const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  QString out;
  out.reserve(text.size());
  for (qsizetype at = 0; at < text.size(); ++at) {
    const QChar c = text[at];
    char32_t point = c.unicode();
    if (c.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
      point = QChar::surrogateToUcs4(c, text[at + 1]);
    }
    if (keepLineBreaks && (point == u'\n' || point == u'\t')) {
      out += c;
    } else if (keepLineBreaks && point == u'\r') {
      out += u'\n';
      if (at + 1 < text.size() && text[at + 1] == u'\n') ++at;
    } else if (Hidden(point)) {
      AppendEscape(out, point);
    } else {
      out += c;
      if (point > 0xFFFF) out += text[++at];
    }
  }
  return out;
}

QString Isolated(const QString& visible) { return QChar(0x2068) + visible + QChar(0x2069); }

QString Isolated(std::string_view utf8, bool keepLineBreaks) {
  return Isolated(VisibleText(utf8, keepLineBreaks));
}

}  // namespace palvarin

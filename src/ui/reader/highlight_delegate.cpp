#include "highlight_delegate.hpp"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>

namespace palvarin {

QList<QPoint> WordSpans(const QString& text, const QStringList& words) {
  QList<QPoint> spans;
  for (const QString& word : words) {
    if (word.isEmpty()) continue;
    for (qsizetype at = text.indexOf(word, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(word, at + word.size(), Qt::CaseInsensitive)) {
      spans << QPoint(static_cast<int>(at), static_cast<int>(word.size()));
    }
  }
  std::sort(spans.begin(), spans.end(), [](QPoint a, QPoint b) { return a.x() < b.x(); });
  return spans;
}

void HighlightDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  const auto spans = index.data(kWordSpansRole).value<QList<QPoint>>();
  if (spans.isEmpty()) return QStyledItemDelegate::paint(painter, option, index);
  QStyleOptionViewItem cell = option;
  initStyleOption(&cell, index);
  QString text = cell.text;
  cell.text.clear();
  const QWidget* widget = cell.widget;
  QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
  // The background, the selection and the focus frame, without the text.
  style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
  const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);

  // A line break as QTextLayout breaks lines; the text keeps its length, and so the spans.
  text.replace(u'\n', QChar::LineSeparator);
  QTextLayout layout(text, cell.font);
  QTextOption wrap;
  wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(wrap);
  layout.beginLayout();
  qreal height = 0;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(room.width() - 4);
    line.setPosition(QPointF(2, height));
    height += line.height();
  }
  layout.endLayout();
  const bool selected = (cell.state & QStyle::State_Selected) != 0;
  QList<QTextLayout::FormatRange> marks;
  for (const QPoint span : spans) {
    QTextLayout::FormatRange mark;
    mark.start = span.x();
    mark.length = span.y();
    // On a selected row the highlight colour is the row's own: the words are underlined there.
    if (selected) {
      mark.format.setFontUnderline(true);
      mark.format.setFontWeight(QFont::Bold);
    } else {
      mark.format.setBackground(cell.palette.brush(QPalette::Highlight));
      mark.format.setForeground(cell.palette.brush(QPalette::HighlightedText));
    }
    marks << mark;
  }
  const QVariant foreground = index.data(Qt::ForegroundRole);
  painter->save();
  painter->setPen(foreground.isValid() && !selected
                      ? foreground.value<QBrush>().color()
                      : cell.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
  painter->setClipRect(room);
  const qreal top = room.top() + std::max<qreal>(0, (room.height() - height) / 2);
  layout.draw(painter, QPointF(room.left(), top), marks);
  painter->restore();
}

}  // namespace palvarin

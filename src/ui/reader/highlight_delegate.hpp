#pragma once

#include <QList>
#include <QPoint>
#include <QStringList>
#include <QStyledItemDelegate>

namespace palvarin {

// The role under which a list's model gives the spans of its row's text to highlight.
inline constexpr int kWordSpansRole = Qt::UserRole + 1;

// Where each of `words` occurs in `text`, compared case-insensitively: a QPoint per
// occurrence, x its start and y its length, ordered by start.
QList<QPoint> WordSpans(const QString& text, const QStringList& words);

// Draws a row's text as plain text, as the default delegate does, with the spans its model
// gives under kWordSpansRole marked in the highlight colour.
class HighlightDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
};

}  // namespace palvarin

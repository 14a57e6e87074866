#pragma once

#include <QCache>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QUrl>
#include <memory>
#include <optional>

#include "message_links.hpp"

class QAbstractItemView;

namespace palvarin {

// Lays out each row of an EntriesModel whole: the time in a gutter, then the sender and the
// text wrapped to the view's width, every further line indented under the text; a date row
// as a heading. Nothing is elided or clipped. Each row is laid out once per width and kept
// (the largest few layouts with it), and only the lines in sight are drawn, so that a message
// of any length scrolls as fast as a short one.
class MessageDelegate final : public QStyledItemDelegate {
 public:
  explicit MessageDelegate(QAbstractItemView* view);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  // Where the first of the row's highlighted words lies below the row's top, in pixels; 0
  // when it has none.
  int HighlightOffset(const QModelIndex& index) const;
  // Forgets every layout: the rows, their words or the width changed.
  void Forget();
  // The link under `at` (from the row's top left) in the row at `index`; none when there is
  // no link there.
  std::optional<QUrl> LinkAt(const QModelIndex& index, QPoint at) const;

 private:
  struct Laid {
    std::unique_ptr<QTextLayout> layout;
    int height = 0;
    int firstMark = 0;         // the y of the line holding the first highlighted word
    QList<MessageLink> links;  // where in the laid-out text
  };
  const Laid& Layout(const QModelIndex& index) const;
  int TextLeft() const;
  int TextWidth() const;

  QAbstractItemView* view_;
  mutable QCache<int, Laid> laid_;  // by row, costed by characters
  mutable int width_ = -1;          // the width the layouts were made for
};

}  // namespace palvarin

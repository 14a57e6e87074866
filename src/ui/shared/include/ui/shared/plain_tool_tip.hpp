#pragma once

#include <QObject>

class QAbstractItemView;
class QLabel;

namespace palvarin {

// Shows the tooltips of a view's rows as plain text: Qt's own tooltip takes any text that
// looks like markup for rich text, which would render a history's "<b>" or load its
// "<img src=...>". The tip is one label ("plainToolTip") with Qt::PlainText, shown where the
// mouse rests and hidden when it moves on.
class PlainToolTips final : public QObject {
 public:
  explicit PlainToolTips(QAbstractItemView* view);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QAbstractItemView* view_;
  QLabel* tip_;
};

}  // namespace palvarin

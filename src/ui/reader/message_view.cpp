#include "message_view.hpp"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <utility>

#include "message_delegate.hpp"

namespace palvarin {

MessageView::MessageView(QWidget* parent)
    : QListView(parent), delegate_(new MessageDelegate(this)) {
  setItemDelegate(delegate_);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // A scroll bar that came and went would change the width every row is wrapped to.
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setUniformItemSizes(false);
  setResizeMode(QListView::Adjust);
  // A conversation of many thousand entries is measured a batch at a time, between events.
  setLayoutMode(QListView::Batched);
  setBatchSize(200);
}

void MessageView::SetLinkActions(std::function<void(const QUrl&)> open,
                                 std::function<void(const QString&)> show) {
  open_ = std::move(open);
  show_ = std::move(show);
  setMouseTracking(true);
}

std::optional<QUrl> MessageView::LinkAt(QPoint point) const {
  const QModelIndex index = indexAt(point);
  if (!index.isValid()) return std::nullopt;
  return delegate_->LinkAt(index, point - visualRect(index).topLeft());
}

void MessageView::Hover(const std::optional<QUrl>& link) {
  if (link == hovered_) return;
  hovered_ = link;
  if (link) {
    viewport()->setCursor(Qt::PointingHandCursor);
  } else {
    viewport()->unsetCursor();
  }
  if (show_) show_(link ? link->toString(QUrl::FullyEncoded) : QString());
}

void MessageView::mouseMoveEvent(QMouseEvent* event) {
  Hover(LinkAt(event->position().toPoint()));
  QListView::mouseMoveEvent(event);
}

void MessageView::leaveEvent(QEvent* event) {
  Hover(std::nullopt);
  QListView::leaveEvent(event);
}

void MessageView::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton ? LinkAt(event->position().toPoint()) : std::nullopt;
  QListView::mousePressEvent(event);
}

// A link opens when the button goes up over the link it went down on: a selection dragged
// across a link opens nothing.
void MessageView::mouseReleaseEvent(QMouseEvent* event) {
  const std::optional<QUrl> link = std::exchange(pressed_, std::nullopt);
  QListView::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && link && link == LinkAt(event->position().toPoint()) &&
      open_) {
    open_(*link);
  }
}

void MessageView::ShowHighlight(const QModelIndex& index) {
  executeDelayedItemsLayout();
  setCurrentIndex(index);
  scrollTo(index, QAbstractItemView::PositionAtTop);
  const int within = delegate_->HighlightOffset(index);
  QScrollBar* bar = verticalScrollBar();
  const int top = visualRect(index).top() + bar->value();
  bar->setValue(top + within - viewport()->height() / 3);
}

void MessageView::keyPressEvent(QKeyEvent* event) {
  QScrollBar* bar = verticalScrollBar();
  const bool control = (event->modifiers() & Qt::ControlModifier) != 0;
  switch (event->key()) {
    case Qt::Key_PageDown:
      bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
      return event->accept();
    case Qt::Key_PageUp:
      bar->triggerAction(QAbstractSlider::SliderPageStepSub);
      return event->accept();
    case Qt::Key_Home:
    case Qt::Key_End:
      if (control) break;  // the first or last row, as a list moves
      bar->triggerAction(event->key() == Qt::Key_Home ? QAbstractSlider::SliderToMinimum
                                                      : QAbstractSlider::SliderToMaximum);
      return event->accept();
    default:
      break;
  }
  QListView::keyPressEvent(event);
}

void MessageView::resizeEvent(QResizeEvent* event) {
  delegate_->Forget();
  QListView::resizeEvent(event);
}

void MessageView::updateGeometries() {
  QListView::updateGeometries();
  const int line = fontMetrics().lineSpacing();
  verticalScrollBar()->setSingleStep(line);
  verticalScrollBar()->setPageStep(std::max(viewport()->height() - line, line));
}

void MessageView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                              const QList<int>& roles) {
  delegate_->Forget();
  QListView::dataChanged(topLeft, bottomRight, roles);
  scheduleDelayedItemsLayout();
}

void MessageView::reset() {
  delegate_->Forget();
  QListView::reset();
}

}  // namespace palvarin

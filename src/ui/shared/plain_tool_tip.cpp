#include "ui/shared/plain_tool_tip.hpp"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QLabel>

namespace palvarin {

PlainToolTips::PlainToolTips(QAbstractItemView* view)
    : QObject(view), view_(view), tip_(new QLabel(view, Qt::ToolTip)) {
  tip_->setObjectName(QStringLiteral("plainToolTip"));
  tip_->setTextFormat(Qt::PlainText);
  tip_->setWordWrap(true);
  tip_->setMaximumWidth(600);
  tip_->setMargin(4);
  tip_->setForegroundRole(QPalette::ToolTipText);
  tip_->setBackgroundRole(QPalette::ToolTipBase);
  tip_->setAutoFillBackground(true);
  view->viewport()->installEventFilter(this);
}

bool PlainToolTips::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip: {
      const auto* help = static_cast<QHelpEvent*>(event);
      const QString text = view_->indexAt(help->pos()).data(Qt::ToolTipRole).toString();
      if (text.isEmpty()) {
        tip_->hide();
      } else {
        // A very long text is cut: the whole is in the conversation.
        tip_->setText(text.size() > 2000 ? text.left(2000) + QChar(0x2026) : text);
        tip_->adjustSize();
        tip_->move(help->globalPos() + QPoint(2, 16));
        tip_->show();
      }
      return true;  // never Qt's own tooltip
    }
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::KeyPress:
      tip_->hide();
      break;
    case QEvent::MouseMove:
      if (tip_->isVisible() &&
          !tip_->geometry()
               .adjusted(-40, -40, 40, 40)
               .contains(static_cast<QMouseEvent*>(event)->globalPosition().toPoint())) {
        tip_->hide();
      }
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace palvarin

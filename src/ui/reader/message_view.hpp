#pragma once

#include <QListView>
#include <QUrl>
#include <functional>
#include <optional>

namespace palvarin {

class MessageDelegate;

// The conversation as a reader scrolls it: rows laid out whole by a MessageDelegate, scrolled
// pixel by pixel; the wheel moves three lines, Page Up and Page Down a screen, Home and End
// to the ends (Ctrl+Home, Ctrl+End to the first and last row), so that a message many screens
// long is read to its last line. There is no horizontal scrolling: every line fits. A link in a
// message is opened only by a click on it (`open`), and the mouse over it shows its whole
// target (`show`, with an empty text when it leaves).
class MessageView final : public QListView {
 public:
  explicit MessageView(QWidget* parent = nullptr);

  void SetLinkActions(std::function<void(const QUrl&)> open,
                      std::function<void(const QString&)> show);

  // Makes the row at `index` current and scrolls to its first highlighted word (its top when
  // it has none), a third down the view.
  void ShowHighlight(const QModelIndex& index);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void updateGeometries() override;
  void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles) override;
  void reset() override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  std::optional<QUrl> LinkAt(QPoint point) const;
  void Hover(const std::optional<QUrl>& link);

  MessageDelegate* delegate_;
  std::function<void(const QUrl&)> open_;
  std::function<void(const QString&)> show_;
  std::optional<QUrl> hovered_;  // the link under the mouse
  std::optional<QUrl> pressed_;  // the link the button went down on
};

}  // namespace palvarin

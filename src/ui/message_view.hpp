#pragma once

#include <QListView>

namespace palvarin {

class MessageDelegate;

// The conversation as a reader scrolls it: rows laid out whole by a MessageDelegate, scrolled
// pixel by pixel; the wheel moves three lines, Page Up and Page Down a screen, Home and End
// to the ends (Ctrl+Home, Ctrl+End to the first and last row), so that a message many screens
// long is read to its last line. There is no horizontal scrolling: every line fits.
class MessageView final : public QListView {
 public:
  explicit MessageView(QWidget* parent = nullptr);

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

 private:
  MessageDelegate* delegate_;
};

}  // namespace palvarin

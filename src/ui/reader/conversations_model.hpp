#pragma once

#include <QAbstractListModel>
#include <memory>

#include "reader/history_book.hpp"

namespace palvarin {

// The conversations of one history in the order it holds them: the date and time of each as
// written, and how many entries it has.
class ConversationsModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  // Shows the conversations of `book`; none when it is null, or, while `loading`, one row
  // that cannot be chosen saying so.
  void Show(std::shared_ptr<const HistoryBook> book, bool loading = false);
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  std::shared_ptr<const HistoryBook> book_;
  bool loading_ = false;
};

}  // namespace palvarin

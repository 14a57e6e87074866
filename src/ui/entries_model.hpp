#pragma once

#include <QAbstractListModel>
#include <memory>

#include "reader/history_book.hpp"

namespace palvarin {

// The entries of one conversation, each read from the history when a view asks for it: the
// time as the history writes it, the sender and the text with its line breaks, as plain text.
// Entries other than messages (invitations, joins, leaves) are quiet, grey rows.
class EntriesModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  // Shows the entries of `conversation` in `book`; none when the book is null.
  void Show(std::shared_ptr<const HistoryBook> book, Conversation conversation);
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  std::shared_ptr<const HistoryBook> book_;
  Conversation conversation_;
};

}  // namespace palvarin

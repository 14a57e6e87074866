#pragma once

#include <QAbstractListModel>
#include <QStringList>
#include <memory>

#include "reader/history_book.hpp"

namespace palvarin {

// The entries of one conversation, each read from the history when a view asks for it: the
// time as the history writes it, the sender and the text with its line breaks, as plain text.
// Entries other than messages (invitations, joins, leaves) are quiet, grey rows; a message
// has the font and colour of its "Style" that the export's allow-list keeps. The words of
// a search are given as spans under kWordSpansRole.
class EntriesModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  // Shows the entries of `conversation` in `book`; none when the book is null.
  void Show(std::shared_ptr<const HistoryBook> book, Conversation conversation);
  // Marks `words` wherever a row holds them; none when empty.
  void Highlight(QStringList words);
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  std::shared_ptr<const HistoryBook> book_;
  Conversation conversation_;
  QStringList words_;
};

}  // namespace palvarin

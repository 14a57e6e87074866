#include "conversations_model.hpp"

#include "ui/shared/dialog_strings.hpp"

namespace palvarin {

void ConversationsModel::Show(std::shared_ptr<const HistoryBook> book, bool loading) {
  beginResetModel();
  book_ = std::move(book);
  loading_ = loading && !book_;
  endResetModel();
}

int ConversationsModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  if (!book_) return loading_ ? 1 : 0;
  return static_cast<int>(book_->Conversations().size());
}

Qt::ItemFlags ConversationsModel::flags(const QModelIndex& index) const {
  return book_ ? QAbstractListModel::flags(index) : Qt::NoItemFlags;
}

QVariant ConversationsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole) return {};
  if (!book_) return QTr("Loading...");
  const Conversation& conversation = book_->Conversations()[static_cast<std::size_t>(index.row())];
  const std::string entries =
      Format(TrN("{0} entry", "{0} entries", static_cast<unsigned long>(conversation.count)),
             {std::to_string(conversation.count)});
  // Two lines, so that no language's count is cut off in a narrow list.
  return FromUtf8(book_->Stamp(conversation.first) + '\n' + entries);
}

}  // namespace palvarin

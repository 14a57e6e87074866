#pragma once

#include <QAbstractListModel>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "reader/history_book.hpp"

namespace palvarin {

// The rows of one conversation: a date row first and wherever the day changes, then each
// entry, read from the history when a view asks for it. An entry's fields come apart for the
// view to lay out (kClockRole, kSenderRole, kBodyRole), each as plain text with its hidden
// characters made visible and its name and text isolated for bidi; DisplayRole joins them into
// one line as a screen reader or a copy would read it. Entries other than messages
// (invitations, joins, leaves) are quiet rows; a message's text has the font and colour of its
// "Style" that the export's allow-list keeps (FontRole, ForegroundRole). The words of a search
// are given as spans of the body under kWordSpansRole. A message's side (kSideRole) tells the
// user's own from the contact's, when the history's owner is known; kRecipientsRole names whom
// it was sent to, each isolated.
class EntriesModel : public QAbstractListModel {
 public:
  enum class RowKind { Message, Quiet, Date };
  enum class Side { None, Own, Contact };
  static constexpr int kSideRole = Qt::UserRole + 15;
  static constexpr int kRecipientsRole = Qt::UserRole + 16;
  static constexpr int kRowKindRole = Qt::UserRole + 10;
  static constexpr int kClockRole = Qt::UserRole + 11;
  static constexpr int kSenderRole = Qt::UserRole + 12;
  static constexpr int kBodyRole = Qt::UserRole + 13;
  // The entry's place in its conversation (0 for the first); -1 for a date row.
  static constexpr int kEntryRole = Qt::UserRole + 14;

  using QAbstractListModel::QAbstractListModel;

  // Shows the entries of `conversation` in `book`; none when the book is null. A message of
  // `owner` is the user's own, any other one the contact's; no sides without an owner.
  void Show(std::shared_ptr<const HistoryBook> book, Conversation conversation,
            std::optional<std::string> owner = std::nullopt);
  // Marks `words` wherever a row holds them; none when empty.
  void Highlight(QStringList words);
  // The row of the conversation's `entry`-th entry.
  int RowOfEntry(int entry) const;
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  QVariant EntryData(int entry, int role) const;

  std::shared_ptr<const HistoryBook> book_;
  Conversation conversation_;
  std::optional<std::string> owner_;
  // Per row: the entry's place in the conversation, or -1 - k for a date row before entry k.
  std::vector<int> rows_;
  QStringList words_;
};

}  // namespace palvarin

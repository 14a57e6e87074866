#pragma once

#include <QAbstractListModel>
#include <vector>

#include "reader/history_shelf.hpp"

namespace palvarin {

// The histories of the shelf, one row each: the contact's name and, once the history has been
// read, a second line with how many conversations it holds and the last one's date, or why it
// cannot be read. kNameRole is the name alone, which the reader's filter
// looks at.
class ContactsModel : public QAbstractListModel {
 public:
  static constexpr int kNameRole = Qt::UserRole;

  explicit ContactsModel(std::vector<ShelfHistory> shelf, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  const ShelfHistory& History(int row) const { return shelf_.at(static_cast<std::size_t>(row)); }
  // The row of the history at `path`, or of the file name `path`; -1 when none is.
  int RowOf(const std::string& path) const;
  // Takes what was read of the history at `row`.
  void Update(int row, ShelfHistory history);

 private:
  std::vector<ShelfHistory> shelf_;
};

}  // namespace palvarin

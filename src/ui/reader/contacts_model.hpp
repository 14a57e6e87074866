#pragma once

#include <QAbstractListModel>
#include <optional>
#include <string>
#include <vector>

#include "reader/history_shelf.hpp"  // HistoryOwner, HistoryPerson

namespace palvarin {

// The histories of the shelf, one row each: the contact's newest display name with its address
// (the file name until the history has been read) and, once read, a second line with the file
// name, how many conversations it holds and the last one's date, or why it cannot be read; the
// tooltip names every name and address of the contact. kNameRole is the file's name alone;
// kMatchRole every name, address and the file name, for the filter; kNoHistoryRole whether it
// was read as no history at all (ShelfHistory::NoHistory).
class ContactsModel : public QAbstractListModel {
 public:
  static constexpr int kNameRole = Qt::UserRole;
  static constexpr int kMatchRole = Qt::UserRole + 1;
  static constexpr int kNoHistoryRole = Qt::UserRole + 2;

  explicit ContactsModel(std::vector<ShelfHistory> shelf, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  const ShelfHistory& History(int row) const { return shelf_.at(static_cast<std::size_t>(row)); }
  // The row of the history at `path`, or of the file name `path`; -1 when none is.
  int RowOf(const std::string& path) const;
  // Takes what was read of the history at `row`.
  void Update(int row, ShelfHistory history);
  // How many rows are histories, or not yet known to be none.
  int HistoryCount() const;
  // The user whose history the one at `row` is: the owner of every history read so far (the
  // one name in each of their conversations), else of that history alone; none when neither
  // tells.
  std::optional<std::string> Owner(int row) const;

 private:
  // The people of the history at `row` but its owner: the contact, the newest name first.
  std::vector<HistoryPerson> Contact(int row) const;

  std::vector<ShelfHistory> shelf_;
  HistoryOwner everyOwner_;  // of every history read
};

}  // namespace palvarin

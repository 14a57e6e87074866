#include "contacts_model.hpp"

#include "dialog_strings.hpp"
#include "texts/cause_text.hpp"
#include "visible_text.hpp"

namespace palvarin {

ContactsModel::ContactsModel(std::vector<ShelfHistory> shelf, QObject* parent)
    : QAbstractListModel(parent), shelf_(std::move(shelf)) {}

int ContactsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(shelf_.size());
}

int ContactsModel::RowOf(const std::string& path) const {
  for (std::size_t row = 0; row < shelf_.size(); ++row) {
    const std::string& at = shelf_[row].path;
    if (at == path || (at.ends_with(path) && at[at.size() - path.size() - 1] == '/')) {
      return static_cast<int>(row);
    }
  }
  return -1;
}

void ContactsModel::Update(int row, ShelfHistory history) {
  shelf_.at(static_cast<std::size_t>(row)) = std::move(history);
  emit dataChanged(index(row), index(row));
}

QVariant ContactsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const ShelfHistory& history = History(index.row());
  if (role == kNameRole) return FromUtf8(history.name);
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const QString name = Isolated(history.name);
  if (!history.summarised) return name;
  if (!history.read) {
    // The reason names the file: its hidden characters shown as in the name.
    return FromUtf8(
        Format(Tr("{0} (cannot be read: {1})"),
               {name.toStdString(), Isolated(Word(history.read.reason())).toStdString()}));
  }
  const std::string conversations = Format(TrN("{0} conversation", "{0} conversations",
                                               static_cast<unsigned long>(history.conversations)),
                                           {std::to_string(history.conversations)});
  const std::string summary = history.lastDate.empty() ? conversations
                                                       : Format(Tr("{0}, the last on {1}"),
                                                                {conversations, history.lastDate});
  if (role == Qt::ToolTipRole) return FromUtf8(summary);
  return name + u'\n' + FromUtf8(summary);
}

}  // namespace palvarin

#include "contacts_model.hpp"

#include <algorithm>

#include "texts/cause_text.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "visible_text.hpp"

namespace palvarin {
namespace {

// A person as a line: the name and the address, each isolated, whichever the history gives.
QString PersonLine(const HistoryPerson& person) {
  QStringList parts;
  for (const std::string* part : {&person.name, &person.address}) {
    if (!part->empty()) parts << Isolated(*part);
  }
  return parts.join(QStringLiteral("  "));
}

}  // namespace

ContactsModel::ContactsModel(std::vector<ShelfHistory> shelf, QObject* parent)
    : QAbstractListModel(parent), shelf_(std::move(shelf)) {
  for (const ShelfHistory& history : shelf_) everyOwner_.Add(history.owner);
}

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
  const std::optional<std::string> before = everyOwner_.Owner();
  everyOwner_ = {};
  for (const ShelfHistory& each : shelf_) everyOwner_.Add(each.owner);
  // Another owner tells every contact apart anew.
  if (everyOwner_.Owner() != before) return emit dataChanged(index(0), index(rowCount() - 1));
  emit dataChanged(index(row), index(row));
}

int ContactsModel::HistoryCount() const {
  return static_cast<int>(std::count_if(shelf_.begin(), shelf_.end(),
                                        [](const ShelfHistory& at) { return !at.NoHistory(); }));
}

std::optional<std::string> ContactsModel::Owner(int row) const {
  if (std::optional<std::string> owner = everyOwner_.Owner()) return owner;
  return History(row).owner.Owner();
}

std::vector<HistoryPerson> ContactsModel::Contact(int row) const {
  std::vector<HistoryPerson> contact = History(row).people;
  if (const std::optional<std::string> owner = Owner(row)) {
    std::erase_if(contact, [&](const HistoryPerson& person) { return person.name == *owner; });
  }
  return contact;
}

QVariant ContactsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const ShelfHistory& history = History(index.row());
  if (role == kNameRole) return FromUtf8(history.name);
  if (role == kNoHistoryRole) return history.NoHistory();
  const std::vector<HistoryPerson> contact = Contact(index.row());
  if (role == kMatchRole) {
    QStringList words{FromUtf8(history.name)};
    for (const HistoryPerson& person : contact) {
      words << FromUtf8(person.name) << FromUtf8(person.address);
    }
    return words.join(u'\n');
  }
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
  const QString summary =
      FromUtf8(history.lastDate.empty()
                   ? conversations
                   : Format(Tr("{0}, the last on {1}"), {conversations, history.lastDate}));
  // The file's name under the contact's, or alone when the history names nobody else.
  const QString file = contact.empty() ? summary : name + QStringLiteral("  ") + summary;
  QStringList lines;
  for (const HistoryPerson& person : contact) {
    lines << PersonLine(person);
    if (role == Qt::DisplayRole) break;  // the newest; the tooltip names them all
  }
  if (contact.empty()) lines << name;
  return (lines << file).join(u'\n');
}

}  // namespace palvarin

#include "entries_model.hpp"

#include <QGuiApplication>
#include <QPalette>

#include "dialog_strings.hpp"

namespace palvarin {

void EntriesModel::Show(std::shared_ptr<const HistoryBook> book, Conversation conversation) {
  beginResetModel();
  book_ = std::move(book);
  conversation_ = std::move(conversation);
  endResetModel();
}

int EntriesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !book_ ? 0 : conversation_.count;
}

QVariant EntriesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  if (role != Qt::DisplayRole && role != Qt::ForegroundRole) return {};
  const ReadableEntry entry = book_->Entry(conversation_.first + index.row());
  const bool quiet = entry.kind != "Message";
  if (role == Qt::ForegroundRole) {
    if (!quiet) return {};
    return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
  }
  // As the history writes it, whatever it holds: the default delegate shows it as plain text.
  std::string row(entry.clock.value_or(""));
  row += "  ";
  if (entry.from) (row += *entry.from) += ": ";
  row += entry.text ? std::string_view(*entry.text) : entry.kind;
  return FromUtf8(row);
}

}  // namespace palvarin

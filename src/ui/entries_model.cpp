#include "entries_model.hpp"

#include <QGuiApplication>
#include <QPalette>

#include "dialog_strings.hpp"
#include "entry_style.hpp"
#include "highlight_delegate.hpp"

namespace palvarin {

void EntriesModel::Show(std::shared_ptr<const HistoryBook> book, Conversation conversation) {
  beginResetModel();
  book_ = std::move(book);
  conversation_ = std::move(conversation);
  endResetModel();
}

void EntriesModel::Highlight(QStringList words) {
  words_ = std::move(words);
  if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1), {kWordSpansRole});
}

int EntriesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !book_ ? 0 : conversation_.count;
}

QVariant EntriesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  if (role == kWordSpansRole) {
    if (words_.isEmpty()) return {};
    return QVariant::fromValue(WordSpans(data(index, Qt::DisplayRole).toString(), words_));
  }
  if (role != Qt::DisplayRole && role != Qt::ForegroundRole && role != Qt::FontRole) return {};
  const ReadableEntry entry = book_->Entry(conversation_.first + index.row());
  const bool quiet = entry.kind != "Message";
  if (role == Qt::ForegroundRole && quiet) {
    return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
  }
  if (role != Qt::DisplayRole) {
    // A message's own font and colour, as far as the export's allow-list lets them through.
    if (quiet || !entry.style) return {};
    const EntryStyle style = StyleOf(*entry.style, QGuiApplication::font());
    if (role == Qt::FontRole) return style.font;
    return style.color ? QVariant(*style.color) : QVariant();
  }
  // As the history writes it, whatever it holds: the default delegate shows it as plain text.
  std::string row(entry.clock.value_or(""));
  row += "  ";
  if (entry.from) (row += *entry.from) += ": ";
  row += entry.text ? std::string_view(*entry.text) : entry.kind;
  return FromUtf8(row);
}

}  // namespace palvarin

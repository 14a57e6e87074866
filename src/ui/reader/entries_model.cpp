#include "entries_model.hpp"

#include <QDate>
#include <QGuiApplication>
#include <QLocale>
#include <QPalette>
#include <algorithm>

#include "entry_style.hpp"
#include "highlight_delegate.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "visible_text.hpp"

namespace palvarin {

void EntriesModel::Show(std::shared_ptr<const HistoryBook> book, Conversation conversation,
                        std::optional<std::string> owner) {
  beginResetModel();
  book_ = std::move(book);
  conversation_ = std::move(conversation);
  owner_ = std::move(owner);
  rows_.clear();
  if (book_) {
    rows_.reserve(static_cast<std::size_t>(conversation_.count) + 1);
    std::optional<std::int32_t> shownDay;
    for (int entry = 0; entry < conversation_.count; ++entry) {
      const std::optional<std::int32_t> day = book_->Day(conversation_.first + entry);
      if (day && day != shownDay) {
        rows_.push_back(-1 - entry);
        shownDay = day;
      }
      rows_.push_back(entry);
    }
  }
  endResetModel();
}

void EntriesModel::Highlight(QStringList words) {
  words_ = std::move(words);
  if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1), {kWordSpansRole});
}

int EntriesModel::RowOfEntry(int entry) const {
  const auto at = std::lower_bound(rows_.begin(), rows_.end(), entry, [](int row, int wanted) {
    return (row < 0 ? -1 - row : row) < wanted || (row < 0 && -1 - row == wanted);
  });
  return at == rows_.end() ? -1 : static_cast<int>(at - rows_.begin());
}

int EntriesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

Qt::ItemFlags EntriesModel::flags(const QModelIndex& index) const {
  if (!index.isValid() || index.row() >= rowCount()) return Qt::NoItemFlags;
  // A date row is a heading: not chosen, not copied.
  if (rows_[static_cast<std::size_t>(index.row())] < 0) return Qt::ItemIsEnabled;
  return QAbstractListModel::flags(index);
}

QVariant EntriesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const int row = rows_[static_cast<std::size_t>(index.row())];
  if (row >= 0) return EntryData(row, role);
  if (role == kRowKindRole) return static_cast<int>(RowKind::Date);
  if (role == kEntryRole) return -1;
  if (role != Qt::DisplayRole) return {};
  const std::optional<std::int32_t> day = book_->Day(conversation_.first - 1 - row);
  return QLocale().toString(QDate(1970, 1, 1).addDays(day.value_or(0)), QLocale::LongFormat);
}

QVariant EntriesModel::EntryData(int entry, int role) const {
  if (role == kEntryRole) return entry;
  const int at = conversation_.first + entry;
  if (role == kClockRole) return FromUtf8(book_->Clock(at));
  const ReadableEntry readable = book_->Entry(at);
  const bool quiet = readable.kind != "Message";
  switch (role) {
    case kRowKindRole:
      return static_cast<int>(quiet ? RowKind::Quiet : RowKind::Message);
    case kRecipientsRole: {
      QStringList recipients;
      for (const std::string_view to : readable.to) {
        if (!to.empty()) recipients << Isolated(to);
      }
      return recipients.join(QStringLiteral(", "));
    }
    case kSideRole:
      if (quiet || !owner_ || !readable.from) return static_cast<int>(Side::None);
      return static_cast<int>(*readable.from == *owner_ ? Side::Own : Side::Contact);
    case kSenderRole:
      return readable.from ? Isolated(*readable.from) : QString();
    case kBodyRole:
      return readable.text ? Isolated(*readable.text, true) : Isolated(readable.kind);
    case kWordSpansRole:
      if (words_.isEmpty()) return {};
      return QVariant::fromValue(WordSpans(EntryData(entry, kBodyRole).toString(), words_));
    case Qt::ForegroundRole:
    case Qt::FontRole: {
      if (quiet && role == Qt::ForegroundRole) {
        return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
      }
      // A message's own font and colour, as far as the export's allow-list lets them through.
      if (quiet || !readable.style) return {};
      const EntryStyle style = StyleOf(*readable.style, QGuiApplication::font());
      if (role == Qt::FontRole) return style.font;
      return style.color ? QVariant(*style.color) : QVariant();
    }
    case Qt::DisplayRole: {
      QString line = FromUtf8(book_->Clock(at)) + QStringLiteral("  ");
      if (readable.from) line += Isolated(*readable.from) + QStringLiteral(": ");
      return line + EntryData(entry, kBodyRole).toString();
    }
    default:
      return {};
  }
}

}  // namespace palvarin

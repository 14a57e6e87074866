#include "search_results_model.hpp"

#include <algorithm>

#include "highlight_delegate.hpp"
#include "reader/history_shelf.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "visible_text.hpp"

namespace palvarin {

QString ContextLine(const QString& text, const QStringList& words, qsizetype width) {
  const QList<QPoint> spans = WordSpans(text, words);
  const qsizetype at = spans.isEmpty() ? 0 : spans.front().x();
  const qsizetype start = text.lastIndexOf(u'\n', at - 1) + 1;
  qsizetype end = text.indexOf(u'\n', at);
  if (end < 0) end = text.size();
  const QChar ellipsis(0x2026);
  // Some of what comes before the word, as much after it as the width leaves.
  const qsizetype from = std::max(start, std::min(at - width / 3, end - width));
  const qsizetype to = std::min(end, from + width);
  QString line = text.mid(from, to - from);
  if (from > start) line.prepend(ellipsis);
  if (to < end) line.append(ellipsis);
  return line;
}

void SearchResultsModel::Show(std::vector<SearchHit> hits, QStringList words) {
  beginResetModel();
  hits_ = std::move(hits);
  words_ = std::move(words);
  endResetModel();
}

int SearchResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(hits_.size());
}

QVariant SearchResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const SearchHit& hit = hits_[static_cast<std::size_t>(index.row())];
  if (role == Qt::ToolTipRole) return VisibleText(hit.text, true);
  if (role != Qt::DisplayRole && role != kWordSpansRole) return {};
  QString row = Isolated(HistoryName(hit.file)) + QStringLiteral("  ") + FromUtf8(hit.time) +
                QStringLiteral("  ");
  if (!hit.sender.empty()) row += Isolated(hit.sender) + QStringLiteral(": ");
  row += Isolated(ContextLine(VisibleText(hit.text, true), words_));
  if (role == Qt::DisplayRole) return row;
  return QVariant::fromValue(WordSpans(row, words_));
}

}  // namespace palvarin

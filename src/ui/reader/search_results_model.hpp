#pragma once

#include <QAbstractListModel>
#include <QStringList>

#include "search/run_search.hpp"

namespace palvarin {

// The hits of a search, one row each: the contact, the time, the sender and the line of the
// text that holds a word, cut around it when long (the whole text in the tooltip), with the
// words given as spans under kWordSpansRole.
class SearchResultsModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  // Shows `hits`, found for `words` (QueryWords).
  void Show(std::vector<SearchHit> hits, QStringList words);
  const std::vector<SearchHit>& Hits() const { return hits_; }
  const QStringList& Words() const { return words_; }
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  std::vector<SearchHit> hits_;
  QStringList words_;
};

// The line of `text` that holds the first of `words` found, cut to about `width` characters
// around it, with an ellipsis where cut.
QString ContextLine(const QString& text, const QStringList& words, qsizetype width = 90);

}  // namespace palvarin

#pragma once

#include <QSortFilterProxyModel>
#include <QString>

namespace palvarin {

// `text` as the contacts' filter compares it: compatibility-decomposed and recomposed (NFKC:
// a full-width "ＢＩＧ" becomes "BIG", a half-width katakana the full-width one), then
// case-folded.
QString FoldForFilter(const QString& text);

// The contacts a reader lists: the shelf's histories but those found to be no history
// (ContactsModel::kNoHistoryRole), narrowed to those whose folded kMatchRole holds the folded
// text typed.
class ContactFilter : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

  void SetText(const QString& typed);

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

 private:
  QString folded_;
};

}  // namespace palvarin

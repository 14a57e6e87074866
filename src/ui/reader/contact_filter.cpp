#include "contact_filter.hpp"

#include "contacts_model.hpp"

namespace palvarin {

QString FoldForFilter(const QString& text) {
  return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

void ContactFilter::SetText(const QString& typed) {
  folded_ = FoldForFilter(typed);
  invalidateRowsFilter();
}

bool ContactFilter::filterAcceptsRow(int row, const QModelIndex& parent) const {
  const QModelIndex index = sourceModel()->index(row, 0, parent);
  if (index.data(ContactsModel::kNoHistoryRole).toBool()) return false;
  return folded_.isEmpty() ||
         FoldForFilter(index.data(ContactsModel::kMatchRole).toString()).contains(folded_);
}

}  // namespace palvarin

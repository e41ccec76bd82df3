#include "forms/compare/CompareEntryFilter.h"

#include "forms/compare/CompareEntryModel.h"

CompareEntryFilter::CompareEntryFilter(QObject* parent) : QSortFilterProxyModel(parent) {}

void CompareEntryFilter::SetText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  invalidateFilter();
}

void CompareEntryFilter::SetStateShown(compare::EntryState state, bool shown) {
  shown_[size_t(state)] = shown;
  invalidateFilter();
}

bool CompareEntryFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
  const QModelIndex name = sourceModel()->index(sourceRow, CompareEntryModel::NameColumn, sourceParent);
  const int state = name.data(CompareEntryModel::StateRole).toInt();
  if (state < 0 || state >= compare::kEntryStates || !shown_[size_t(state)]) return false;
  return text_.isEmpty() || name.data().toString().contains(text_, Qt::CaseInsensitive);
}

#pragma once
// The entries the list shows: those whose name holds the filter text (letter
// case ignored) and whose state is switched on.
#include <QSortFilterProxyModel>
#include <array>

#include "archive/compare/EntryComparison.h"

class CompareEntryFilter : public QSortFilterProxyModel {
  Q_OBJECT
 public:
  explicit CompareEntryFilter(QObject* parent = nullptr);

  void SetText(const QString& text);
  void SetStateShown(compare::EntryState state, bool shown);
  bool StateShown(compare::EntryState state) const { return shown_[size_t(state)]; }

 protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

 private:
  QString text_;
  // "same" starts hidden: what differs is what the user came for.
  std::array<bool, compare::kEntryStates> shown_{true, true, true, false};
};

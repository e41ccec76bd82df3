#pragma once
// The entry list of a comparison as a table: "Name" and "State". Taking an
// entry over changes its state, or takes it out of the list, and undo puts
// it back.
#include <QAbstractTableModel>

#include "archive/compare/EntryComparison.h"

class CompareEntryModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { NameColumn, StateColumn, ColumnCount };
  // The entry's state as a number, for the filter.
  static constexpr int StateRole = Qt::UserRole + 1;

  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void SetEntries(const compare::EntryList& list);
  const QList<compare::Entry>& Entries() const { return entries_; }
  const compare::Entry& At(int row) const { return entries_.at(row); }
  void SetState(int row, compare::EntryState state);
  void Insert(int row, const compare::Entry& entry);
  void Remove(int row);
  // The row of the entry with this side's (or the other side's) name; -1.
  int RowOf(const compare::Entry& entry) const;

  // "3 changed, 1 only here, 1 only there, 120 same".
  QString CountsText() const;

 signals:
  void countsChanged();

 private:
  QList<compare::Entry> entries_;
};

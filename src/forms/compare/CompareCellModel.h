#pragma once
// A changed sheet's differences as a list: one line per changed, moved, or
// one-sided row, with its changed cells as "column: old → new".
#include <QAbstractTableModel>

#include "archive/compare/SheetDiff.h"

class CompareCellModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { RowColumn, ChangeColumn, CellsColumn, ColumnCount };

  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void SetDiff(compare::SheetDiff diff);
  void Clear();
  const compare::SheetDiff& Diff() const { return diff_; }

  // "changed", "moved", "only here", "only there".
  static QString ChangeText(const compare::RowChange& row);
  // Each changed cell as "column: old → new", "; " between them.
  QString CellsText(const compare::RowChange& row) const;
  // The columns only on one side, for the line above the list.
  QString ColumnsText() const;

 private:
  compare::SheetDiff diff_;
};

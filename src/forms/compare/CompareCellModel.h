#pragma once
// A changed sheet's differences as a list: one line per changed, moved, or
// one-sided row, with its changed cells as "column: old → new", this mod's
// text first. A string table's keys and texts show as its editor shows them,
// each line end as a mark.
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

  // stringTable: the diff is of a string table's rows (Key and Text).
  void SetDiff(compare::SheetDiff diff, bool stringTable = false);
  void Clear();
  // The two sides' names, for the Cells column's title.
  void SetSides(const QString& here, const QString& there);
  const compare::SheetDiff& Diff() const { return diff_; }

  // "changed", "moved", "only here", "only there".
  static QString ChangeText(const compare::RowChange& row);
  // Each changed cell as "column: old → new", "; " between them.
  QString CellsText(const compare::RowChange& row) const;
  // The columns only on one side, for the line above the list.
  QString ColumnsText() const;
  // The row's key (or "row n") as shown.
  QString RowText(const compare::RowChange& row) const;

 private:
  QString CellText(int column, const QByteArray& cell) const;

  compare::SheetDiff diff_;
  bool stringTable_ = false;
  QString here_, there_;
};

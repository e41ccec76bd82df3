#pragma once
// A table model over a SheetGrid. The grid's fixed rows are not model rows:
// they are the horizontal header (one line of header text per fixed row), so
// they stay on top while the rest scrolls and no cell editor reaches them.
// Model row r is grid row r + FixedRows. Cells show as Windows-1252 text.
#include <QAbstractTableModel>

#include "archive/SheetGrid.h"

class SheetGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // The grid must outlive the model.
  explicit SheetGridModel(SheetGrid* grid, QObject* parent = nullptr);

  SheetGrid& Grid() const { return *grid_; }

  // Brackets a change made to the grid directly (sizes, cells, fixed rows);
  // views drop their rows, headers and editors and show the grid afresh.
  void BeginGridChange() { beginResetModel(); }
  void EndGridChange() { endResetModel(); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  // Writes the fixed rows of one column: one line of the text per fixed row.
  bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                     int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  SheetGrid* grid_;
};

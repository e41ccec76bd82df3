#pragma once
// A table model over a SheetGrid. The grid's fixed rows are not model rows:
// they are the horizontal header (one line of header text per fixed row), so
// they stay on top while the rest scrolls and no cell editor reaches them.
// Model row r is grid row r + FixedRows. Cells show as Windows-1252 text.
// It shows the edits of a SheetEditor as they happen, row by row, and hands
// typed text to that editor, so that typing is undoable too. Cells changed
// since the grid was last shown afresh have a tinted background.
#include <QAbstractTableModel>
#include <memory>

#include "archive/SheetGrid.h"
#include "archive/sheetedit/ChangedCells.h"
#include "archive/sheetedit/SheetChangeSink.h"

class SheetEditor;
class StringLookup;

class SheetGridModel : public QAbstractTableModel, public SheetChangeSink {
  Q_OBJECT
 public:
  // The grid must outlive the model.
  explicit SheetGridModel(SheetGrid* grid, QObject* parent = nullptr);

  SheetGrid& Grid() const { return *grid_; }
  // Typed text goes through the editor (nullptr: straight into the grid).
  void SetEditor(SheetEditor* editor) { editor_ = editor; }
  // The texts a cell's tooltip shows when its value is a key of the mod's
  // string tables (nullptr: no tooltips).
  void SetStrings(std::shared_ptr<const StringLookup> strings) { strings_ = std::move(strings); }
  // One header section shown marked (a search found its text); -1: none.
  void SetMarkedHeader(int col);
  // The grid as it stands is the one shown: no cell is tinted.
  void MarkShown() { changed_.Shown(*grid_); }
  bool CellChanged(const QModelIndex& index) const;

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

  // SheetChangeSink, in grid rows.
  void CellsChanged(int firstRow, int lastRow, int firstCol, int lastCol) override;
  void BeginInsertRows(int at, int count) override { BeginRows(true, at, count); }
  void EndInsertRows() override { EndRows(true); }
  void BeginRemoveRows(int at, int count) override { BeginRows(false, at, count); }
  void EndRemoveRows() override { EndRows(false); }
  void BeginReset() override { beginResetModel(); }
  void EndReset() override;

 private:
  // A row change that reaches into the fixed rows is shown as a reset.
  void BeginRows(bool insert, int at, int count);
  void EndRows(bool insert);

  SheetGrid* grid_;
  SheetEditor* editor_ = nullptr;
  std::shared_ptr<const StringLookup> strings_;
  int markedHeader_ = -1;
  bool rowsReset_ = false;
  int rowsAt_ = 0, rowsCount_ = 0;
  ChangedCells changed_;
};

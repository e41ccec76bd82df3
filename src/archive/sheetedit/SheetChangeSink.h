#pragma once
// What the sheet's edits tell whoever shows the grid, in grid rows and
// columns (fixed rows included), so a view redraws only what changed instead
// of taking the whole sheet afresh. Each Begin is followed by its End once
// the grid has changed.
class SheetChangeSink {
 public:
  virtual ~SheetChangeSink() = default;

  virtual void CellsChanged(int firstRow, int lastRow, int firstCol, int lastCol) = 0;
  virtual void BeginInsertRows(int at, int count) = 0;
  virtual void EndInsertRows() = 0;
  virtual void BeginRemoveRows(int at, int count) = 0;
  virtual void EndRemoveRows() = 0;
  // The fixed rows change: everything is shown afresh.
  virtual void BeginReset() = 0;
  virtual void EndReset() = 0;
};

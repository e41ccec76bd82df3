#pragma once
// The cells of a sheet as the Edit page's grid holds them: ColCount x RowCount
// byte-string cells addressed (col, row) from 0, the first FixedRows rows fixed,
// and an enabled flag. Knows no widgets.
//
// No cell ever holds a TAB, CR or LF: written back to a sheet, such a cell
// would split its row or its line. A write that carries one is a fault of
// the caller; it trips an assertion in a debug build and changes nothing in
// a release build.
//
// Sheets run to millions of cells, so there is no object per cell: each row keeps
// one byte buffer (the sheet line itself when it was filled from one) and the
// grid keeps, per cell, the 32-bit offset at which the next cell would start.
// Cell c of a row is the bytes [start(c), next(c) - 1), where start(0) is 0 and
// start(c) is next(c - 1); the byte at next(c) - 1 is the separator (or lies
// past the buffer), so a row read from a line shares that line's bytes as-is.
#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <vector>

class SheetGrid {
 public:
  // One column, one row, no fixed row, enabled, the one cell empty.
  SheetGrid();

  int ColCount() const { return colCount_; }
  int RowCount() const { return int(rows_.size()); }
  int FixedRows() const { return fixedRows_; }
  bool Enabled() const { return enabled_; }

  // Below 1 gives 1. Cells that still fit keep their text; new cells are empty.
  // A size too large to hold raises AppError and changes nothing.
  void SetColCount(int count);
  // A count not greater than FixedRows first lowers FixedRows to count - 1.
  void SetRowCount(int count);
  // Raises AppError (and changes nothing) unless 0 <= count < RowCount.
  void SetFixedRows(int count);
  void SetEnabled(bool enabled) { enabled_ = enabled; }

  // Whether a text may be a cell: it holds no TAB, CR or LF.
  static bool CanHold(QByteArrayView text);
  // A grid that is no sheet (a string table's keys and texts, never written
  // as TAB-separated lines) takes any cell text; a sheet's grid only what
  // CanHold allows.
  void SetFreeText(bool on) { freeText_ = on; }
  bool Holds(QByteArrayView text) const { return freeText_ || CanHold(text); }

  // Outside the grid, or a text that no cell may hold: Cell gives an empty
  // text, SetCell stores nothing and returns false.
  QByteArray Cell(int col, int row) const;
  bool SetCell(int col, int row, const QByteArray& text);

  // A run of cells of one row, from col on, replaced by texts in one pass
  // over the row; texts past the last column are dropped. False, and the row
  // unchanged, when the row is outside the grid or a text may not be a cell.
  bool SetRowCells(int row, int col, const std::vector<QByteArrayView>& texts);
  // The bulk path for cells that already lie in one buffer, every cell of the
  // row in order, each starting one byte after the one before ends (the byte
  // between is a separator no cell reads), the last followed by a NUL or the
  // buffer's end. The row shares the buffer's bytes (one reference more, no
  // copy), which an owner's later change of the buffer leaves as they were.
  // A raw buffer (QByteArray::fromRawData) is pointed into without a
  // reference, sparing the reference counting a row: its bytes must then
  // stay, unchanged, as long as the row (SaveRow hands out a copy). False,
  // and the row unchanged, when the row is outside the grid, the cells do
  // not lie so, or a text may not be a cell.
  bool ShareRowCells(int row, const QByteArray& buffer, const std::vector<QByteArrayView>& cells);
  // The bytes of one cell without a copy; valid until the row changes.
  QByteArrayView CellView(int col, int row) const;
  // The row's buffer and where its cells end, for a search over its bytes:
  // cell c is [CellEnd(c - 1) + 1, CellEnd(c)), CellEnd(-1) being -1.
  QByteArrayView RowBytes(int row) const;
  qsizetype CellEnd(int col, int row) const { return col < 0 ? -1 : qsizetype(Next(col, row)) - 1; }

  // One row as it stands, kept to be put back exactly: its buffer (shared,
  // not copied) and its offsets, which are left out when the buffer's TABs
  // give them, as for every row read from a sheet.
  struct RowData {
    QByteArray bytes;
    bool joined = true;
    std::vector<uint32_t> next;
  };
  RowData SaveRow(int row) const;
  // The data must come from a grid of the same column count; a default
  // RowData is a row of empty cells.
  void RestoreRow(int row, const RowData& data);
  // Rows inserted before row `at` (RowCount appends), and rows taken out.
  // At least one row always stays, and the fixed rows are never taken out:
  // a sheet's header stays fixed also when every row under it is deleted,
  // the one case where RowCount may equal FixedRows.
  void InsertRows(int at, const std::vector<RowData>& rows);
  std::vector<RowData> RemoveRows(int at, int count);

  // The bulk path: fills every cell of one row from a TAB-separated line.
  // Column c takes the line's c-th field; the last column takes its own field
  // and the rest of the line is dropped; missing fields give empty cells.
  // The row shares the line's bytes instead of copying them.
  void FillRowFromLine(int row, const QByteArray& line);

  // The row's cells joined by one TAB between neighbours, appended to out;
  // JoinedRowSize is the number of bytes that adds.
  qsizetype JoinedRowSize(int row) const;
  void AppendJoinedRow(int row, QByteArray& out) const;

  // Heap and object bytes the cell store occupies (row buffers counted whole,
  // also where they are shared with the lines they were filled from).
  qsizetype StoreBytes() const;

 private:
  struct Row {
    QByteArray bytes;
    // The buffer is exactly the joined cells, so it can be written as-is.
    bool joined = true;
  };
  uint32_t* RowNext(int row) { return next_.data() + size_t(row) * size_t(colCount_); }
  const uint32_t* RowNext(int row) const { return next_.data() + size_t(row) * size_t(colCount_); }
  void CheckRowRange(int at, int count, int rows) const;

  uint32_t Next(int col, int row) const { return next_[size_t(row) * size_t(colCount_) + size_t(col)]; }
  uint32_t Start(int col, int row) const { return col == 0 ? 0 : Next(col - 1, row); }
  // The row's first `cols` cells joined by TABs, cells col .. col + count - 1
  // replaced by texts; the new offsets go to next[0..cols).
  Row JoinRow(int row, int cols, int col, const QByteArrayView* texts, int count, uint32_t* next) const;
  // The same for a joined row and a run of its cells, the others copied in
  // whole pieces.
  Row JoinSpan(int row, int col, const QByteArrayView* texts, int count, uint32_t* next) const;
  // A line with exactly ColCount - 1 TABs becomes the row, its offsets read
  // off the TABs; false (nothing changed) for any other line.
  bool OffsetsFromTabs(int row, const QByteArray& bytes);
  static void CheckSize(qsizetype cols, qsizetype rows);
  static void CheckRowLength(qsizetype bytes, int cols);

  int colCount_ = 1;
  int fixedRows_ = 0;
  bool freeText_ = false;
  bool enabled_ = true;
  std::vector<Row> rows_;
  // Row-major, colCount_ offsets per row.
  std::vector<uint32_t> next_;
  // A row's new offsets while it is joined, kept to spare an allocation.
  std::vector<uint32_t> scratch_;
};

#pragma once
// The cells of a sheet as the Edit page's grid holds them: ColCount x RowCount
// byte-string cells addressed (col, row) from 0, the first FixedRows rows fixed,
// and an enabled flag. Knows no widgets.
//
// Sheets run to millions of cells, so there is no object per cell: each row keeps
// one byte buffer (the sheet line itself when it was filled from one) and the
// grid keeps, per cell, the 32-bit offset at which the next cell would start.
// Cell c of a row is the bytes [start(c), next(c) - 1), where start(0) is 0 and
// start(c) is next(c - 1); the byte at next(c) - 1 is the separator (or lies
// past the buffer), so a row read from a line shares that line's bytes as-is.
#include <QByteArray>
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

  // Outside the grid: Cell gives an empty text, SetCell stores nothing and
  // returns false.
  QByteArray Cell(int col, int row) const;
  bool SetCell(int col, int row, const QByteArray& text);

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

  uint32_t Next(int col, int row) const { return next_[size_t(row) * size_t(colCount_) + size_t(col)]; }
  uint32_t Start(int col, int row) const { return col == 0 ? 0 : Next(col - 1, row); }
  // The row's first `cols` cells joined by TABs, with cell `col` replaced by
  // `text` (col -1 replaces none); the new offsets go to next[0..cols).
  Row JoinRow(int row, int cols, int col, const QByteArray& text, uint32_t* next) const;
  static void CheckSize(qsizetype cols, qsizetype rows);
  static void CheckRowLength(qsizetype bytes, int cols);

  int colCount_ = 1;
  int fixedRows_ = 0;
  bool enabled_ = true;
  std::vector<Row> rows_;
  // Row-major, colCount_ offsets per row.
  std::vector<uint32_t> next_;
};

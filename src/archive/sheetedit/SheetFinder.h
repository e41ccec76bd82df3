#pragma once
// Finding a text among the cells of a sheet. A cell matches when it holds the
// text (or, with whole cell, is exactly the text); without match case,
// letters match in either case as Windows-1252 pairs them, so "é" finds "É".
// Cells are searched in reading order, row by row, every row included (the
// fixed ones too), straight over the rows' bytes: a match never spans the
// TAB between two cells.
#include <QByteArray>
#include <QByteArrayView>
#include <array>

#include "archive/SheetGrid.h"

struct FindOptions {
  bool matchCase = false;
  bool wholeCell = false;
};

class SheetFinder {
 public:
  struct Hit {
    int col = -1;
    int row = -1;
    bool wrapped = false;  // found only after going round past the sheet's end
    bool Found() const { return row >= 0; }
  };

  SheetFinder(const QByteArray& text, FindOptions options);

  // An empty text finds nothing.
  bool Empty() const { return needle_.isEmpty(); }

  // The next matching cell after (col, row) in reading order, going on from
  // the first row after the last; the cell itself comes last. col -1 starts
  // with the row's first cell.
  Hit Next(const SheetGrid& grid, int col, int row) const;
  // The same backwards: the cell before (col, row), going on from the last row.
  Hit Previous(const SheetGrid& grid, int col, int row) const;

  // The first matching cell of the row at or after fromCol; -1 when none.
  int FirstInRow(const SheetGrid& grid, int row, int fromCol) const;
  // The last matching cell of the row before beforeCol; -1 when none.
  int LastInRow(const SheetGrid& grid, int row, int beforeCol) const;

  bool Matches(QByteArrayView cell) const;
  // The cell with every match replaced (with whole cell: the replacement).
  QByteArray Replaced(QByteArrayView cell, QByteArrayView with) const;

 private:
  // Where the text next occurs in hay at or after from; -1 when it does not.
  qsizetype IndexIn(QByteArrayView hay, qsizetype from) const;
  bool EqualAt(const char* at) const;

  QByteArray needle_;  // folded when the case does not matter
  FindOptions options_;
  // Whether comparing bytes can stand for comparing folded ones: match case,
  // or no byte of the text has another case.
  bool plain_;
  // The bytes the text may start with, each memchr'ed for.
  std::array<char, 4> firsts_{};
  int firstCount_ = 0;
};

#pragma once
// Small helpers the sheet tests share.
#include <QByteArray>
#include <QList>

#include "archive/SheetGrid.h"

using Cells = QList<QByteArray>;

inline Cells RowCells(const SheetGrid& grid, int row) {
  Cells cells;
  for (int c = 0; c < grid.ColCount(); ++c) cells << grid.Cell(c, row);
  return cells;
}

// The bytes 0 to 255, in order.
inline QByteArray AllBytes() {
  QByteArray all;
  for (int b = 0; b < 256; ++b) all.append(char(b));
  return all;
}

#pragma once
// A block of cells as text, the way spreadsheet programs exchange it: cells
// joined by TAB, every row ended by a line end. No quoting: a sheet cell
// holds neither a TAB nor a line break.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <vector>

#include "archive/SheetGrid.h"

namespace clipboardtext {

// Cells firstCol..lastCol of rows firstRow..lastRow, each row ended by CR LF.
QByteArray FromCells(const SheetGrid& grid, int firstCol, int firstRow, int lastCol, int lastRow);

// The rows of a pasted text: it is split at CR, LF or CR LF, and a line end
// at the very end adds no row. Bytes stay as they are, NUL included.
QList<QByteArray> Rows(const QByteArray& text);

// One row's cells, split at TAB, as views into the row.
std::vector<QByteArrayView> Cells(QByteArrayView row);

}  // namespace clipboardtext

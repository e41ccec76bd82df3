#pragma once
// A block of cells as text, the way spreadsheet programs exchange it: cells
// joined by TAB, every row ended by a line end. No quoting: a sheet cell
// holds neither a TAB nor a line break.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
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

// A text shaped as a block: it holds a TAB or a line end, so it goes in as
// cells and rows, never as one cell's value.
bool IsBlock(QByteArrayView text);
// How many control characters (bytes below 32, and 127) a text holds. A
// single value the user puts in a cell brings in none: no key types one, and
// one pasted (a NUL above all, which ends a sheet when it is read) is more
// likely a mistake than meant.
qsizetype ControlCount(QByteArrayView text);
// The note shown when a single value is refused for them.
QString RefusedValueNote();

}  // namespace clipboardtext

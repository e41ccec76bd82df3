#pragma once
// A sheet's lines and cells as views into its bytes, split by the same rules
// as the Edit page fills its grid: lines as TextLines splits them, the header
// line's fields fixing the column count, the last column taking its own
// field and the rest of a longer line dropped, missing fields empty.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <vector>

#include "archive/TextLines.h"

namespace compare {

// The line's first `cols` cells into cells (resized to cols).
void CellViews(QByteArrayView line, int cols, std::vector<QByteArrayView>& cells);

// The field of column col of line (empty past its last field).
QByteArrayView CellView(QByteArrayView line, int col, int cols);

}  // namespace compare

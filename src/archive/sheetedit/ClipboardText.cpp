#include "ClipboardText.h"

#include <algorithm>
#include <cstring>

namespace clipboardtext {

QByteArray FromCells(const SheetGrid& grid, int firstCol, int firstRow, int lastCol, int lastRow) {
  QByteArray text;
  for (int r = firstRow; r <= lastRow; ++r) {
    for (int c = firstCol; c <= lastCol; ++c) {
      if (c > firstCol) text.append('\t');
      text.append(grid.CellView(c, r));
    }
    // CR LF, as the sheets themselves end their lines.
    text.append("\r\n", 2);
  }
  return text;
}

QList<QByteArray> Rows(const QByteArray& text) {
  QList<QByteArray> rows;
  const char* data = text.constData();
  const qsizetype size = text.size();
  qsizetype start = 0;
  while (start < size) {
    qsizetype end = start;
    while (end < size && data[end] != '\r' && data[end] != '\n') ++end;
    rows.append(text.sliced(start, end - start));
    if (end < size && data[end] == '\r' && end + 1 < size && data[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return rows;
}

std::vector<QByteArrayView> Cells(QByteArrayView row) {
  std::vector<QByteArrayView> cells;
  qsizetype start = 0;
  for (;;) {
    const void* tab =
        start < row.size() ? std::memchr(row.data() + start, '\t', size_t(row.size() - start)) : nullptr;
    if (!tab) break;
    const qsizetype at = static_cast<const char*>(tab) - row.data();
    cells.push_back(row.sliced(start, at - start));
    start = at + 1;
  }
  cells.push_back(row.sliced(start));
  return cells;
}

bool IsBlock(QByteArrayView text) {
  return !SheetGrid::CanHold(text);
}

qsizetype ControlCount(QByteArrayView text) {
  return std::count_if(text.begin(), text.end(), [](char c) { return uchar(c) < 32 || uchar(c) == 127; });
}

QString RefusedValueNote() {
  return QStringLiteral(
      "A cell cannot hold a TAB, a line end or another control character: nothing was changed.");
}

}  // namespace clipboardtext

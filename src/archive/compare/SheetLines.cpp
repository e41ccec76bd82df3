#include "archive/compare/SheetLines.h"

#include <cstring>

namespace compare {

void CellViews(QByteArrayView line, int cols, std::vector<QByteArrayView>& cells) {
  cells.assign(size_t(cols), QByteArrayView());
  const char* data = line.data();
  const qsizetype size = line.size();
  qsizetype start = 0;
  for (int c = 0; c < cols && start <= size; ++c) {
    const void* tab = start < size ? std::memchr(data + start, '\t', size_t(size - start)) : nullptr;
    const qsizetype end = tab ? static_cast<const char*>(tab) - data : size;
    cells[size_t(c)] = QByteArrayView(data + start, end - start);
    if (!tab) break;
    start = end + 1;
  }
}

QByteArrayView CellView(QByteArrayView line, int col, int cols) {
  if (col < 0 || col >= cols) return {};
  const char* data = line.data();
  const qsizetype size = line.size();
  qsizetype start = 0;
  for (int c = 0;; ++c) {
    const void* tab = start < size ? std::memchr(data + start, '\t', size_t(size - start)) : nullptr;
    const qsizetype end = tab ? static_cast<const char*>(tab) - data : size;
    if (c == col) return QByteArrayView(data + start, end - start);
    if (!tab) return {};
    start = end + 1;
  }
}

}  // namespace compare

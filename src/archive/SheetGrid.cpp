#include "SheetGrid.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/AppError.h"

namespace {

// 2^28 cells is 1 GiB of offsets alone; a sheet that large is not one to edit.
constexpr qsizetype kMaxCells = qsizetype(1) << 28;

// Offsets of a row whose cells from `col` on are empty: each one byte further.
void FillEmpty(uint32_t* next, int from, int to) {
  uint32_t at = from == 0 ? 0 : next[from - 1];
  for (int c = from; c < to; ++c) next[c] = ++at;
}

}  // namespace

SheetGrid::SheetGrid() : rows_(1), next_(1, 1) {}

void SheetGrid::CheckSize(qsizetype cols, qsizetype rows) {
  if (cols * rows > kMaxCells)
    throw AppError(QStringLiteral("Sheet too large: %1 columns by %2 rows").arg(cols).arg(rows));
}

void SheetGrid::CheckRowLength(qsizetype bytes, int cols) {
  // Offsets are 32-bit and run up to one past each empty trailing cell.
  if (bytes >= qsizetype(std::numeric_limits<uint32_t>::max()) - cols)
    throw AppError(QStringLiteral("Sheet row too long"));
}

void SheetGrid::SetColCount(int count) {
  count = std::max(count, 1);
  if (count == colCount_) return;
  CheckSize(count, RowCount());
  std::vector<uint32_t> next(size_t(RowCount()) * size_t(count));
  for (int r = 0; r < RowCount(); ++r) {
    uint32_t* out = next.data() + size_t(r) * size_t(count);
    if (count > colCount_) {
      // Growing keeps the row's bytes; the new cells lie past them, empty.
      std::copy_n(next_.data() + size_t(r) * size_t(colCount_), colCount_, out);
      FillEmpty(out, colCount_, count);
      rows_[size_t(r)].joined = false;
    } else {
      // Shrinking copies only what is kept, so dropped cells free their bytes.
      rows_[size_t(r)] = JoinRow(r, count, -1, {}, out);
    }
  }
  next_ = std::move(next);
  colCount_ = count;
}

void SheetGrid::SetRowCount(int count) {
  count = std::max(count, 1);
  if (count == RowCount()) return;
  CheckSize(colCount_, count);
  if (count <= fixedRows_) fixedRows_ = count - 1;
  const int old = RowCount();
  rows_.resize(size_t(count));
  next_.resize(size_t(count) * size_t(colCount_));
  for (int r = old; r < count; ++r) FillEmpty(next_.data() + size_t(r) * size_t(colCount_), 0, colCount_);
  if (count < old) {
    rows_.shrink_to_fit();
    next_.shrink_to_fit();
  }
}

void SheetGrid::SetFixedRows(int count) {
  if (count < 0) throw AppError(QStringLiteral("Grid index out of range"));
  if (count >= RowCount()) throw AppError(QStringLiteral("Fixed row count must be less than row count"));
  fixedRows_ = count;
}

QByteArray SheetGrid::Cell(int col, int row) const {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount()) return {};
  const uint32_t start = Start(col, row);
  const uint32_t length = Next(col, row) - 1 - start;
  if (length == 0) return {};
  return QByteArray(rows_[size_t(row)].bytes.constData() + start, qsizetype(length));
}

bool SheetGrid::SetCell(int col, int row, const QByteArray& text) {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount()) return false;
  std::vector<uint32_t> next(static_cast<size_t>(colCount_));
  Row joined = JoinRow(row, colCount_, col, text, next.data());
  rows_[size_t(row)] = std::move(joined);
  std::copy(next.begin(), next.end(), next_.begin() + ptrdiff_t(size_t(row) * size_t(colCount_)));
  return true;
}

SheetGrid::Row SheetGrid::JoinRow(int row, int cols, int col, const QByteArray& text, uint32_t* next) const {
  qsizetype size = 0;
  for (int c = 0; c < cols; ++c)
    size += (c == col ? text.size() : c < colCount_ ? qsizetype(Next(c, row) - 1 - Start(c, row)) : 0);
  size += cols - 1;
  CheckRowLength(size, cols);

  Row out;
  out.bytes = QByteArray(size, Qt::Uninitialized);
  char* dst = out.bytes.data();
  const char* src = rows_[size_t(row)].bytes.constData();
  uint32_t at = 0;
  for (int c = 0; c < cols; ++c) {
    if (c == col) {
      if (!text.isEmpty()) std::memcpy(dst + at, text.constData(), size_t(text.size()));
      at += uint32_t(text.size());
    } else if (c < colCount_) {
      const uint32_t start = Start(c, row);
      const uint32_t length = Next(c, row) - 1 - start;
      if (length) std::memcpy(dst + at, src + start, length);
      at += length;
    }
    if (c < cols - 1) dst[at] = '\t';
    next[c] = ++at;
  }
  return out;
}

void SheetGrid::FillRowFromLine(int row, const QByteArray& line) {
  if (row < 0 || row >= RowCount()) return;
  CheckRowLength(line.size(), colCount_);
  const char* data = line.constData();
  const uint32_t size = uint32_t(line.size());
  uint32_t* next = next_.data() + size_t(row) * size_t(colCount_);
  uint32_t start = 0;
  int lastField = -1;  // the column that took the rest of the line
  for (int c = 0; c < colCount_; ++c) {
    if (lastField >= 0) {
      next[c] = ++start;  // past the line: empty
      continue;
    }
    const void* tab = start < size ? std::memchr(data + start, '\t', size - start) : nullptr;
    if (tab) {
      start = uint32_t(static_cast<const char*>(tab) - data) + 1;
    } else {
      start = size + 1;
      lastField = c;
    }
    next[c] = start;
  }
  Row& r = rows_[size_t(row)];
  r.bytes = line;
  // Exactly ColCount - 1 TABs: the line is its cells joined.
  r.joined = lastField == colCount_ - 1;
}

qsizetype SheetGrid::JoinedRowSize(int row) const {
  const Row& r = rows_[size_t(row)];
  if (r.joined) return r.bytes.size();
  qsizetype size = colCount_ - 1;
  for (int c = 0; c < colCount_; ++c) size += Next(c, row) - 1 - Start(c, row);
  return size;
}

void SheetGrid::AppendJoinedRow(int row, QByteArray& out) const {
  const Row& r = rows_[size_t(row)];
  if (r.joined) {
    out.append(r.bytes);
    return;
  }
  for (int c = 0; c < colCount_; ++c) {
    const uint32_t start = Start(c, row);
    const uint32_t length = Next(c, row) - 1 - start;
    if (length) out.append(r.bytes.constData() + start, qsizetype(length));
    if (c < colCount_ - 1) out.append('\t');
  }
}

qsizetype SheetGrid::StoreBytes() const {
  qsizetype bytes =
      qsizetype(sizeof(*this) + rows_.capacity() * sizeof(Row) + next_.capacity() * sizeof(uint32_t));
  for (const Row& r : rows_)
    if (!r.bytes.isNull()) bytes += r.bytes.capacity() + qsizetype(sizeof(QArrayData));
  return bytes;
}

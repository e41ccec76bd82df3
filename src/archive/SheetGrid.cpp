#include "SheetGrid.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_set>

#include "platform/AppError.h"

namespace {

// 2^28 cells is 1 GiB of offsets alone; a sheet that large is not one to edit.
constexpr qsizetype kMaxCells = qsizetype(1) << 28;

// Offsets of a row whose cells from `col` on are empty: each one byte further.
void FillEmpty(uint32_t* next, int from, int to) {
  uint32_t at = from == 0 ? 0 : next[from - 1];
  for (int c = from; c < to; ++c) next[c] = ++at;
}

// Whether the array points into bytes it holds no reference to.
bool IsRaw(const QByteArray& bytes) {
  return !bytes.isEmpty() && !const_cast<QByteArray&>(bytes).data_ptr().d_ptr();
}

// Bytes [at, at + size) of buffer as an array that shares its block: a
// reference more instead of a copy; into raw data, a raw array again.
QByteArray SharedSlice(const QByteArray& buffer, qsizetype at, qsizetype size) {
  QByteArray::DataPointer shared = const_cast<QByteArray&>(buffer).data_ptr();
  if (!shared.d_ptr()) return QByteArray::fromRawData(buffer.constData() + at, size);
  shared.ptr += at;
  shared.size = size;
  return QByteArray(std::move(shared));
}

}  // namespace

SheetGrid::SheetGrid() : rows_(1), next_(1, 1) {}

bool SheetGrid::CanHold(QByteArrayView text) {
  for (const char c : text)
    if (c == '\t' || c == '\r' || c == '\n') return false;
  return true;
}

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
      rows_[size_t(r)] = JoinRow(r, count, 0, nullptr, 0, out);
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
  // An empty buffer is the joined row of empty cells only for one column;
  // with more, the TABs between the cells are not in it.
  rows_.resize(size_t(count), Row{QByteArray(), colCount_ == 1});
  next_.resize(size_t(count) * size_t(colCount_));
  for (int r = old; r < count; ++r) {
    FillEmpty(next_.data() + size_t(r) * size_t(colCount_), 0, colCount_);
    // An empty buffer is the joined cells only when there is one cell: with
    // more, the TABs between them are not in it.
    rows_[size_t(r)].joined = colCount_ == 1;
  }
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
  return SetRowCells(row, col, {QByteArrayView(text)});
}

bool SheetGrid::SetRowCells(int row, int col, const std::vector<QByteArrayView>& texts) {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount()) return false;
  for (const QByteArrayView text : texts) {
    if (Holds(text)) continue;
    // Every road into a cell filters these out first; one that does not
    // would have Save write a sheet with shifted columns or rows.
    Q_ASSERT_X(false, "SheetGrid::SetRowCells", "a cell text holds a TAB or a line end");
    return false;
  }
  const int count = int(std::min<size_t>(texts.size(), size_t(colCount_ - col)));
  scratch_.resize(size_t(colCount_));
  Row joined = rows_[size_t(row)].joined && count > 0
                   ? JoinSpan(row, col, texts.data(), count, scratch_.data())
                   : JoinRow(row, colCount_, col, texts.data(), count, scratch_.data());
  rows_[size_t(row)] = std::move(joined);
  std::copy(scratch_.begin(), scratch_.end(), RowNext(row));
  return true;
}

bool SheetGrid::ShareRowCells(int row, const QByteArray& buffer, const std::vector<QByteArrayView>& cells) {
  if (row < 0 || row >= RowCount() || cells.size() != size_t(colCount_)) return false;
  const char* const begin = buffer.constData();
  const char* const end = begin + buffer.size();
  const char* const first = cells.front().data();
  if (!first || first < begin || first > end) return false;
  const char* at = first;
  bool tabs = true;
  for (size_t c = 0; c < cells.size(); ++c) {
    const QByteArrayView cell = cells[c];
    if (c > 0) {
      // The separator lies in the buffer, where the previous cell ended.
      if (at >= end || cell.data() != at + 1) return false;
      tabs = tabs && *at == '\t';
      ++at;
    }
    if (cell.size() > end - at || !Holds(cell)) return false;
    at += cell.size();
  }
  if (at < end && *at != '\0') return false;
  const qsizetype size = at - first;
  CheckRowLength(size, colCount_);
  uint32_t* next = RowNext(row);
  uint32_t offset = 0;
  for (size_t c = 0; c < cells.size(); ++c) {
    offset += uint32_t(cells[c].size()) + 1;
    next[c] = offset;
  }
  // TAB separators make the buffer the joined cells, to be written as-is.
  rows_[size_t(row)] = Row{SharedSlice(buffer, first - begin, size), tabs};
  return true;
}

QByteArrayView SheetGrid::CellView(int col, int row) const {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount()) return {};
  const uint32_t start = Start(col, row);
  return QByteArrayView(rows_[size_t(row)].bytes.constData() + start, qsizetype(Next(col, row) - 1 - start));
}

QByteArrayView SheetGrid::RowBytes(int row) const {
  if (row < 0 || row >= RowCount()) return {};
  return QByteArrayView(rows_[size_t(row)].bytes);
}

SheetGrid::Row SheetGrid::JoinRow(int row, int cols, int col, const QByteArrayView* texts, int count,
                                  uint32_t* next) const {
  auto replaced = [&](int c) { return c >= col && c < col + count; };
  qsizetype size = 0;
  for (int c = 0; c < cols; ++c)
    size += replaced(c)     ? texts[c - col].size()
            : c < colCount_ ? qsizetype(Next(c, row) - 1 - Start(c, row))
                            : 0;
  size += cols - 1;
  CheckRowLength(size, cols);

  Row out;
  out.bytes = QByteArray(size, Qt::Uninitialized);
  char* dst = out.bytes.data();
  const char* src = rows_[size_t(row)].bytes.constData();
  uint32_t at = 0;
  for (int c = 0; c < cols; ++c) {
    if (replaced(c)) {
      const QByteArrayView text = texts[c - col];
      if (!text.isEmpty()) std::memcpy(dst + at, text.data(), size_t(text.size()));
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

SheetGrid::Row SheetGrid::JoinSpan(int row, int col, const QByteArrayView* texts, int count,
                                   uint32_t* next) const {
  // A joined buffer holds the cells before the span, with the TAB after
  // them, as one piece, and the cells after it, from the TAB before them,
  // as another: three copies and the offsets moved, not one copy a cell.
  const QByteArray& old = rows_[size_t(row)].bytes;
  const uint32_t* oldNext = RowNext(row);
  const qsizetype before = Start(col, row);
  const qsizetype after = qsizetype(oldNext[col + count - 1]) - 1;
  qsizetype middle = count - 1;
  for (int i = 0; i < count; ++i) middle += texts[i].size();
  const qsizetype size = before + middle + (old.size() - after);
  CheckRowLength(size, colCount_);

  Row out;
  out.bytes = QByteArray(size, Qt::Uninitialized);
  char* dst = out.bytes.data();
  if (before) std::memcpy(dst, old.constData(), size_t(before));
  std::copy_n(oldNext, col, next);
  uint32_t at = uint32_t(before);
  for (int i = 0; i < count; ++i) {
    if (!texts[i].isEmpty()) std::memcpy(dst + at, texts[i].data(), size_t(texts[i].size()));
    at += uint32_t(texts[i].size());
    if (i < count - 1) dst[at] = '\t';
    next[col + i] = ++at;
  }
  if (old.size() > after)
    std::memcpy(dst + before + middle, old.constData() + after, size_t(old.size() - after));
  const uint32_t shift = uint32_t(before + middle - after);  // wraps for a shorter row, as meant
  for (int c = col + count; c < colCount_; ++c) next[c] = oldNext[c] + shift;
  return out;
}

void SheetGrid::CheckRowRange(int at, int count, int rows) const {
  if (at < 0 || count < 0 || at > rows - count) throw AppError(QStringLiteral("Grid index out of range"));
}

SheetGrid::RowData SheetGrid::SaveRow(int row) const {
  const Row& r = rows_[size_t(row)];
  // Rows into raw data hand out a copy: the data lives only as long as the
  // rows are meant to.
  RowData data{IsRaw(r.bytes) ? QByteArray(r.bytes.constData(), r.bytes.size()) : r.bytes, r.joined, {}};
  // A joined buffer with exactly the header's TABs holds no TAB inside a
  // cell, so its TABs give the offsets back: nothing more to keep.
  if (r.joined && r.bytes.count('\t') == colCount_ - 1) return data;
  data.next.assign(RowNext(row), RowNext(row) + colCount_);
  return data;
}

bool SheetGrid::OffsetsFromTabs(int row, const QByteArray& bytes) {
  // One pass over the bytes; a field per memchr costs more on short cells.
  scratch_.resize(size_t(colCount_));
  const char* data = bytes.constData();
  const qsizetype size = bytes.size();
  int tabs = 0;
  for (qsizetype i = 0; i < size; ++i) {
    if (data[i] != '\t') continue;
    if (tabs == colCount_ - 1) return false;
    scratch_[size_t(tabs++)] = uint32_t(i + 1);
  }
  if (tabs != colCount_ - 1) return false;
  scratch_[size_t(tabs)] = uint32_t(size + 1);
  std::copy(scratch_.begin(), scratch_.end(), RowNext(row));
  rows_[size_t(row)] = Row{bytes, true};
  return true;
}

void SheetGrid::RestoreRow(int row, const RowData& data) {
  if (row < 0 || row >= RowCount()) return;
  if (data.next.empty()) {
    CheckRowLength(data.bytes.size(), colCount_);
    if (!OffsetsFromTabs(row, data.bytes)) FillRowFromLine(row, data.bytes);
    return;
  }
  if (data.next.size() != size_t(colCount_)) throw AppError(QStringLiteral("Grid index out of range"));
  rows_[size_t(row)] = Row{data.bytes, data.joined};
  std::copy(data.next.begin(), data.next.end(), RowNext(row));
}

void SheetGrid::InsertRows(int at, const std::vector<RowData>& rows) {
  CheckRowRange(at, 0, RowCount());
  const int count = int(rows.size());
  if (count == 0) return;
  CheckSize(colCount_, qsizetype(RowCount()) + count);
  rows_.insert(rows_.begin() + at, size_t(count), Row{});
  next_.insert(next_.begin() + ptrdiff_t(size_t(at) * size_t(colCount_)), size_t(count) * size_t(colCount_),
               0);
  for (int i = 0; i < count; ++i) RestoreRow(at + i, rows[size_t(i)]);
}

std::vector<SheetGrid::RowData> SheetGrid::RemoveRows(int at, int count) {
  CheckRowRange(at, count, RowCount());
  // One row always stays: a grid has at least one. The fixed rows stay too.
  if (count >= RowCount() || (count > 0 && at < fixedRows_))
    throw AppError(QStringLiteral("Grid index out of range"));
  std::vector<RowData> taken;
  taken.reserve(size_t(count));
  for (int r = at; r < at + count; ++r) taken.push_back(SaveRow(r));
  rows_.erase(rows_.begin() + at, rows_.begin() + at + count);
  const auto from = next_.begin() + ptrdiff_t(size_t(at) * size_t(colCount_));
  next_.erase(from, from + ptrdiff_t(size_t(count) * size_t(colCount_)));
  return taken;
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
  // Rows that share one buffer (a string table's) count it once, whole.
  std::unordered_set<const QArrayData*> counted;
  for (const Row& r : rows_) {
    const QArrayData* block = const_cast<QByteArray&>(r.bytes).data_ptr().d_ptr();
    if (block && counted.insert(block).second)
      bytes += block->constAllocatedCapacity() + qsizetype(sizeof(QArrayData));
  }
  return bytes;
}

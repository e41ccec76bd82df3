#include "SheetFinder.h"

#include <algorithm>
#include <cstring>

#include "platform/Ansi.h"

namespace {

using FoldTable = std::array<uchar, 256>;

// Each byte's lower case as Windows-1252 shows it: the shown letter lowered,
// back to its byte when the code page has one.
const FoldTable& Fold() {
  static const FoldTable table = [] {
    FoldTable t{};
    for (int b = 0; b < 256; ++b) {
      t[size_t(b)] = uchar(b);
      const QString shown = ansi::toDisplay(QByteArray(1, char(b)));
      const QString lower = shown.toLower();
      if (lower == shown || lower.size() != 1) continue;
      const QByteArray back = ansi::fromDisplay(lower);
      if (back.size() == 1 && ansi::toDisplay(back) == lower) t[size_t(b)] = uchar(back[0]);
    }
    return t;
  }();
  return table;
}

qsizetype FindByte(QByteArrayView hay, char byte, qsizetype from) {
  if (from >= hay.size()) return -1;
  const void* at = std::memchr(hay.data() + from, byte, size_t(hay.size() - from));
  return at ? static_cast<const char*>(at) - hay.data() : -1;
}

}  // namespace

SheetFinder::SheetFinder(const QByteArray& text, FindOptions options)
    : needle_(text), options_(options), plain_(true) {
  if (needle_.isEmpty()) return;
  const FoldTable& fold = Fold();
  std::array<int, 256> foldsTo{};  // how many bytes fold to each byte
  for (int b = 0; b < 256; ++b) ++foldsTo[fold[size_t(b)]];
  if (!options_.matchCase) {
    for (char& c : needle_) c = char(fold[uchar(c)]);
    plain_ = std::all_of(needle_.begin(), needle_.end(), [&](char c) { return foldsTo[uchar(c)] == 1; });
  }
  for (int b = 0; b < 256 && firstCount_ < int(firsts_.size()); ++b) {
    const bool first = plain_ ? char(b) == needle_[0] : fold[size_t(b)] == uchar(needle_[0]);
    if (first) firsts_[size_t(firstCount_++)] = char(b);
  }
}

bool SheetFinder::EqualAt(const char* at) const {
  if (plain_) return std::memcmp(at, needle_.constData(), size_t(needle_.size())) == 0;
  const FoldTable& fold = Fold();
  for (qsizetype k = 0; k < needle_.size(); ++k)
    if (fold[uchar(at[k])] != uchar(needle_[k])) return false;
  return true;
}

qsizetype SheetFinder::IndexIn(QByteArrayView hay, qsizetype from) const {
  const qsizetype n = needle_.size();
  if (n == 0 || from < 0 || from > hay.size() - n) return -1;
  // Each byte the text may start with is looked for with memchr and the
  // nearest candidate checked; only the one used is looked for again. Rows
  // are short: memmem's setup at every call would cost more than its search.
  std::array<qsizetype, 4> next{};
  for (int i = 0; i < firstCount_; ++i) next[size_t(i)] = FindByte(hay, firsts_[size_t(i)], from);
  const qsizetype lastStart = hay.size() - n;
  for (;;) {
    int best = -1;
    for (int i = 0; i < firstCount_; ++i)
      if (next[size_t(i)] >= 0 && (best < 0 || next[size_t(i)] < next[size_t(best)])) best = i;
    if (best < 0 || next[size_t(best)] > lastStart) return -1;
    const qsizetype at = next[size_t(best)];
    if (EqualAt(hay.data() + at)) return at;
    next[size_t(best)] = FindByte(hay, firsts_[size_t(best)], at + 1);
  }
}

int SheetFinder::FirstInRow(const SheetGrid& grid, int row, int fromCol) const {
  const int cols = grid.ColCount();
  fromCol = std::max(fromCol, 0);
  if (Empty() || row < 0 || row >= grid.RowCount() || fromCol >= cols) return -1;
  const QByteArrayView bytes = grid.RowBytes(row);
  // Bytes past the last cell (the extra fields of a line longer than the
  // header) belong to no cell.
  const QByteArrayView hay = bytes.first(std::min(bytes.size(), grid.CellEnd(cols - 1, row)));
  const qsizetype n = needle_.size();
  qsizetype from = grid.CellEnd(fromCol - 1, row) + 1;
  int col = fromCol;
  for (;;) {
    const qsizetype at = IndexIn(hay, from);
    if (at < 0) return -1;
    while (grid.CellEnd(col, row) < at) ++col;
    const qsizetype start = grid.CellEnd(col - 1, row) + 1;
    const qsizetype end = grid.CellEnd(col, row);
    if (at + n <= end && (!options_.wholeCell || (at == start && at + n == end))) return col;
    // No later start in this cell can do better.
    from = end + 1;
  }
}

int SheetFinder::LastInRow(const SheetGrid& grid, int row, int beforeCol) const {
  int last = -1;
  for (int c = FirstInRow(grid, row, 0); c >= 0 && c < beforeCol; c = FirstInRow(grid, row, c + 1)) last = c;
  return last;
}

SheetFinder::Hit SheetFinder::Next(const SheetGrid& grid, int col, int row) const {
  const int rows = grid.RowCount();
  if (Empty()) return {};
  if (row < 0 || row >= rows) row = 0, col = -1;
  if (const int c = FirstInRow(grid, row, col + 1); c >= 0) return {c, row, false};
  for (int r = row + 1; r < rows; ++r)
    if (const int c = FirstInRow(grid, r, 0); c >= 0) return {c, r, false};
  for (int r = 0; r < row; ++r)
    if (const int c = FirstInRow(grid, r, 0); c >= 0) return {c, r, true};
  if (const int c = FirstInRow(grid, row, 0); c >= 0 && c <= col) return {c, row, true};
  return {};
}

SheetFinder::Hit SheetFinder::Previous(const SheetGrid& grid, int col, int row) const {
  const int rows = grid.RowCount();
  const int cols = grid.ColCount();
  if (Empty()) return {};
  if (row < 0 || row >= rows) row = rows - 1, col = cols;
  if (const int c = LastInRow(grid, row, col); c >= 0) return {c, row, false};
  for (int r = row - 1; r >= 0; --r)
    if (const int c = LastInRow(grid, r, cols); c >= 0) return {c, r, false};
  for (int r = rows - 1; r > row; --r)
    if (const int c = LastInRow(grid, r, cols); c >= 0) return {c, r, true};
  if (const int c = LastInRow(grid, row, cols); c >= 0 && c >= col) return {c, row, true};
  return {};
}

bool SheetFinder::Matches(QByteArrayView cell) const {
  if (Empty()) return false;
  if (options_.wholeCell) return cell.size() == needle_.size() && EqualAt(cell.data());
  return IndexIn(cell, 0) >= 0;
}

QByteArray SheetFinder::Replaced(QByteArrayView cell, QByteArrayView with) const {
  if (options_.wholeCell) return (Matches(cell) ? with : cell).toByteArray();
  QByteArray out;
  qsizetype from = 0;
  for (qsizetype at; (at = IndexIn(cell, from)) >= 0; from = at + needle_.size()) {
    out.append(cell.sliced(from, at - from));
    out.append(with);
  }
  if (from == 0) return cell.toByteArray();
  out.append(cell.sliced(from));
  return out;
}

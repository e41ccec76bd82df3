#include "archive/sheetedit/ChangedCells.h"

#include <QHash>
#include <algorithm>
#include <numeric>

namespace {

QByteArray Joined(const SheetGrid& grid, int row) {
  QByteArray line;
  grid.AppendJoinedRow(row, line);
  return line;
}

}  // namespace

void ChangedCells::Shown(const SheetGrid& grid) {
  shown_ = grid;
  from_.resize(size_t(grid.RowCount()));
  std::iota(from_.begin(), from_.end(), 0);
}

void ChangedCells::RowsInserted(int at, int count) {
  at = std::clamp(at, 0, int(from_.size()));
  from_.insert(from_.begin() + at, size_t(std::max(count, 0)), -1);
}

void ChangedCells::RowsRemoved(int at, int count) {
  if (at < 0 || at >= int(from_.size()) || count <= 0) return;
  from_.erase(from_.begin() + at, from_.begin() + std::min(at + count, int(from_.size())));
}

void ChangedCells::Rematch(const SheetGrid& grid) {
  const int rows = grid.RowCount();
  const bool sameCount = rows == shown_.RowCount();
  // Shown rows by their text, each taken at most once, in order.
  QHash<QByteArray, std::vector<int>> byText;
  for (int r = shown_.RowCount() - 1; r >= 0; --r) byText[Joined(shown_, r)].push_back(r);
  std::vector<bool> taken(size_t(shown_.RowCount()), false);
  std::vector<int> from(size_t(rows), -1);
  std::vector<QByteArray> texts(static_cast<size_t>(rows));
  for (int r = 0; r < rows; ++r) {
    texts[size_t(r)] = Joined(grid, r);
    if (r < shown_.RowCount() && texts[size_t(r)] == Joined(shown_, r)) {
      from[size_t(r)] = r;
      taken[size_t(r)] = true;
    }
  }
  for (int r = 0; r < rows; ++r) {
    if (from[size_t(r)] >= 0) continue;
    std::vector<int>& candidates = byText[texts[size_t(r)]];
    while (!candidates.empty() && taken[size_t(candidates.back())]) candidates.pop_back();
    if (!candidates.empty()) {
      from[size_t(r)] = candidates.back();
      taken[size_t(candidates.back())] = true;
    } else if (sameCount && !taken[size_t(r)]) {
      from[size_t(r)] = r;
      taken[size_t(r)] = true;
    }
  }
  from_ = std::move(from);
}

bool ChangedCells::Changed(const SheetGrid& grid, int col, int row) const {
  if (row < 0 || row >= int(from_.size())) return false;
  const int was = from_[size_t(row)];
  if (was < 0) return true;
  return col >= shown_.ColCount() || grid.CellView(col, row) != shown_.CellView(col, was);
}

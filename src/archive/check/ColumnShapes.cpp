#include "archive/check/ColumnShapes.h"

namespace check {
namespace {

uint8_t ShapeBit(std::string_view cell) {
  if (cell.empty()) return 1;
  size_t i = cell[0] == '-' ? 1 : 0;
  if (i == cell.size()) return 4;
  for (; i < cell.size(); ++i)
    if (cell[i] < '0' || cell[i] > '9') return 4;
  return 2;
}

}  // namespace

void ColumnShapes::Learn(const std::vector<std::string_view>& cells) {
  for (size_t c = 0; c < cells.size() && c < masks_.size(); ++c) masks_[c] |= ShapeBit(cells[c]);
}

bool ColumnShapes::Fits(std::string_view cell, size_t column) const {
  return column < masks_.size() && (masks_[column] & ShapeBit(cell)) != 0;
}

int ColumnShapes::FirstShifted(const std::vector<std::string_view>& cells) const {
  const int n = int(cells.size());
  const int columns = int(masks_.size());
  // The score of a shift starting at k: cells before k that fit in place,
  // plus cells after the shift that fit where the shift puts them.
  if (n < columns) {
    const int d = columns - n;
    int inPlace = 0;
    int shifted = 0;
    for (int i = 0; i < n; ++i) shifted += Fits(cells[size_t(i)], size_t(i + d));
    int best = -1, bestK = n;
    for (int k = 0; k <= n; ++k) {
      if (k > 0) {
        inPlace += Fits(cells[size_t(k - 1)], size_t(k - 1));
        shifted -= Fits(cells[size_t(k - 1)], size_t(k - 1 + d));
      }
      if (inPlace + shifted >= best) {
        best = inPlace + shifted;
        bestK = k;
      }
    }
    return bestK;
  }
  const int e = n - columns;
  int inPlace = 0;
  int shifted = 0;
  for (int i = e; i < n; ++i) shifted += Fits(cells[size_t(i)], size_t(i - e));
  int best = -1, bestK = columns;
  for (int k = 0; k <= columns; ++k) {
    if (k > 0) {
      inPlace += Fits(cells[size_t(k - 1)], size_t(k - 1));
      shifted -= Fits(cells[size_t(k - 1 + e)], size_t(k - 1));
    }
    if (inPlace + shifted >= best) {
      best = inPlace + shifted;
      bestK = k;
    }
  }
  return bestK;
}

}  // namespace check

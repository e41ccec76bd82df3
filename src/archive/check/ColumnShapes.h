#pragma once
// Where a row with too few or too many cells went wrong. A missing TAB moves
// every later cell one column to the left, an extra one to the right; the
// cells keep their own shape (empty, a whole number, other text), so the
// place where the row's cells stop fitting the shapes their columns hold in
// the sheet's sound rows tells where the shift begins.
#include <cstdint>
#include <string_view>
#include <vector>

namespace check {

class ColumnShapes {
 public:
  explicit ColumnShapes(int columns) : masks_(size_t(columns), 0) {}

  // A row with the header's cell count.
  void Learn(const std::vector<std::string_view>& cells);

  // For a row with another count: the first column whose cell is out of
  // place. Column count() (a short row) or columns() (a long row) means the
  // row's own cells all fit where they stand: it just ends early, or its
  // extra cells come after the last column. Of equally good places the
  // latest is taken.
  int FirstShifted(const std::vector<std::string_view>& cells) const;

 private:
  bool Fits(std::string_view cell, size_t column) const;

  std::vector<uint8_t> masks_;  // per column, a bit per shape seen
};

}  // namespace check

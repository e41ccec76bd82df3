#pragma once
// Which cells of a sheet differ from the sheet as it was shown. The rows as
// shown are kept (sharing their bytes with the grid's); each row of the grid
// is matched to the shown row it came from, through inserted and deleted
// rows, so a cell counts as changed only when its text differs from that
// row's (an undone edit is no change) and every cell of a new row counts.
#include <QByteArray>
#include <vector>

#include "archive/SheetGrid.h"

class ChangedCells {
 public:
  // The grid as shown now: nothing has changed.
  void Shown(const SheetGrid& grid);
  // Rows inserted before row `at`, rows taken out from `at` on.
  void RowsInserted(int at, int count);
  void RowsRemoved(int at, int count);
  // The grid changed as a whole: each row matched again, first to a shown
  // row of the same position and text, else to the next shown row of its
  // text, else to the shown row of its position while the row counts agree.
  void Rematch(const SheetGrid& grid);

  bool Changed(const SheetGrid& grid, int col, int row) const;

 private:
  SheetGrid shown_;
  std::vector<int> from_;  // per grid row: its shown row, -1 for a new row
};

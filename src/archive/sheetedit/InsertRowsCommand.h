#pragma once
// Rows put into the sheet: one row of empty cells (Insert Row), or a copy of
// each given row directly below itself (Duplicate Row). A copy shares the
// buffer of the row it was made from, and the command keeps only row
// numbers: redo finds every source row as it was when the command was made.
#include <vector>

#include "archive/sheetedit/SheetCommand.h"

class InsertRowsCommand : public SheetCommand {
 public:
  // One empty row before row `at` (RowCount appends).
  static InsertRowsCommand* Blank(SheetGrid& grid, SheetChangeSink& sink, int at);
  // sources ascending and without repeats.
  static InsertRowsCommand* Duplicates(SheetGrid& grid, SheetChangeSink& sink, std::vector<int> sources);

  void redo() override;
  void undo() override;
  qsizetype HeldBytes() const override;

 private:
  InsertRowsCommand(SheetGrid& grid, SheetChangeSink& sink, const QString& text, SheetCell where,
                    std::vector<int> sources, int at);
  void Insert(int at, const SheetGrid::RowData& row);
  void Remove(int at);

  std::vector<int> sources_;  // empty: one empty row at at_
  int at_;
};

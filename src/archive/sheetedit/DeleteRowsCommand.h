#pragma once
// Rows taken out of the sheet. While the deletion stands the command keeps
// the rows whole (their buffers, not copies), and undo puts them back where
// they were. Deleting every row under a fixed header leaves the header on
// its own, still fixed, so later rows never make it an ordinary row.
#include <vector>

#include "archive/sheetedit/SheetCommand.h"

class DeleteRowsCommand : public SheetCommand {
 public:
  // rows ascending and without repeats; at least one row stays.
  DeleteRowsCommand(SheetGrid& grid, SheetChangeSink& sink, const std::vector<int>& rows);

  void redo() override;
  void undo() override;
  qsizetype HeldBytes() const override;

 private:
  struct Run {
    int at;
    int count;
    std::vector<SheetGrid::RowData> rows;  // held while deleted
  };

  std::vector<Run> runs_;  // ascending
};

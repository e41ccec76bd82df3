#pragma once
// A change to the cells of several rows made as one step: a pasted block,
// cut or emptied cells, replaced text. The rows are kept whole before and
// after the change (their buffers shared, not copied), so undo and redo put
// back exactly the bytes that were there. Rows that the change adds past the
// last row (a paste running off the end) go again on undo.
#include <functional>
#include <vector>

#include "archive/sheetedit/SheetCommand.h"

class RowsPatchCommand : public SheetCommand {
 public:
  using Change = std::function<void(SheetGrid&)>;

  // rows: the grid rows the change writes, ascending; those from RowCount on
  // are added as empty rows first. firstCol..lastCol: the columns it writes.
  // change runs once, at the first redo; later redos put its result back.
  RowsPatchCommand(SheetGrid& grid, SheetChangeSink& sink, const QString& text, std::vector<int> rows,
                   int firstCol, int lastCol, Change change);

  void redo() override;
  void undo() override;
  qsizetype HeldBytes() const override;

 private:
  std::vector<int> rows_;
  int firstAdded_;  // the grid's RowCount when made: rows_ from here on are added
  int added_;
  int firstCol_;
  int lastCol_;
  Change change_;
  std::vector<SheetGrid::RowData> before_;
  std::vector<SheetGrid::RowData> after_;
  // Done, the step alone keeps the rows as they were; undone, the rows as
  // it left them. Both sizes are taken once, when the rows are kept.
  bool done_ = false;
  qsizetype beforeBytes_ = 0;
  qsizetype afterBytes_ = 0;
};

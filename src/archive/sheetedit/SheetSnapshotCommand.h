#pragma once
// A change that may add, remove and rewrite rows anywhere in the sheet, made
// as one step: every row is kept before and after it (buffers shared, not
// copied), so undo and redo put back exactly the bytes that were there. The
// view takes the sheet afresh at each turn.
#include <functional>
#include <vector>

#include "archive/sheetedit/SheetCommand.h"

class SheetSnapshotCommand : public SheetCommand {
 public:
  using Change = std::function<void(SheetGrid&)>;

  // change runs once, at the first redo; later redos put its result back.
  SheetSnapshotCommand(SheetGrid& grid, SheetChangeSink& sink, const QString& text, SheetCell where,
                       Change change);

  void redo() override;
  void undo() override;
  qsizetype HeldBytes() const override;

 private:
  static std::vector<SheetGrid::RowData> Save(const SheetGrid& grid);
  void Restore(const std::vector<SheetGrid::RowData>& rows);

  Change change_;
  std::vector<SheetGrid::RowData> before_;
  std::vector<SheetGrid::RowData> after_;
};

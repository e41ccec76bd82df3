#include "SheetSnapshotCommand.h"

SheetSnapshotCommand::SheetSnapshotCommand(SheetGrid& grid, SheetChangeSink& sink, const QString& text,
                                           SheetCell where, Change change)
    : SheetCommand(grid, sink, text, where), change_(std::move(change)), before_(Save(grid)) {}

std::vector<SheetGrid::RowData> SheetSnapshotCommand::Save(const SheetGrid& grid) {
  std::vector<SheetGrid::RowData> rows;
  rows.reserve(size_t(grid.RowCount()));
  for (int r = 0; r < grid.RowCount(); ++r) rows.push_back(grid.SaveRow(r));
  return rows;
}

void SheetSnapshotCommand::Restore(const std::vector<SheetGrid::RowData>& rows) {
  const int count = int(rows.size());
  if (grid_.RowCount() > count)
    grid_.RemoveRows(count, grid_.RowCount() - count);
  else if (grid_.RowCount() < count)
    grid_.InsertRows(grid_.RowCount(), std::vector<SheetGrid::RowData>(size_t(count - grid_.RowCount())));
  for (int r = 0; r < count; ++r) grid_.RestoreRow(r, rows[size_t(r)]);
}

void SheetSnapshotCommand::redo() {
  sink_.BeginReset();
  if (change_) {
    change_(grid_);
    change_ = nullptr;  // what it captured is not needed again
    after_ = Save(grid_);
  } else {
    Restore(after_);
  }
  sink_.EndReset();
}

void SheetSnapshotCommand::undo() {
  sink_.BeginReset();
  Restore(before_);
  sink_.EndReset();
}

qsizetype SheetSnapshotCommand::HeldBytes() const {
  qsizetype bytes = qsizetype(sizeof(*this)) + kUndoCommandPrivate;
  for (const auto& row : before_) bytes += RowBytes(row);
  for (const auto& row : after_) bytes += RowBytes(row);
  return bytes;
}

#include "DeleteRowsCommand.h"

DeleteRowsCommand::DeleteRowsCommand(SheetGrid& grid, SheetChangeSink& sink, const std::vector<int>& rows)
    : SheetCommand(grid, sink, QStringLiteral("Delete Row"), {0, rows.empty() ? -1 : rows.front()}),
      fixedRows_(grid.FixedRows()),
      lowersFixedRows_(grid.FixedRows() >= grid.RowCount() - int(rows.size())) {
  for (int r : rows) {
    if (!runs_.empty() && runs_.back().at + runs_.back().count == r)
      ++runs_.back().count;
    else
      runs_.push_back({r, 1, {}});
  }
}

void DeleteRowsCommand::redo() {
  // A view maps rows past the fixed ones; when those change it starts over.
  if (lowersFixedRows_) sink_.BeginReset();
  for (auto run = runs_.rbegin(); run != runs_.rend(); ++run) {
    if (!lowersFixedRows_) sink_.BeginRemoveRows(run->at, run->count);
    run->rows = grid_.RemoveRows(run->at, run->count);
    if (!lowersFixedRows_) sink_.EndRemoveRows();
  }
  if (lowersFixedRows_) sink_.EndReset();
}

void DeleteRowsCommand::undo() {
  if (lowersFixedRows_) sink_.BeginReset();
  for (Run& run : runs_) {
    if (!lowersFixedRows_) sink_.BeginInsertRows(run.at, run.count);
    grid_.InsertRows(run.at, run.rows);
    run.rows.clear();
    run.rows.shrink_to_fit();
    if (!lowersFixedRows_) sink_.EndInsertRows();
  }
  if (lowersFixedRows_) {
    grid_.SetFixedRows(fixedRows_);
    sink_.EndReset();
  }
}

qsizetype DeleteRowsCommand::HeldBytes() const {
  qsizetype bytes =
      qsizetype(sizeof(*this)) + kUndoCommandPrivate + qsizetype(runs_.capacity() * sizeof(Run));
  for (const Run& run : runs_)
    for (const auto& row : run.rows) bytes += SheetGrid::RowDataBytes(row);
  return bytes;
}

#include "DeleteRowsCommand.h"

DeleteRowsCommand::DeleteRowsCommand(SheetGrid& grid, SheetChangeSink& sink, const std::vector<int>& rows)
    : SheetCommand(grid, sink, QStringLiteral("Delete Row"), {0, rows.empty() ? -1 : rows.front()}) {
  for (int r : rows) {
    if (!runs_.empty() && runs_.back().at + runs_.back().count == r)
      ++runs_.back().count;
    else
      runs_.push_back({r, 1, {}});
  }
}

void DeleteRowsCommand::redo() {
  for (auto run = runs_.rbegin(); run != runs_.rend(); ++run) {
    sink_.BeginRemoveRows(run->at, run->count);
    run->rows = grid_.RemoveRows(run->at, run->count);
    sink_.EndRemoveRows();
  }
}

void DeleteRowsCommand::undo() {
  for (Run& run : runs_) {
    sink_.BeginInsertRows(run.at, run.count);
    grid_.InsertRows(run.at, run.rows);
    run.rows.clear();
    run.rows.shrink_to_fit();
    sink_.EndInsertRows();
  }
}

qsizetype DeleteRowsCommand::HeldBytes() const {
  qsizetype bytes =
      qsizetype(sizeof(*this)) + kUndoCommandPrivate + qsizetype(runs_.capacity() * sizeof(Run));
  for (const Run& run : runs_)
    for (const auto& row : run.rows) bytes += RowBytes(row);
  return bytes;
}

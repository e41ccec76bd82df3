#include "RowsPatchCommand.h"

#include <algorithm>

RowsPatchCommand::RowsPatchCommand(SheetGrid& grid, SheetChangeSink& sink, const QString& text,
                                   std::vector<int> rows, int firstCol, int lastCol, Change change)
    : SheetCommand(grid, sink, text, {firstCol, rows.empty() ? -1 : rows.front()}),
      rows_(std::move(rows)),
      firstAdded_(grid.RowCount()),
      added_(int(std::count_if(rows_.begin(), rows_.end(), [&](int r) { return r >= firstAdded_; }))),
      firstCol_(firstCol),
      lastCol_(lastCol),
      change_(std::move(change)) {
  before_.reserve(rows_.size() - size_t(added_));
  for (int r : rows_)
    if (r < firstAdded_) before_.push_back(grid.SaveRow(r));
  for (const auto& row : before_) beforeBytes_ += RowBytes(row);
}

void RowsPatchCommand::redo() {
  if (added_ > 0) {
    sink_.BeginInsertRows(firstAdded_, added_);
    grid_.InsertRows(firstAdded_, std::vector<SheetGrid::RowData>(size_t(added_)));
    sink_.EndInsertRows();
  }
  if (change_) {
    change_(grid_);
    change_ = nullptr;  // what it captured is not needed again
    after_.reserve(rows_.size());
    for (int r : rows_) after_.push_back(grid_.SaveRow(r));
    for (const auto& row : after_) afterBytes_ += RowBytes(row);
  } else {
    for (size_t i = 0; i < rows_.size(); ++i) grid_.RestoreRow(rows_[i], after_[i]);
  }
  if (!rows_.empty()) sink_.CellsChanged(rows_.front(), rows_.back(), firstCol_, lastCol_);
  done_ = true;
}

void RowsPatchCommand::undo() {
  done_ = false;
  for (size_t i = 0; i < before_.size(); ++i) grid_.RestoreRow(rows_[i], before_[i]);
  if (!before_.empty()) sink_.CellsChanged(rows_.front(), rows_[before_.size() - 1], firstCol_, lastCol_);
  if (added_ > 0) {
    sink_.BeginRemoveRows(firstAdded_, added_);
    grid_.RemoveRows(firstAdded_, added_);
    sink_.EndRemoveRows();
  }
}

qsizetype RowsPatchCommand::HeldBytes() const {
  return qsizetype(sizeof(*this)) + kUndoCommandPrivate + qsizetype(rows_.capacity() * sizeof(int)) +
         (done_ ? beforeBytes_ : afterBytes_);
}

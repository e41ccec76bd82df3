#include "InsertRowsCommand.h"

InsertRowsCommand::InsertRowsCommand(SheetGrid& grid, SheetChangeSink& sink, const QString& text,
                                     SheetCell where, std::vector<int> sources, int at)
    : SheetCommand(grid, sink, text, where), sources_(std::move(sources)), at_(at) {}

InsertRowsCommand* InsertRowsCommand::Blank(SheetGrid& grid, SheetChangeSink& sink, int at) {
  return new InsertRowsCommand(grid, sink, QStringLiteral("Insert Row"), {0, at}, {}, at);
}

InsertRowsCommand* InsertRowsCommand::Duplicates(SheetGrid& grid, SheetChangeSink& sink,
                                                 std::vector<int> sources) {
  const SheetCell where{0, sources.empty() ? -1 : sources.front() + 1};
  return new InsertRowsCommand(grid, sink, QStringLiteral("Duplicate Row"), where, std::move(sources), -1);
}

void InsertRowsCommand::Insert(int at, const SheetGrid::RowData& row) {
  sink_.BeginInsertRows(at, 1);
  grid_.InsertRows(at, {row});
  sink_.EndInsertRows();
}

void InsertRowsCommand::Remove(int at) {
  sink_.BeginRemoveRows(at, 1);
  grid_.RemoveRows(at, 1);
  sink_.EndRemoveRows();
}

void InsertRowsCommand::redo() {
  if (sources_.empty()) return Insert(at_, {});
  // From the last source up, so the rows still to copy keep their numbers.
  for (auto s = sources_.rbegin(); s != sources_.rend(); ++s) Insert(*s + 1, grid_.SaveRow(*s));
}

void InsertRowsCommand::undo() {
  if (sources_.empty()) return Remove(at_);
  // The copy of source i stands i rows further down than its source's next row.
  for (int i = int(sources_.size()) - 1; i >= 0; --i) Remove(sources_[size_t(i)] + i + 1);
}

qsizetype InsertRowsCommand::HeldBytes() const {
  return qsizetype(sizeof(*this)) + kUndoCommandPrivate + qsizetype(sources_.capacity() * sizeof(int));
}

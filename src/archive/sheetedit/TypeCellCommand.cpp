#include "TypeCellCommand.h"

TypeCellCommand::TypeCellCommand(SheetGrid& grid, SheetChangeSink& sink, SheetCell cell, QByteArray after,
                                 int session)
    : SheetCommand(grid, sink, QStringLiteral("Typing"), cell),
      before_(grid.Cell(cell.col, cell.row)),
      after_(std::move(after)),
      session_(session) {}

void TypeCellCommand::Put(const QByteArray& text) {
  grid_.SetCell(where_.col, where_.row, text);
  sink_.CellsChanged(where_.row, where_.row, where_.col, where_.col);
}

void TypeCellCommand::redo() {
  Put(after_);
}

void TypeCellCommand::undo() {
  Put(before_);
}

bool TypeCellCommand::mergeWith(const QUndoCommand* other) {
  const auto* typed = static_cast<const TypeCellCommand*>(other);
  if (typed->session_ != session_ || typed->where_.col != where_.col || typed->where_.row != where_.row)
    return false;
  after_ = typed->after_;
  // Typed back to where it started: no step is left to undo.
  setObsolete(after_ == before_);
  return true;
}

qsizetype TypeCellCommand::HeldBytes() const {
  return qsizetype(sizeof(*this)) + kUndoCommandPrivate + BytesOf(before_) + BytesOf(after_);
}

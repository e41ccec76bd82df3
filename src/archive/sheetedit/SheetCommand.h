#pragma once
// The base of the sheet's undoable edits: each works on one grid, tells the
// sink what it changed, names the cell to show after it is undone or redone,
// and says how much memory it holds while it waits in the history.
#include <QUndoCommand>

#include "archive/SheetGrid.h"
#include "archive/sheetedit/SheetChangeSink.h"

// Command ids for QUndoCommand::id(): only commands with the same id merge.
enum SheetCommandId {
  kTypeCellId = 1,
};

struct SheetCell {
  int col = -1;
  int row = -1;
};

class SheetCommand : public QUndoCommand {
 public:
  SheetCommand(SheetGrid& grid, SheetChangeSink& sink, const QString& text, SheetCell where)
      : QUndoCommand(text), grid_(grid), sink_(sink), where_(where) {}

  SheetCell Where() const { return where_; }
  // Heap and object bytes this command alone keeps alive: what it would put
  // back (the rows a done step replaced or took out, or an undone step's
  // result), not what the grid holds or a newer step keeps too.
  virtual qsizetype HeldBytes() const = 0;

 protected:
  // What QUndoCommand keeps besides the object (its private part and texts).
  static constexpr qsizetype kUndoCommandPrivate = 96;
  static qsizetype BytesOf(const QByteArray& bytes) {
    return bytes.isNull() ? 0 : bytes.capacity() + qsizetype(sizeof(QArrayData));
  }
  static qsizetype RowBytes(const SheetGrid::RowData& row) {
    return qsizetype(sizeof(row) + row.next.capacity() * sizeof(uint32_t)) + BytesOf(row.bytes);
  }

  SheetGrid& grid_;
  SheetChangeSink& sink_;
  SheetCell where_;
};

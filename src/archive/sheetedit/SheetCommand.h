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
  // Heap and object bytes this command keeps alive (shared buffers that the
  // grid also holds are not counted).
  virtual qsizetype HeldBytes() const = 0;

 protected:
  // What QUndoCommand keeps besides the object (its private part and texts).
  static constexpr qsizetype kUndoCommandPrivate = 96;
  static qsizetype BytesOf(const QByteArray& bytes) {
    return bytes.isNull() ? 0 : bytes.capacity() + qsizetype(sizeof(QArrayData));
  }

  SheetGrid& grid_;
  SheetChangeSink& sink_;
  SheetCell where_;
};

#pragma once
// Text typed into one cell. The grid stores every keystroke at once, so each
// keystroke is pushed as one of these; later keystrokes of the same typing
// session in the same cell merge into the first, and the whole session is
// one step. Typing back to the text it started from leaves no step at all.
#include <QByteArray>

#include "archive/sheetedit/SheetCommand.h"

class TypeCellCommand : public SheetCommand {
 public:
  TypeCellCommand(SheetGrid& grid, SheetChangeSink& sink, SheetCell cell, QByteArray after, int session);

  void redo() override;
  void undo() override;
  int id() const override { return kTypeCellId; }
  bool mergeWith(const QUndoCommand* other) override;
  qsizetype HeldBytes() const override;

 private:
  void Put(const QByteArray& text);

  QByteArray before_;
  QByteArray after_;
  int session_;
};

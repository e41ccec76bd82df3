#pragma once
// One step on the sheet's undo stack, holding its command apart from the
// stack: when the history grows too large the editor takes the newer
// commands out and hands them to the emptied stack again, the oldest ones
// left behind. A command handed on has run already; its first redo, which
// the stack calls on every push, does nothing.
#include <QUndoCommand>
#include <memory>

#include "archive/sheetedit/SheetCommand.h"

class SheetHistoryStep : public QUndoCommand {
 public:
  SheetHistoryStep(std::unique_ptr<SheetCommand> command, bool done);

  void redo() override;
  void undo() override;
  int id() const override { return command_->id(); }
  bool mergeWith(const QUndoCommand* other) override;

  const SheetCommand& Command() const { return *command_; }
  std::unique_ptr<SheetCommand> Take() { return std::move(command_); }

 private:
  std::unique_ptr<SheetCommand> command_;
  bool skipRedo_;
  // Handed on from an earlier stack: it stays a step of its own.
  bool handedOn_;
};

#include "SheetHistoryStep.h"

SheetHistoryStep::SheetHistoryStep(std::unique_ptr<SheetCommand> command, bool done)
    : QUndoCommand(command->text()), command_(std::move(command)), skipRedo_(done), handedOn_(done) {}

void SheetHistoryStep::redo() {
  if (skipRedo_) {
    skipRedo_ = false;
    return;
  }
  command_->redo();
}

void SheetHistoryStep::undo() {
  command_->undo();
}

bool SheetHistoryStep::mergeWith(const QUndoCommand* other) {
  const auto* step = static_cast<const SheetHistoryStep*>(other);
  if (step->handedOn_ || !command_->mergeWith(step->command_.get())) return false;
  setObsolete(command_->isObsolete());
  return true;
}

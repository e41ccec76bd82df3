#include "forms/untMain.h"

void TfrmMain::btnAddClick(QObject* Sender) {
  Q_UNUSED(Sender);
  // Built by the Add command.
}

void TfrmMain::btnRemoveClick(QObject* Sender) {
  Q_UNUSED(Sender);
  // Built by the Remove command.
}

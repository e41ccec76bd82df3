#include "forms/untMain.h"

void TfrmMain::btnUpdateClick(QObject* Sender) {
  Q_UNUSED(Sender);
  // Built by the Update command.
}

#include "forms/untMain.h"

void TfrmMain::btnOpenClick(QObject* Sender) {
  Q_UNUSED(Sender);
  // Built by the Open command.
}

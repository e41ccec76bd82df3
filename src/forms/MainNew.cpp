#include "forms/untMain.h"

void TfrmMain::btnNewClick(QObject* Sender) {
  Q_UNUSED(Sender);
  // Built by the New command.
}

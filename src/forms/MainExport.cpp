#include "forms/untMain.h"

void TfrmMain::btnExportClick(QObject* Sender) {
  Q_UNUSED(Sender);
  // Built by the Export command.
}

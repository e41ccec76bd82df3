// Compare With: the open mod against another mod or a folder, on the
// Compare page (CompareWith.cpp).
#include "forms/compare/CompareWith.h"
#include "forms/main/untMain.h"

void TfrmMain::mniCompareClick(QObject*) {
  Comparing->Start();
}

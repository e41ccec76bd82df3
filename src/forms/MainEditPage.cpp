#include <QTableView>

#include "forms/untMain.h"

QTableView* TfrmMain::CreateStringGrid(QWidget* parent) {
  // Built by the Edit page: the sheet grid replaces this placeholder.
  return new QTableView(parent);
}

void TfrmMain::tbsEditEnter(QObject* Sender) {
  Q_UNUSED(Sender);
  // Built by the Edit page command.
}

void TfrmMain::tbSheetSaveClick(QObject* Sender) {
  Q_UNUSED(Sender);
  // Built by the Save sheet command.
}

void TfrmMain::tbSheetImportClick(QObject* Sender) {
  Q_UNUSED(Sender);
  // Built by the Import sheet command.
}

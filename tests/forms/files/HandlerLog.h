#pragma once
// Every wired handler of a main window that ran, by name, in order.
#include <QStringList>

#include "forms/main/untMain.h"

struct HandlerLog {
  QStringList names;
  explicit HandlerLog(TfrmMain& w) {
    QObject::connect(&w, &TfrmMain::handlerRun, &w, [this](const QString& n) { names << n; });
  }
};

#include "forms/main/AppStartup.h"

#include <QApplication>
#include <QTimer>
#include <QUrl>

#include "archive/ArchiveReader.h"
#include "forms/about/untAbout.h"
#include "forms/main/untMain.h"
#include "forms/preferences/untPreferences.h"
#include "platform/Ui.h"

namespace {
void step(const StartupTrace& trace, const char* name, const AppForms& forms) {
  if (trace) trace(QString::fromLatin1(name), forms);
}
}  // namespace

AppForms CreateForms(const StartupTrace& trace) {
  AppForms forms;
  ui::SetApplicationTitle(QString::fromLatin1(kApplicationTitle));
  step(trace, "title", forms);
  forms.frmMain = new TfrmMain;
  step(trace, "frmMain", forms);
  forms.frmAbout = new TfrmAbout(forms.frmMain);
  forms.frmMain->SetForms(forms.frmAbout, nullptr);
  step(trace, "frmAbout", forms);
  forms.frmPreferences = new TfrmPreferences(forms.frmMain);
  forms.frmMain->SetForms(forms.frmAbout, forms.frmPreferences);
  step(trace, "frmPreferences", forms);
  return forms;
}

void DestroyForms(AppForms& forms, const StartupTrace& trace) {
  // The about box and the preferences dialog belong to the main window and go
  // with it, after its FormDestroy has run.
  delete forms.frmMain;
  forms = AppForms{};
  step(trace, "destroyed", forms);
  ReleaseArchiveState();
  step(trace, "released", forms);
}

int RunApplication(QApplication& app, const StartupTrace& trace, const QString& modPath) {
  // Closing the main window ends the program; the hidden tool windows do not
  // keep it alive, and nothing asks before the loop ends.
  app.setQuitOnLastWindowClosed(false);
  AppForms forms = CreateForms(trace);
  QObject::connect(forms.frmMain, &TfrmMain::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
  forms.frmMain->show();
  step(trace, "show", forms);
  if (!modPath.isEmpty()) {
    TfrmMain* main = forms.frmMain;
    QTimer::singleShot(0, main, [main, modPath] { main->OpenModFromCommandLine(modPath); });
  }
  step(trace, "loop", forms);
  const int code = app.exec();
  step(trace, "loopEnded", forms);
  DestroyForms(forms, trace);
  return code;
}

bool ModPathFromArguments(const QStringList& arguments, QString& modPath) {
  modPath.clear();
  if (arguments.isEmpty()) return true;
  if (arguments.size() > 1 || arguments.first().isEmpty()) return false;
  const QString& argument = arguments.first();
  const QUrl url(argument);
  if (argument.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
    if (!url.isLocalFile() || url.toLocalFile().isEmpty()) return false;
    modPath = url.toLocalFile();
  } else {
    modPath = argument;
  }
  return true;
}

#pragma once
// The program's start-up and shutdown, in their fixed order.
#include <QString>
#include <QStringList>
#include <functional>

class QApplication;
class TfrmAbout;
class TfrmMain;
class TfrmPreferences;

struct AppForms {
  TfrmMain* frmMain = nullptr;
  TfrmAbout* frmAbout = nullptr;
  TfrmPreferences* frmPreferences = nullptr;
};

// Told each step as it is reached: "title", "frmMain", "frmAbout",
// "frmPreferences", "show", "loop", "loopEnded", "destroyed", "released".
using StartupTrace = std::function<void(const QString& step, const AppForms& forms)>;

inline constexpr char kApplicationTitle[] = "Hearthwarden";

// Sets the application title, then creates the main window, the about box and
// the preferences dialog (which loads the preferences), in that order.
AppForms CreateForms(const StartupTrace& trace = {});

// Destroys the windows (the main window's destruction asks the save-changes
// question), then lets the archive reader release the archive library's state.
void DestroyForms(AppForms& forms, const StartupTrace& trace = {});

// The whole program: create, show the main window, run until it is closed,
// destroy. Returns the event loop's exit code. With a modPath, the loop's
// first command opens that mod as Open does after its dialog.
int RunApplication(QApplication& app, const StartupTrace& trace = {}, const QString& modPath = QString());

// The program's arguments after its own name: none, or the one mod file to
// open, a path or a "file:" URL (as a file manager may pass it). False for
// anything else.
bool ModPathFromArguments(const QStringList& arguments, QString& modPath);

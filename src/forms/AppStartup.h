#pragma once
// The program's start-up and shutdown, in their fixed order.
#include <QString>
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
// destroy. Returns the event loop's exit code.
int RunApplication(QApplication& app, const StartupTrace& trace = {});

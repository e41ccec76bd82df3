#pragma once
// Where the preferences file lives. A portable copy, whose program folder can
// be written, keeps it beside the executable; an installed copy, whose folder
// belongs to the system, keeps it in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config; on Windows %APPDATA%) under "Quillforge".
#include <QString>
#include <functional>

namespace config {

inline constexpr char kIniFileName[] = "QUILL.INI";
inline constexpr char kConfigSubfolder[] = "Quillforge";

// Whether this process can write at path: a folder it can create files in, or
// an existing file it can open for writing. Nothing is changed by asking.
bool CanWrite(const QString& path);
using WritableCheck = std::function<bool(const QString& path)>;

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute
// path, else ".config" in the home folder; on Windows the roaming
// application data folder (%APPDATA%).
QString ConfigHome();

// Whether folder is one the system shares among its programs (/usr/bin; on
// Windows the Windows folder and Program Files), which makes no portable copy.
bool IsSharedProgramFolder(const QString& folder);

// The choice itself: beside the program when its folder can be written (a
// folder the system shares among its programs, such as /usr/bin, never counts),
// or when a preferences file there can; otherwise configHome/Quillforge.
QString ChooseIniFile(const QString& programFolder, const QString& configHome, const WritableCheck& canWrite);

// The program's folder (the executable's, unless a test has set another).
QString ProgramFolder();
void SetProgramFolderForTesting(const QString& folder);

// ChooseIniFile for this process.
QString IniFile();

// Before file is written: when it is the one in the user's configuration
// folder, creates that folder if it is missing (false when it cannot be).
// Any other folder is left as it is.
bool MakeConfigFolderFor(const QString& file);

}  // namespace config

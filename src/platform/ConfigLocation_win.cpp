#include "platform/ConfigLocation.h"

#include <windows.h>
#include <shlobj.h>

#include <QDir>

namespace config {

namespace {

QString KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  QString folder;
  if (SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path) == S_OK)
    folder = QDir::cleanPath(QDir::fromNativeSeparators(QString::fromWCharArray(path)));
  CoTaskMemFree(path);
  return folder;
}

}  // namespace

// An administrator can write in Program Files and in the Windows folder, yet
// a copy installed there is no portable one: its preferences belong in the
// user's own folder.
bool IsSharedProgramFolder(const QString& folder) {
  const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(folder));
  for (REFKNOWNFOLDERID id : {FOLDERID_ProgramFiles, FOLDERID_ProgramFilesX86, FOLDERID_Windows}) {
    const QString shared = KnownFolder(id);
    if (shared.isEmpty()) continue;
    if (clean.compare(shared, Qt::CaseInsensitive) == 0 ||
        clean.startsWith(shared + QLatin1Char('/'), Qt::CaseInsensitive))
      return true;
  }
  return false;
}

QString ConfigHome() {
  const QString appData = KnownFolder(FOLDERID_RoamingAppData);
  if (!appData.isEmpty()) return appData;
  return QDir::cleanPath(QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")));
}

}  // namespace config

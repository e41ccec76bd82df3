#include "platform/ConfigLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace config {

namespace {

QString programFolderOverride;

// The folders a system install puts programs in. They are shared with every
// other program, so one writable there (as it is for root) makes no portable
// copy: its preferences would land among the system's binaries, where no
// package removal takes them away again.
bool IsSharedProgramFolder(const QString& folder) {
  static const QStringList shared = {QStringLiteral("/bin"),
                                     QStringLiteral("/sbin"),
                                     QStringLiteral("/usr/bin"),
                                     QStringLiteral("/usr/sbin"),
                                     QStringLiteral("/usr/games"),
                                     QStringLiteral("/usr/local/bin"),
                                     QStringLiteral("/usr/local/sbin"),
                                     QStringLiteral("/usr/local/games")};
  return shared.contains(QDir::cleanPath(folder));
}

}  // namespace

bool CanWrite(const QString& path) {
  const QFileInfo info(path);
  if (info.isDir()) {
    // Creating a file is the only answer every platform gives truthfully
    // (read-only mounts, ACLs, root); the probe is removed at once.
    QTemporaryFile probe(QDir(path).filePath(QStringLiteral(".quillforge-probe-XXXXXX")));
    return probe.open();
  }
  if (!info.exists()) return false;
  // Opening to append neither empties nor changes the file.
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Append);
}

QString ConfigHome() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
  // A relative value is no valid setting and is ignored.
  if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return QDir::cleanPath(xdg);
  return QDir(QDir::homePath()).filePath(QStringLiteral(".config"));
#else
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
#endif
}

QString ChooseIniFile(const QString& programFolder, const QString& configHome,
                      const WritableCheck& canWrite) {
  const QString beside = QDir(programFolder).filePath(QString::fromLatin1(kIniFileName));
  const bool portable = !IsSharedProgramFolder(programFolder) && canWrite(programFolder);
  if (portable || canWrite(beside)) return beside;
  return QDir(configHome)
      .filePath(QString::fromLatin1(kConfigSubfolder) + QLatin1Char('/') + QString::fromLatin1(kIniFileName));
}

QString ProgramFolder() {
  return programFolderOverride.isEmpty() ? QCoreApplication::applicationDirPath() : programFolderOverride;
}

void SetProgramFolderForTesting(const QString& folder) {
  programFolderOverride = folder;
}

QString IniFile() {
  return ChooseIniFile(ProgramFolder(), ConfigHome(), CanWrite);
}

bool MakeConfigFolderFor(const QString& file) {
  const QString folder = QFileInfo(file).absolutePath();
  if (folder != QDir(ConfigHome()).filePath(QString::fromLatin1(kConfigSubfolder))) return true;
  return QDir().mkpath(folder);
}

}  // namespace config

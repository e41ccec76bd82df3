#include "platform/ConfigLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace config {

namespace {

QString programFolderOverride;

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

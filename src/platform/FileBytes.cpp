#include "platform/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace files {

bool ReadFileBytes(const QString& path, QByteArray& bytes) {
  QFile file(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return false;
  QByteArray read = file.readAll();
  if (file.error() != QFileDevice::NoError) return false;
  bytes = std::move(read);
  return true;
}

QString FindCaseBlind(const QString& folder, const QStringList& levels) {
  QString at = folder;
  for (const QString& level : levels) {
    const QDir dir(at);
    if (dir.exists(level)) {
      at = dir.filePath(level);
      continue;
    }
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QString match;
    for (const QString& e : entries)
      if (e.compare(level, Qt::CaseInsensitive) == 0) {
        match = e;
        break;
      }
    if (match.isEmpty()) return {};
    at = dir.filePath(match);
  }
  return at;
}

bool FolderExists(const QString& path) {
  return !path.isEmpty() && QFileInfo(path).isDir();
}

}  // namespace files

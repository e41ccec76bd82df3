#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

namespace files {

QString TempFolder() {
  // Qt reports no path when the folder it is given does not exist; a bare file
  // name then places the file in the current folder, never in the root.
  QString dir = QDir::tempPath();
  if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
  return dir;
}

std::unique_ptr<QFile> CreateUniqueTempFile(const QString& nameTemplate) {
  // QTemporaryFile creates with O_CREAT | O_EXCL, so a name planted in a shared
  // folder (a file, or a link pointing elsewhere) is skipped, never opened.
  auto file = std::make_unique<QTemporaryFile>(TempFolder() + nameTemplate);
  file->setAutoRemove(false);
  if (!file->open()) return nullptr;
  return file;
}

qint32 FileSizeBySearch(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists() || info.isDir()) return 0;
  return qint32(quint32(quint64(info.size()) & 0xFFFFFFFFu));
}

bool FileExists(const QString& path) {
  const QFileInfo info(path);
  return info.exists() && !info.isDir();
}

bool DeleteFile(const QString& path) {
  return QFile::remove(path);
}

bool FolderTakesFiles(const QString& folder) {
  QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".quillforge-probe-XXXXXX")));
  return probe.open();
}

bool CopyFile(const QString& from, const QString& to) {
  const QFileInfo src(from);
  if (!src.exists() || src.isDir()) return false;
  // Copying a file onto itself must not empty it on the way.
  const QFileInfo dst(to);
  if (dst.exists() && dst.canonicalFilePath() == src.canonicalFilePath()) return true;

  QFile in(from);
  if (!in.open(QIODevice::ReadOnly)) return false;
  QSaveFile out(to);
  out.setDirectWriteFallback(true);
  if (!out.open(QIODevice::WriteOnly)) return false;
  char buffer[64 * 1024];
  for (;;) {
    const qint64 n = in.read(buffer, sizeof buffer);
    if (n < 0) {
      out.cancelWriting();
      return false;
    }
    if (n == 0) break;
    if (out.write(buffer, n) != n) {
      out.cancelWriting();
      return false;
    }
  }
  return out.commit();
}

}  // namespace files

#include "Fixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

namespace fixtures {

QString modDir() {
  QString dir = qEnvironmentVariable("QF_FIXTURES_DIR");
  if (dir.isEmpty()) dir = QStringLiteral(QF_SOURCE_DIR "/../shared/fixtures/mod");
  QDir d(dir);
  return d.exists(QStringLiteral("data")) ? d.absolutePath() : QString();
}

QStringList allFiles() {
  QStringList files;
  const QString root = modDir();
  if (root.isEmpty()) return files;
  QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) files << it.next();
  files.sort();
  return files;
}

QByteArray internalName(const QString& absolutePath) {
  QString rel = QDir(modDir()).relativeFilePath(absolutePath);
  rel.replace(QLatin1Char('/'), QLatin1Char('\\'));
  return rel.toLatin1();
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return f.write(bytes) == bytes.size();
}

}  // namespace fixtures

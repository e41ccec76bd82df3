#include "platform/DiskNames.h"

#include <QFile>
#include <QFileInfo>

namespace files {

namespace {
// The longest file name (one level) the usual file systems take, in bytes.
constexpr qsizetype kMaxNameBytes = 255;
}  // namespace

bool CanBeFileName(const QString& name) {
  if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
  if (name.contains(QLatin1Char('/')) || name.contains(QChar(0))) return false;
  return QFile::encodeName(name).size() <= kMaxNameBytes;
}

QString CannotHoldName() {
  return QStringLiteral("the file system cannot hold the name");
}

bool IsLink(const QString& path) {
  return QFileInfo(path).isSymLink();
}

QString DiskNameKey(const QString& path) {
  // The file systems these systems use tell every byte of a name apart.
  return path;
}

}  // namespace files

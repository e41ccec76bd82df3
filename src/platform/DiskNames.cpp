#include "platform/DiskNames.h"

#include <QDir>
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
#ifdef Q_OS_WIN
  for (QChar c : name)
    if (c.unicode() < 32 || QStringLiteral("<>:\"\\|?*").contains(c)) return false;
  if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' '))) return false;
#endif
  return QFile::encodeName(name).size() <= kMaxNameBytes;
}

QString PathBelow(const QString& folder, const QStringList& levels) {
  if (levels.isEmpty()) return {};
  for (const QString& level : levels)
    if (!CanBeFileName(level)) return {};
  QString path = QDir::fromNativeSeparators(folder);
  if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
  return QDir::toNativeSeparators(path + levels.join(QLatin1Char('/')));
}

bool LinkOnTheWay(const QString& folder, const QString& path) {
  QString root = QDir::fromNativeSeparators(folder);
  if (!root.endsWith(QLatin1Char('/'))) root += QLatin1Char('/');
  const QString below = QDir::fromNativeSeparators(path).mid(root.size());
  QString walked = root;
  for (const QString& level : below.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    walked += level;
    const QFileInfo info(walked);
    if (info.isSymLink()) return true;
    if (!info.exists()) return false;  // nothing further down exists yet
    walked += QLatin1Char('/');
  }
  return false;
}

}  // namespace files

#include "platform/DiskNames.h"

#include <QDir>
#include <QFileInfo>

namespace files {

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
    if (IsLink(walked)) return true;
    if (!QFileInfo::exists(walked)) return false;  // nothing further down exists yet
    walked += QLatin1Char('/');
  }
  return false;
}

}  // namespace files

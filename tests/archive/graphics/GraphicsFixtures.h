#pragma once
// The real game graphics among the fixtures: the graphics folder beside the
// mod folder, and the mod's own DC6 and DCC files.
#include <QDir>
#include <QDirIterator>
#include <QStringList>

#include "Fixtures.h"

namespace fixtures {

inline QString graphicsDir() {
  const QString mod = modDir();
  return mod.isEmpty() ? QString() : QDir(mod + QStringLiteral("/../graphics")).absolutePath();
}

inline QString graphicsFile(const QString& below) {
  return graphicsDir() + QStringLiteral("/data/global/") + below;
}

// Every fixture file (graphics and mod folders) whose name ends in suffix,
// letter case ignored.
inline QStringList graphicsFiles(const QString& suffix) {
  QStringList found;
  for (const QString& root : {graphicsDir(), modDir()}) {
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      if (path.endsWith(suffix, Qt::CaseInsensitive)) found << path;
    }
  }
  found.sort();
  return found;
}

}  // namespace fixtures

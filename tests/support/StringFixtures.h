#pragma once
// The string-table fixtures beside the mod fixtures.
#include <QDir>
#include <QString>

#include "Fixtures.h"

namespace fixtures {

// data/local of the string-table fixtures, or empty when they are missing.
inline QString stringsDir() {
  const QString mod = modDir();
  if (mod.isEmpty()) return {};
  QDir dir(mod + QStringLiteral("/../strings/data/local"));
  return dir.exists() ? dir.absolutePath() : QString();
}

}  // namespace fixtures

#define QF_REQUIRE_STRING_FIXTURES()                                                \
  do {                                                                              \
    if (fixtures::stringsDir().isEmpty()) QSKIP("string-table fixtures not found"); \
  } while (0)

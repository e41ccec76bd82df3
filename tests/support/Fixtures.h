#pragma once
// Where the tests find the real mod data, and small helpers around it.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace fixtures {

// The fixtures' "mod" folder (holding data/...), or empty when it is not there.
QString modDir();

// Every file below modDir(), as absolute paths, sorted.
QStringList allFiles();

// The internal name a fixture file goes under: its path below modDir() with
// backslashes ("data\global\excel\Arena.txt").
QByteArray internalName(const QString& absolutePath);

QByteArray readAll(const QString& path);
bool writeAll(const QString& path, const QByteArray& bytes);

}  // namespace fixtures

// Skips the running test function when the fixtures are missing.
#define QF_REQUIRE_FIXTURES()                                                  \
  do {                                                                         \
    if (fixtures::modDir().isEmpty()) QSKIP("mod fixtures not found");         \
  } while (0)

#pragma once
// Runs the built quillforge as a child process the way a script runs it: no
// DISPLAY, no WAYLAND_DISPLAY and no Qt platform in its environment.
#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace clirun {

struct Result {
  int code = -1;
  QByteArray out;
  QByteArray err;
  // The lines of err, without their line ends.
  QList<QByteArray> errLines() const;
};

Result Run(const QStringList& args, const QString& workDir = QString());

// The names `list` prints for mod, but the record's, as UTF-8.
QStringList Listed(const QString& mod);

// Writes a file, making the folders on the way.
bool WriteFile(const QString& path, const QByteArray& bytes);

// Every file below folder, by its path below it, with its bytes.
QMap<QString, QByteArray> Tree(const QString& folder);

inline const QString kSmpq = QStringLiteral("/usr/bin/smpq");

// smpq run on its own; its output, or a null array when it failed.
QByteArray RunSmpq(const QStringList& args, const QString& workDir = QString());

}  // namespace clirun

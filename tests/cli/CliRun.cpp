#include "CliRun.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace clirun {

QList<QByteArray> Result::errLines() const {
  QList<QByteArray> lines = err.split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

Result Run(const QStringList& args, const QString& workDir) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QLatin1String(name));
  process.setProcessEnvironment(env);
  if (!workDir.isEmpty()) process.setWorkingDirectory(workDir);
  process.start(QStringLiteral(QF_QUILLFORGE), args);
  Result result;
  if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) return result;
  result.code = process.exitCode();
  result.out = process.readAllStandardOutput();
  result.err = process.readAllStandardError();
  return result;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QMap<QString, QByteArray> Tree(const QString& folder) {
  QMap<QString, QByteArray> tree;
  const QDir root(folder);
  QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile file(path);
    tree.insert(root.relativeFilePath(path), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
  }
  return tree;
}

QByteArray RunSmpq(const QStringList& args, const QString& workDir) {
  QProcess process;
  if (!workDir.isEmpty()) process.setWorkingDirectory(workDir);
  process.start(kSmpq, args);
  if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0)
    return QByteArray();
  const QByteArray out = process.readAllStandardOutput();
  return out.isNull() ? QByteArray("") : out;
}

QStringList Listed(const QString& mod) {
  const Result r = Run({QStringLiteral("list"), mod});
  QStringList names;
  for (const QByteArray& line : r.out.split('\n'))
    if (!line.isEmpty() && !line.startsWith("(modinfo)\t"))
      names << QString::fromUtf8(line.left(line.indexOf('\t')));
  return names;
}

}  // namespace clirun

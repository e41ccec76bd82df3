#include "platform/WorkFiles.h"

#include <QDir>
#include <QSaveFile>
#include <QTemporaryDir>

#include "platform/Files.h"

namespace files {

QString WorkFolder() {
  static QTemporaryDir folder(TempFolder() + QStringLiteral("quillforge-work-XXXXXX"));
  return folder.isValid() ? folder.path() : QString();
}

QString WriteWorkFile(const QString& fileName, const QByteArray& bytes) {
  const QString root = WorkFolder();
  if (root.isEmpty()) return {};
  static int serial = 0;
  const QString folder = root + QStringLiteral("/%1").arg(++serial);
  if (!QDir().mkpath(folder)) return {};
  // A name no folder can hold (empty, or a dot name) gets a plain one.
  QString name = fileName;
  name.replace(QLatin1Char('/'), QLatin1Char('_'));
  if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
    name = QStringLiteral("entry");
  QSaveFile file(folder + QLatin1Char('/') + name);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) return {};
  return file.fileName();
}

}  // namespace files

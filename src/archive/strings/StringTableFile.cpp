#include "StringTableFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "platform/AppError.h"

namespace stringtable {

QByteArray LoadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw AppError(QStringLiteral("Cannot open file ") + path);
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) throw AppError(QStringLiteral("Stream read error"));
  return bytes;
}

void SaveFile(const QString& path, const QByteArray& bytes) {
  const QFileInfo info(path);
  if (info.exists() && !info.isFile()) throw AppError(QStringLiteral("Cannot create file ") + path);
  QSaveFile file(path);
  file.setDirectWriteFallback(true);
  if (!file.open(QIODevice::WriteOnly)) throw AppError(QStringLiteral("Cannot create file ") + path);
  if (file.write(bytes) != bytes.size() || !file.commit())
    throw AppError(QStringLiteral("Stream write error"));
}

}  // namespace stringtable

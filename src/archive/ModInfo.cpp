#include "archive/ModInfo.h"

#include <QFile>
#include <QtEndian>
#include <cstring>
#include <utility>

#include "platform/AppError.h"
#include "platform/Files.h"

namespace {

QByteArray EncodeHeader(const ModInfoHeader& header) {
  QByteArray bytes(ModInfoHeader::kSize, '\0');
  char* out = bytes.data();
  for (qint32 length : header.lengths) qToLittleEndian<qint32>(length, std::exchange(out, out + 4));
  for (quint32 word : header.reserved) qToLittleEndian<quint32>(word, std::exchange(out, out + 4));
  return bytes;
}

// Bytes the record lacks read as 0.
ModInfoHeader DecodeHeader(const QByteArray& record) {
  char bytes[ModInfoHeader::kSize] = {};
  memcpy(bytes, record.constData(), size_t(qMin<qsizetype>(record.size(), ModInfoHeader::kSize)));
  ModInfoHeader header;
  const char* in = bytes;
  for (qint32& length : header.lengths) length = qFromLittleEndian<qint32>(std::exchange(in, in + 4));
  for (quint32& word : header.reserved) word = qFromLittleEndian<quint32>(std::exchange(in, in + 4));
  return header;
}

}  // namespace

QByteArray EncodeModInfo(const ModInfo& info) {
  ModInfoHeader header;
  for (int i = 0; i < ModInfo::TextCount; ++i) header.lengths[i] = qint32(info.texts[i].size());
  QByteArray record = EncodeHeader(header);
  for (const QByteArray& text : info.texts) record += text;
  return record;
}

ModInfo DecodeModInfo(const QByteArray& record, bool keepNul) {
  const ModInfoHeader header = DecodeHeader(record);
  ModInfo info;
  qsizetype pos = ModInfoHeader::kSize;
  for (int i = 0; i < ModInfo::TextCount; ++i) {
    const qint32 length = header.lengths[i];
    const qsizetype remaining = qMax<qsizetype>(0, record.size() - pos);
    const qsizetype take = length <= 0 ? 0 : qMin<qsizetype>(length, remaining);
    QByteArray text = record.mid(pos, take);
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0 && !keepNul) text.truncate(nul);
    info.texts[i] = text;
    pos += take;
  }
  return info;
}

QString WriteModInfoFile(const ModInfo& info) {
  const QString nameTemplate = QStringLiteral("ModInfo.XXXXXX.dat");
  std::unique_ptr<QFile> file = files::CreateUniqueTempFile(nameTemplate);
  if (!file) throw AppError(QStringLiteral("Cannot create file ") + files::TempFolder() + nameTemplate);
  const QString path = file->fileName();
  const QByteArray record = EncodeModInfo(info);
  const bool written = file->write(record) == record.size() && file->flush();
  file->close();
  if (!written) {
    files::DeleteFile(path);
    throw AppError(QStringLiteral("Stream write error"));
  }
  return path;
}

#include "ArchiveBuilder.h"

#include <StormLib.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QtEndian>

namespace testarchive {

namespace {

bool Create(const QString& path, DWORD capacity, Listing listing, HANDLE& mpq) {
  if (listing == Listing::WithListfile)
    return SFileCreateArchive(QFile::encodeName(path).constData(), MPQ_CREATE_LISTFILE | MPQ_CREATE_ARCHIVE_V1,
                              capacity, &mpq);
  // Flags 0 for the listing and no attributes: the library writes neither.
  SFILE_CREATE_MPQ create{};
  if (listing == Listing::PlainListfile) create.dwFileFlags1 = MPQ_FILE_EXISTS;
  create.cbSize = sizeof create;
  create.dwMpqVersion = MPQ_FORMAT_VERSION_1;
  create.dwSectorSize = 0x1000;
  create.dwMaxFileCount = capacity;
  return SFileCreateArchive2(QFile::encodeName(path).constData(), &create, &mpq);
}

}  // namespace

bool Build(const QString& path, const Entries& entries, Storage storage, Listing listing) {
  HANDLE mpq = nullptr;
  const DWORD capacity = DWORD(qMax<qsizetype>(16, entries.size() + 8));
  // Built anew as the user's own tools write a mod the program has just read:
  // where an open file can be neither deleted nor replaced (Windows), it is
  // free once the reader lets go of it, a moment later.
  QElapsedTimer waited;
  waited.start();
  for (;;) {
    QFile::remove(path);
    if (Create(path, capacity, listing, mpq)) break;
    if (waited.elapsed() > 3000) return false;
    QThread::msleep(50);
  }
  const bool packed = storage == Storage::CompressedEncrypted;
  const bool sound = storage == Storage::Sound;
  const DWORD flags = MPQ_FILE_REPLACEEXISTING | (packed ? MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED : 0) |
                      (sound ? MPQ_FILE_COMPRESS : 0);
  const DWORD compression = packed  ? MPQ_COMPRESSION_PKWARE
                            : sound ? MPQ_COMPRESSION_ADPCM_MONO | MPQ_COMPRESSION_HUFFMANN
                                    : 0;
  bool ok = true;
  for (const auto& [name, content] : entries) {
    HANDLE file = nullptr;
    if (!SFileCreateFile(mpq, name.constData(), 0, DWORD(content.size()), 0, flags, &file)) {
      ok = false;
      break;
    }
    if (!content.isEmpty())
      ok = SFileWriteFile(file, content.constData(), DWORD(content.size()), compression);
    ok = SFileFinishFile(file) && ok;
    if (!ok) break;
  }
  return SFileCloseArchive(mpq) && ok;
}

namespace {

bool Overwrite(const QString& path, qint64 offset, qint64 length) {
  QFile f(path);
  if (!f.open(QIODevice::ReadWrite) || offset + length > f.size() || !f.seek(offset)) return false;
  return f.write(QByteArray(length, '\xA5')) == length;
}

}  // namespace

bool DamageHeader(const QString& path) {
  return Overwrite(path, 0, 32);
}

bool DamageEntry(const QString& path, const QByteArray& name) {
  HANDLE mpq = nullptr;
  if (!SFileOpenArchive(QFile::encodeName(path).constData(), 0, STREAM_FLAG_READ_ONLY, &mpq)) return false;
  HANDLE file = nullptr;
  ULONGLONG offset = 0;
  DWORD stored = 0;
  bool found = SFileOpenFileEx(mpq, name.constData(), SFILE_OPEN_FROM_MPQ, &file);
  if (found) {
    found = SFileGetFileInfo(file, SFileInfoByteOffset, &offset, sizeof offset, nullptr) &&
            SFileGetFileInfo(file, SFileInfoCompressedSize, &stored, sizeof stored, nullptr) && stored > 0;
    SFileCloseFile(file);
  }
  SFileCloseArchive(mpq);
  return found && Overwrite(path, qint64(offset), qint64(stored));
}

bool DamageTable(const QString& path, Table table) {
  // The archives built here start with their header: the tables' places and
  // sizes in entries of 16 bytes stand at bytes 16 to 31.
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray header = f.read(32);
  f.close();
  if (header.size() < 32 || !header.startsWith("MPQ\x1a")) return false;
  const auto word = [&](int at) { return qFromLittleEndian<quint32>(header.constData() + at); };
  const bool hash = table == Table::Hash;
  return Overwrite(path, word(hash ? 16 : 20), qint64(word(hash ? 24 : 28)) * 16);
}

bool SetModified(const QString& path, const QDateTime& when) {
  QFile f(path);
  return f.open(QIODevice::ReadWrite) && f.setFileTime(when, QFileDevice::FileModificationTime);
}

bool MakeOld(const QString& path) {
  return SetModified(path, QDateTime::currentDateTime().addSecs(-3600));
}

}  // namespace testarchive

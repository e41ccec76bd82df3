#include "ArchiveBuilder.h"

#include <StormLib.h>

#include <QDateTime>
#include <QFile>

namespace testarchive {

bool Build(const QString& path, const Entries& entries, Storage storage, Listing listing) {
  QFile::remove(path);
  HANDLE mpq = nullptr;
  const DWORD capacity = DWORD(qMax<qsizetype>(16, entries.size() + 8));
  const DWORD listfile = listing == Listing::WithListfile ? MPQ_CREATE_LISTFILE : 0;
  if (!SFileCreateArchive(QFile::encodeName(path).constData(), listfile | MPQ_CREATE_ARCHIVE_V1, capacity,
                          &mpq))
    return false;
  const bool packed = storage == Storage::CompressedEncrypted;
  const DWORD flags = MPQ_FILE_REPLACEEXISTING | (packed ? MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED : 0);
  bool ok = true;
  for (const auto& [name, content] : entries) {
    HANDLE file = nullptr;
    if (!SFileCreateFile(mpq, name.constData(), 0, DWORD(content.size()), 0, flags, &file)) {
      ok = false;
      break;
    }
    if (!content.isEmpty())
      ok = SFileWriteFile(file, content.constData(), DWORD(content.size()),
                          packed ? MPQ_COMPRESSION_PKWARE : 0);
    ok = SFileFinishFile(file) && ok;
    if (!ok) break;
  }
  return SFileCloseArchive(mpq) && ok;
}

bool SetModified(const QString& path, const QDateTime& when) {
  QFile f(path);
  return f.open(QIODevice::ReadWrite) && f.setFileTime(when, QFileDevice::FileModificationTime);
}

bool MakeOld(const QString& path) {
  return SetModified(path, QDateTime::currentDateTime().addSecs(-3600));
}

}  // namespace testarchive

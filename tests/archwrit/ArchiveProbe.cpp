#include "ArchiveProbe.h"

#include <StormLib.h>

#include <QDir>
#include <QFile>

#include "Fixtures.h"
#include "archwrit.h"

// StormLib's block cipher; it has no public declaration.
void DecryptMpqBlock(void* pvDataBlock, DWORD dwLength, DWORD dwKey);

namespace probe {

namespace {

class Archive {
 public:
  explicit Archive(const QString& path) {
    // A reader that lets an update write meanwhile (where the system asks).
    if (!SFileOpenArchive(QFile::encodeName(path).constData(), 0, STREAM_FLAG_READ_ONLY | STREAM_FLAG_WRITE_SHARE,
                          &handle_))
      handle_ = nullptr;
  }
  ~Archive() {
    if (handle_) SFileCloseArchive(handle_);
  }
  HANDLE get() const { return handle_; }

  bool read(const QByteArray& name, QByteArray& bytes) const {
    HANDLE file = nullptr;
    if (!handle_ || !SFileOpenFileEx(handle_, name.constData(), SFILE_OPEN_FROM_MPQ, &file)) return false;
    const DWORD size = SFileGetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD got = 0;
    const bool ok = size == 0 || (SFileReadFile(file, bytes.data(), size, &got, nullptr) && got == size);
    SFileCloseFile(file);
    return ok;
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace

QString Scratch::source(const QString& name, const QByteArray& bytes) const {
  const QString p = path(name);
  fixtures::writeAll(p, bytes);
  return p;
}

QByteArrayList listfile(const QString& archive) {
  QByteArray text;
  if (!Archive(archive).read("(listfile)", text)) return {};
  QByteArrayList lines;
  for (const QByteArray& line : text.split('\n')) {
    QByteArray name = line.endsWith('\r') ? line.chopped(1) : line;
    if (!name.isEmpty()) lines << name;
  }
  return lines;
}

QMap<QByteArray, QByteArray> contents(const QString& archive, bool* ok) {
  QMap<QByteArray, QByteArray> entries;
  Archive mpq(archive);
  bool good = mpq.get() != nullptr;
  for (const QByteArray& name : listfile(archive)) {
    QByteArray bytes;
    good = mpq.read(name, bytes) && good;
    entries.insert(name, bytes);
  }
  if (ok) *ok = good;
  return entries;
}

quint32 entryFlags(const QString& archive, const QByteArray& name) {
  Archive mpq(archive);
  HANDLE file = nullptr;
  if (!mpq.get() || !SFileOpenFileEx(mpq.get(), name.constData(), SFILE_OPEN_FROM_MPQ, &file)) return 0;
  DWORD flags = 0;
  SFileGetFileInfo(file, SFileInfoFlags, &flags, sizeof flags, nullptr);
  SFileCloseFile(file);
  return flags;
}

int formatVersion(const QString& archive) {
  Archive mpq(archive);
  TMPQHeader header;
  if (!mpq.get() || !SFileGetFileInfo(mpq.get(), SFileMpqHeader, &header, sizeof header, nullptr)) return -1;
  return header.wFormatVersion;
}

bool hasEntry(const QString& archive, const QByteArray& name) {
  Archive mpq(archive);
  return mpq.get() && SFileHasFile(mpq.get(), name.constData());
}

int entryCount(const QString& archive) {
  Archive mpq(archive);
  DWORD count = 0;
  if (!mpq.get() || !SFileGetFileInfo(mpq.get(), SFileMpqNumberOfFiles, &count, sizeof count, nullptr))
    return -1;
  return int(count);
}

qint64 usedBytes(const QString& archive) {
  Archive mpq(archive);
  DWORD hashEntries = 0, blockEntries = 0;
  if (!mpq.get() ||
      !SFileGetFileInfo(mpq.get(), SFileMpqHashTableSize, &hashEntries, sizeof hashEntries, nullptr) ||
      !SFileGetFileInfo(mpq.get(), SFileMpqBlockTableSize, &blockEntries, sizeof blockEntries, nullptr))
    return -1;
  qint64 used = 32 + 16 * qint64(hashEntries + blockEntries);
  SFILE_FIND_DATA found;
  if (HANDLE search = SFileFindFirstFile(mpq.get(), "*", &found, nullptr)) {
    do {
      used += found.dwCompSize;
    } while (SFileFindNextFile(search, &found));
    SFileFindClose(search);
  }
  return used;
}

namespace {

template <typename T>
T fileInfo(HANDLE file, SFileInfoClass what) {
  T value{};
  SFileGetFileInfo(file, what, &value, sizeof value, nullptr);
  return value;
}

// Checks the sectors of one entry (see sectorFaults); false when one fails.
bool sectorsSound(HANDLE mpq, const QByteArray& name, const QByteArray& file, int* packed, int* raw) {
  HANDLE entry = nullptr;
  if (!SFileOpenFileEx(mpq, name.constData(), SFILE_OPEN_FROM_MPQ, &entry)) return false;
  const auto flags = fileInfo<DWORD>(entry, SFileInfoFlags);
  const auto size = fileInfo<DWORD>(entry, SFileInfoFileSize);
  const auto offset = fileInfo<ULONGLONG>(entry, SFileInfoByteOffset);
  const auto key = fileInfo<DWORD>(entry, SFileInfoEncryptionKey);
  SFileCloseFile(entry);
  const auto sectorSize = fileInfo<DWORD>(mpq, SFileMpqSectorSize);
  if (!(flags & MPQ_FILE_COMPRESS) || size == 0) return true;
  if (flags & MPQ_FILE_SINGLE_UNIT) return false;  // ARCHWRIT stores every entry in sectors
  const bool encrypted = flags & MPQ_FILE_ENCRYPTED;
  const DWORD sectors = (size + sectorSize - 1) / sectorSize;
  QByteArray table = file.mid(qsizetype(offset), (sectors + 1) * 4);
  if (table.size() != qsizetype(sectors + 1) * 4) return false;
  if (encrypted) DecryptMpqBlock(table.data(), DWORD(table.size()), key - 1);
  const auto* offsets = reinterpret_cast<const quint32*>(table.constData());
  for (DWORD i = 0; i < sectors; ++i) {
    const DWORD length = qMin(sectorSize, size - i * sectorSize);
    QByteArray sector = file.mid(qsizetype(offset + offsets[i]), offsets[i + 1] - offsets[i]);
    if (sector.isEmpty() || DWORD(sector.size()) > length) return false;
    if (encrypted) DecryptMpqBlock(sector.data(), DWORD(sector.size()), key + i);
    if (DWORD(sector.size()) < length) {
      if (quint8(sector[0]) != MPQ_COMPRESSION_PKWARE) return false;
      ++*packed;
    } else {
      QByteArray out(int(length), '\0');
      int outLength = int(length);
      SCompCompress(out.data(), &outLength, sector.data(), int(length), MPQ_COMPRESSION_PKWARE, 0, 0);
      if (DWORD(outLength) < length) return false;
      ++*raw;
    }
  }
  return true;
}

}  // namespace

QByteArrayList sectorFaults(const QString& archive, int* packed, int* raw) {
  int packedCount = 0, rawCount = 0;
  Archive mpq(archive);
  const QByteArray file = fixtures::readAll(archive);
  QByteArrayList faults;
  QByteArrayList names = listfile(archive);
  names << "(listfile)";
  for (const QByteArray& name : names) {
    if (!mpq.get() || !sectorsSound(mpq.get(), name, file, &packedCount, &rawCount)) faults << name;
  }
  if (packed) *packed = packedCount;
  if (raw) *raw = rawCount;
  return faults;
}

int update(const QString& archive, quint32 openValue, const QList<Change>& changes, quint32 addFlags,
           QList<int>* results) {
  MPQHANDLE h = MpqOpenArchiveForUpdate(QFile::encodeName(archive).constData(), openValue, 1000);
  if (!h) return -1;
  for (const Change& change : changes) {
    const int r = change.source.isEmpty()
                      ? MpqDeleteFile(h, change.name.constData())
                      : MpqAddFileToArcive(h, QFile::encodeName(change.source).constData(),
                                           change.name.constData(), addFlags);
    if (results) results->append(r);
  }
  return MpqCloseUpdatedArchive(h, 0);
}

QList<Change> fixtureChanges() {
  QList<Change> changes;
  for (const QString& file : fixtures::allFiles()) changes.append({fixtures::internalName(file), file});
  return changes;
}

QMap<QByteArray, QByteArray> expectedContents(const QList<Change>& changes,
                                              QMap<QByteArray, QByteArray> before) {
  for (const Change& change : changes) {
    if (change.source.isEmpty())
      before.remove(change.name);
    else
      before.insert(change.name, fixtures::readAll(change.source));
  }
  return before;
}

QStringList folderEntries(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                QDir::Name);
}

}  // namespace probe

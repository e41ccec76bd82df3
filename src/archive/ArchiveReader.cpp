#include "archive/ArchiveReader.h"

#include <QIODevice>

#include "archive/ArchiveHold.h"
#include "platform/AppError.h"
#include "platform/Storm.h"

namespace {

constexpr quint32 kInvalidSize = 0xFFFFFFFFu;

// One open entry of one open archive; both are closed on every way out.
class EntryTransaction {
 public:
  // An empty name opens the archive alone.
  EntryTransaction(const QString& archivePath, const QByteArray& name) {
    // Both strings go to the library NUL-terminated: one with a NUL inside
    // would name something else, so it names nothing.
    if (name.contains('\0') || !OpenArchiveAt(archivePath, &archive_)) return;
    if (name.isEmpty() || !storm::OpenEntry(archive_, name.constData(), 0, &entry_)) entry_ = nullptr;
  }
  ~EntryTransaction() {
    if (entry_) storm::CloseEntry(entry_);
    if (archive_) storm::CloseArchive(archive_);
  }
  EntryTransaction(const EntryTransaction&) = delete;
  EntryTransaction& operator=(const EntryTransaction&) = delete;

  bool IsOpen() const { return entry_ != nullptr; }
  bool ArchiveIsOpen() const { return archive_ != nullptr; }
  storm::Handle Archive() const { return archive_; }
  storm::Handle Entry() const { return entry_; }
  quint32 Size() const { return storm::EntrySize(entry_, nullptr); }

  // The whole entry; false when the size cannot be had or the read fails
  // outright. A read that stops short keeps the bytes that arrived.
  bool ReadAll(QByteArray& bytes) const {
    const quint32 size = Size();
    if (size == kInvalidSize) return false;
    bytes = QByteArray(qsizetype(size), Qt::Uninitialized);
    quint32 got = 0;
    if (!storm::ReadEntry(entry_, bytes.data(), size, &got, nullptr) && size > 0) return false;
    bytes.truncate(qsizetype(qMin(got, size)));
    return true;
  }

 private:
  storm::Handle archive_ = nullptr;
  storm::Handle entry_ = nullptr;
};

}  // namespace

bool ReadEntryLines(const QString& archivePath, const QByteArray& name, LineList& lines) {
  EntryTransaction t(archivePath, name);
  QByteArray bytes;
  if (!t.IsOpen() || !t.ReadAll(bytes)) return false;
  lines = SplitLines(bytes);
  return true;
}

bool ReadEntryToStream(const QString& archivePath, const QByteArray& name, QIODevice& stream) {
  EntryTransaction t(archivePath, name);
  QByteArray bytes;
  if (!t.IsOpen() || !t.ReadAll(bytes)) return false;
  if (!bytes.isEmpty() && stream.write(bytes) != bytes.size())
    throw AppError(QStringLiteral("Stream write error"));
  return true;
}

bool ReadEntryBytes(const QString& archivePath, const QByteArray& name, QByteArray& bytes) {
  EntryTransaction t(archivePath, name);
  return t.IsOpen() && t.ReadAll(bytes);
}

qint32 EntrySize(const QString& archivePath, const QByteArray& name) {
  EntryTransaction t(archivePath, name);
  if (!t.IsOpen()) return 0;
  const quint32 size = t.Size();
  return size == kInvalidSize ? 0 : qint32(size);
}

bool IsArchive(const QString& archivePath) {
  return EntryTransaction(archivePath, QByteArray()).ArchiveIsOpen();
}

int ArchiveFormatVersion(const QString& archivePath) {
  const EntryTransaction t(archivePath, QByteArray());
  return t.ArchiveIsOpen() ? storm::FormatVersion(t.Archive()) : 0;
}

bool ReadEntryStorage(const QString& archivePath, const QByteArray& name, EntryStorage& storage) {
  EntryTransaction t(archivePath, name);
  if (!t.IsOpen()) return false;
  const quint32 size = t.Size();
  storage.size = size == kInvalidSize ? 0 : qint32(size);
  return storm::EntryStorage(t.Entry(), &storage.storedSize, &storage.flags) != 0;
}

void ReleaseArchiveState() {
  storm::Release();
}

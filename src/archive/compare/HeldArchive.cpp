#include "archive/compare/HeldArchive.h"


#include "archive/ArchiveHold.h"
#include "archive/GameArchive.h"

namespace compare {
namespace {

constexpr quint32 kInvalidSize = 0xFFFFFFFFu;

// One open entry, closed on every way out.
class HeldEntry {
 public:
  HeldEntry(storm::Handle archive, const QByteArray& name) {
    // The layer takes NUL-terminated names: one with a NUL inside names nothing.
    if (!archive || name.contains('\0') || !storm::OpenEntry(archive, name.constData(), 0, &entry_))
      entry_ = nullptr;
  }
  ~HeldEntry() {
    if (entry_) storm::CloseEntry(entry_);
  }
  HeldEntry(const HeldEntry&) = delete;
  HeldEntry& operator=(const HeldEntry&) = delete;
  storm::Handle get() const { return entry_; }

 private:
  storm::Handle entry_ = nullptr;
};

}  // namespace

bool HeldArchive::Open(const QString& path) {
  Close();
  return OpenArchiveAt(path, &archive_);
}

void HeldArchive::Close() {
  if (archive_) storm::CloseArchive(archive_);
  archive_ = nullptr;
}

bool HeldArchive::IsWholeGameArchive() const {
  return archive_ && GameArchiveWhole(archive_);
}

bool HeldArchive::Holds(const QByteArray& name) const {
  return archive_ && !name.contains('\0') && storm::HoldsEntry(archive_, name.constData());
}

qint64 HeldArchive::Size(const QByteArray& name) const {
  const HeldEntry entry(archive_, name);
  if (!entry.get()) return -1;
  const quint32 size = storm::EntrySize(entry.get(), nullptr);
  return size == kInvalidSize ? -1 : qint64(size);
}

bool HeldArchive::Read(const QByteArray& name, QByteArray& bytes) const {
  const HeldEntry entry(archive_, name);
  if (!entry.get()) return false;
  const quint32 size = storm::EntrySize(entry.get(), nullptr);
  if (size == kInvalidSize) return false;
  bytes = QByteArray(qsizetype(size), Qt::Uninitialized);
  quint32 got = 0;
  if (!storm::ReadEntry(entry.get(), bytes.data(), size, &got, nullptr) && size > 0) return false;
  bytes.truncate(qsizetype(qMin(got, size)));
  return true;
}

}  // namespace compare

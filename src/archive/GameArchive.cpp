#include "archive/GameArchive.h"

#include <QByteArray>

#include "archive/TextLines.h"

namespace {

// Opens the entry, and reads it whole into bytes when bytes is given; false
// when either fails.
bool OpensWhole(storm::Handle archive, const QByteArray& name, QByteArray* bytes) {
  storm::Handle entry = nullptr;
  if (!storm::OpenEntry(archive, name.constData(), 0, &entry)) return false;
  bool ok = true;
  if (bytes) {
    const quint32 size = storm::EntrySize(entry, nullptr);
    ok = size != 0xFFFFFFFFu;
    if (ok && size > 0) {
      *bytes = QByteArray(qsizetype(size), Qt::Uninitialized);
      quint32 got = 0;
      ok = storm::ReadEntry(entry, bytes->data(), size, &got, nullptr) && got == size;
    }
  }
  storm::CloseEntry(entry);
  return ok;
}

}  // namespace

bool GameArchiveWhole(storm::Handle archive) {
  if (!storm::TablesHold(archive)) return false;
  const QByteArray listfile = QByteArrayLiteral("(listfile)");
  if (!storm::HoldsEntry(archive, listfile.constData())) return true;
  QByteArray listing;
  if (!OpensWhole(archive, listfile, &listing)) return false;
  for (const QByteArray& name : SplitLines(listing))
    if (!name.isEmpty() && !name.contains('\0') && storm::HoldsEntry(archive, name.constData()) &&
        !OpensWhole(archive, name, nullptr))
      return false;
  return true;
}

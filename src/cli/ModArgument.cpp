#include "cli/ModArgument.h"

#include <QBuffer>
#include <QFileInfo>

#include "archive/ArchiveReader.h"
#include "cli/OutputText.h"
#include "platform/FileInUse.h"

namespace cli {

bool CheckModToRead(Io& io, const QString& path) {
  const QFileInfo file(path);
  QString why;
  if (!file.exists())
    why = QStringLiteral("no such file");
  else if (file.isDir())
    why = QStringLiteral("is a folder, not a mod");
  else if (!file.isReadable())
    why = QStringLiteral("cannot be read (no permission)");
  else if (!IsArchive(path)) {
    const QString held = HeldModReason(path);
    if (!held.isEmpty()) {
      Complain(io, held);
      return false;
    }
    why = QStringLiteral("not a mod archive (no MPQ archive this program can read)");
  }
  if (why.isEmpty()) return true;
  Complain(io, QStringLiteral("%1: %2").arg(ShownPath(path), why));
  return false;
}

QString HeldModReason(const QString& path) {
  if (!QFileInfo(path).isFile() || !files::HeldByAnotherProgram(path, false)) return {};
  return QStringLiteral("%1: %2").arg(ShownPath(path), files::HeldByAnotherProgramReason());
}

bool ReadListFile(Io& io, const QString& path, LineList& names) {
  if (ReadEntryLines(path, kListFileName, names)) return true;
  Complain(io,
           QStringLiteral("%1: the archive has no \"(listfile)\" naming its entries").arg(ShownPath(path)));
  return false;
}

bool ReadModRecord(Io& io, const QString& path, QByteArray& record, bool& present) {
  record.clear();
  QBuffer buffer;
  buffer.open(QIODevice::ReadWrite);
  present = ReadEntryToStream(path, kModInfoName, buffer);
  if (present) {
    record = buffer.data();
    return true;
  }
  EntryStorage stored;
  if (!ReadEntryStorage(path, kModInfoName, stored)) return true;  // the mod has none
  Complain(
      io,
      QStringLiteral("%1: its \"(modinfo)\" cannot be read; the mod was not changed").arg(ShownPath(path)));
  return false;
}

}  // namespace cli

#include <QFile>

#include "archive/ArchiveReader.h"
#include "forms/MainCommands.h"
#include "forms/untMain.h"
#include "platform/Ansi.h"
#include "platform/AppError.h"
#include "platform/Files.h"

namespace {

// The last part of an internal name: what follows its last '\' or ':' (or
// '/', which would otherwise make the proposal a path on this system).
QByteArray InternalNamePart(const QByteArray& name) {
  const qsizetype cut = qMax(qMax(name.lastIndexOf('\\'), name.lastIndexOf(':')), name.lastIndexOf('/'));
  return name.mid(cut + 1);
}

// A pending source file is copied; an archive entry is streamed byte for byte.
// Neither the copy nor the read is looked at: a missing entry leaves the file
// empty. Only a file that cannot be created ends the command.
void ExportEntry(const ModEntry& entry, const QString& archive, const QString& target) {
  if (!entry.SourcePath.isEmpty()) {
    files::CopyFile(entry.SourcePath, target);
    return;
  }
  QFile out(target);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
    throw AppError(QStringLiteral("Cannot create file ") + target);
  ReadEntryToStream(archive, entry.Caption, out);
  if (!out.flush()) throw AppError(QStringLiteral("Stream write error"));
}

}  // namespace

void TfrmMain::btnExportClick(QObject* Sender) {
  Q_UNUSED(Sender);
  if (CommandRunning()) return;
  for (int row = SelectedRow(); row >= 0; row = SelectedRow()) {
    const ModEntry entry = Rows->Row(row);
    SaveDialog.Filter = QString::fromLatin1(kAllFilesFilter);
    SaveDialog.Options = kSaveOptions;
    SaveDialog.Title = QStringLiteral("Export File");
    SaveDialog.DefaultExt.clear();
    SaveDialog.FileName = ansi::toDisplay(InternalNamePart(entry.Caption));
    SaveDialog.InitialDir = InputFolder();
    if (SaveDialog.Execute()) ExportEntry(entry, ModFileName, SaveDialog.FileName);
    // An error above leaves the row selected and exports no further row.
    DeselectRow(row);
  }
}

#include "archive/EntryExport.h"
#include "forms/main/MainCommands.h"
#include "forms/main/untMain.h"
#include "platform/Ansi.h"
#include "platform/AppError.h"
#include "platform/Ui.h"

namespace {

// The last part of an internal name: what follows its last '\' or ':' (or
// '/', which would otherwise make the proposal a path on this system).
QByteArray InternalNamePart(const QByteArray& name) {
  const qsizetype cut = qMax(qMax(name.lastIndexOf('\\'), name.lastIndexOf(':')), name.lastIndexOf('/'));
  return name.mid(cut + 1);
}

// A pending source file is copied; an archive entry is written byte for byte.
// The file appears whole or not at all: a copy or read that fails is reported
// and leaves no file (an old one at the place stays as it was). A file that
// cannot be created ends the command.
void ExportRow(const ModEntry& entry, const QString& archive, const QString& target) {
  switch (ExportEntry(archive, entry.Caption, entry.SourcePath, target)) {
    case ExportResult::Written:
      return;
    case ExportResult::NotCreated:
      throw AppError(QStringLiteral("Cannot create file ") + target);
    case ExportResult::NotWritten:
      ui::MessageBox(QStringLiteral("Cannot export %1.").arg(ansi::toDisplay(entry.Caption)),
                     QStringLiteral("Error"), ui::mbOk | ui::mbIconError);
      return;
  }
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
    if (SaveDialog.Execute()) ExportRow(entry, ModFileName, SaveDialog.FileName);
    // An error above leaves the row selected and exports no further row.
    DeselectRow(row);
  }
}

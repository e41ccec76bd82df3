#include <QItemSelectionModel>
#include <QSet>
#include "forms/files/FilesView.h"
#include <algorithm>

#include "archive/Names.h"
#include "forms/files/FilteredRows.h"
#include "forms/main/MainCommands.h"
#include "forms/main/untMain.h"
#include "platform/Ansi.h"
#include "platform/Files.h"
#include "platform/Ui.h"

namespace {

// The internal folder of a name: up to and including its last '\' or ':'.
QByteArray InternalDir(const QByteArray& name) {
  const qsizetype cut = qMax(name.lastIndexOf('\\'), name.lastIndexOf(':'));
  return name.left(cut + 1);
}

int FirstRowNamed(const ModListModel& rows, const QByteArray& name) {
  for (int i = 0; i < rows.Count(); ++i)
    if (names::SameName(rows.Row(i).Caption, name)) return i;
  return -1;
}

}  // namespace

void TfrmMain::btnAddClick(QObject* Sender) {
  Q_UNUSED(Sender);
  if (CommandRunning() || ModFileName.isEmpty()) return;

  OpenDialog.Filter = QString::fromLatin1(kAllFilesFilter);
  OpenDialog.Options = kOpenManyOptions;
  OpenDialog.Title = QStringLiteral("Add file(s)");
  OpenDialog.FileName.clear();
  OpenDialog.InitialDir = InputFolder();
  if (!OpenDialog.Execute()) return;
  AddFiles(OpenDialog.Files);
}

void TfrmMain::AddFiles(const QStringList& paths) {
  if (CommandRunning() || ModFileName.isEmpty()) return;
  // The rows' names, so that each typed name is looked up without a pass over
  // a long list; only a name that is there is searched for row by row.
  QSet<QString> captions;
  captions.reserve(Rows->Count());
  for (const ModEntry& e : Rows->Rows()) captions.insert(names::Key(e.Caption));
  names::NameSet removed;

  for (const QString& path : paths) {
    QByteArray name = LastInternalDir + ansi::fromDisplay(FileNamePart(path));
    if (!ui::InternalNameQuery(name)) continue;
    LastInternalDir = InternalDir(name);

    bool placed = false;
    if (!captions.contains(names::Key(name))) {
      Rows->Append(ModEntry{name, SizeText(files::FileSizeBySearch(path)), path});
      captions.insert(names::Key(name));
      placed = true;
    } else if (ui::MessageBox(QStringLiteral("That file already exists, replace it?"),
                              QStringLiteral("Replace it?"), ui::mbYesNo | ui::mbIconQuestion) == ui::idYes) {
      Rows->SetSourcePath(FirstRowNamed(*Rows, name), path);
      placed = true;
    }
    // A name removed earlier is back with a file to write: Update must not
    // delete what it has just written while the row stays listed.
    if (placed && removed.Contains(RemovedNames, name)) names::RemoveAll(RemovedNames, name);
  }
  FitSizeColumn();
  CommandsChanged();
}

void TfrmMain::btnRemoveClick(QObject* Sender) {
  Q_UNUSED(Sender);
  if (CommandRunning()) return;

  // Every selected row, first to last in list order: the same as taking the
  // first selected row until none is left, in one pass.
  QList<int> selected;
  for (const QModelIndex& index : ListView->selectionModel()->selectedRows())
    selected << Shown->SourceRow(index.row());
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());

  for (int row : selected) {
    const QByteArray& caption = Rows->Row(row).Caption;
    if (ArchiveNameSet.Contains(ArchiveNames, caption)) RemovedNames.append(caption);
  }
  // Runs of neighbouring rows go in one call each, the last run first.
  for (qsizetype end = selected.size(); end > 0;) {
    qsizetype start = end - 1;
    while (start > 0 && selected.at(start - 1) == selected.at(start) - 1) --start;
    Rows->RemoveRows(selected.at(start), int(end - start));
    end = start;
  }
  // The view makes the row after a removed current row current and selects
  // it; nothing the user chose is selected any more.
  ListView->selectionModel()->clearSelection();
  CommandsChanged();
}

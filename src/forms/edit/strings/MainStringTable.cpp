// String tables on the Edit page: an entry ending in ".tbl" is read from its
// pending source file or the mod, checked, and shown in the string-table
// editor instead of the sheet grid; Save writes the table to a chosen file
// that becomes the entry's source, as a sheet's Save does. The sheet grid's
// tooltips show the texts its cells name by key.
#include <QApplication>
#include <QBuffer>
#include <QTableView>

#include "archive/ArchiveReader.h"
#include "archive/strings/StringLookup.h"
#include "archive/strings/StringTableCodec.h"
#include "archive/strings/StringTableFile.h"
#include "forms/edit/EditPageGrid.h"
#include "forms/edit/SheetGridModel.h"
#include "forms/edit/strings/StringTablePage.h"
#include "forms/main/ModListModel.h"
#include "forms/main/untMain.h"
#include "platform/Ansi.h"
#include "platform/AppError.h"
#include "platform/Ui.h"

namespace {

constexpr char kTableFilter[] = "String Tables (*.tbl)|*.tbl|All Files (*.*)|*.*";

// The pending version when there is one, else the archive's copy.
QByteArray EntryBytes(const QString& mod, const ModEntry& entry) {
  if (!entry.SourcePath.isEmpty()) return stringtable::LoadFile(entry.SourcePath);
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  if (!ReadEntryToStream(mod, entry.Caption, buffer))
    throw AppError(QStringLiteral("Cannot read %1 from the mod %2").arg(ansi::toDisplay(entry.Caption), mod));
  return buffer.data();
}

}  // namespace

void TfrmMain::ShowStringsPage(bool strings) {
  if (StringsPage->isHidden() != strings && StringGrid->isHidden() == strings) return;
  // The focus goes to the editor being shown before the other hides, so it
  // never leaves the page (coming back into the page refills it).
  // The window's own focus widget: while a box is up (asking about unsaved
  // edits) the focus is in the box, and comes back to this one.
  const bool focusInside = tbsEdit->isAncestorOf(focusWidget());
  QWidget* shown = strings ? static_cast<QWidget*>(StringsPage) : StringGrid;
  QWidget* hidden = strings ? StringGrid : static_cast<QWidget*>(StringsPage);
  shown->show();
  if (focusInside) (strings ? StringsPage->Grid() : StringGrid)->setFocus(Qt::OtherFocusReason);
  hidden->hide();
}

bool TfrmMain::ShowStringTable(int row) {
  const ModEntry entry = Rows->Row(row);
  stringtable::TableViews table;
  QString fault;
  // The views point into the bytes, which the shown table shares.
  const QByteArray bytes = EntryBytes(ModFileName, entry);
  if (!stringtable::ReadViews(bytes, table, fault)) {
    ui::MessageBox(
        QStringLiteral("Cannot open the string table %1: %2.").arg(ansi::toDisplay(entry.Caption), fault),
        QStringLiteral("String Table"), ui::mbOk | ui::mbIconError);
    return false;
  }
  StringsPage->ShowTable(bytes, table);
  ShowStringsPage(true);
  return true;
}

void TfrmMain::SaveStringTable() {
  // What is typed is what is saved, and the dialog's focus change must not
  // take it in after the bytes were made.
  StringsPage->CommitEdit();
  // Checked before the dialog: a table the format cannot hold is not one to
  // choose a file for.
  const QByteArray bytes = StringsPage->Editor().Bytes();
  SaveDialog.Filter = QString::fromLatin1(kTableFilter);
  SaveDialog.Options = kSaveOptions;
  SaveDialog.Title = QStringLiteral("Save String Table");
  SaveDialog.DefaultExt = QStringLiteral("tbl");
  SaveDialog.FileName.clear();
  SaveDialog.InitialDir = InputFolder();
  if (!SaveDialog.Execute()) return;
  const int row = SelectedRow();
  if (row < 0) {
    ui::MessageBox(QStringLiteral("No file selected in filelist to replace."),
                   QStringLiteral("No selection."), ui::mbOk | ui::mbIconExclamation);
    return;
  }
  stringtable::SaveFile(SaveDialog.FileName, bytes);
  Rows->SetSourcePath(row, SaveDialog.FileName);
  StringsPage->SetModified(false);
  ShowEditEntry(row);
  CommandsChanged();
}

void TfrmMain::LoadSheetStrings() {
  auto* model = static_cast<EditPageGrid*>(StringGrid)->GridModel();
  std::vector<QByteArray> names;
  names.reserve(size_t(Rows->Count()));
  for (int r = 0; r < Rows->Count(); ++r) names.push_back(Rows->Row(r).Caption);
  auto lookup = std::make_shared<StringLookup>();
  for (const QByteArray& name : StringLookup::TablesToRead(names)) {
    for (int r = 0; r < Rows->Count(); ++r) {
      if (Rows->Row(r).Caption != name) continue;
      // A table that cannot be read names nothing: the tooltips are a help,
      // not a check.
      try {
        StringTable table;
        QString fault;
        if (stringtable::Read(EntryBytes(ModFileName, Rows->Row(r)), table, fault)) lookup->Add(table);
      } catch (const AppError&) {
      }
      break;
    }
  }
  model->SetStrings(lookup->Empty() ? nullptr : lookup);
}

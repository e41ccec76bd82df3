// The Edit page: entering it shows the selected sheet entry in the grid (a
// string table in its own editor, MainStringTable.cpp), Save
// writes the grid to a disk file that becomes the entry's pending source, and
// Import (its button is hidden) fills the grid from any sheet file.
#include <QAction>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

#include "archive/ArchiveReader.h"
#include "archive/EntryKind.h"
#include "archive/SheetCodec.h"
#include "forms/edit/EditPageActions.h"
#include "forms/edit/EditPageGrid.h"
#include "forms/edit/picture/PicturePage.h"
#include "forms/edit/strings/StringTablePage.h"
#include "forms/main/MainIcons.h"
#include "forms/main/untMain.h"
#include "forms/problems/ProblemsDock.h"
#include "platform/Ansi.h"
#include "platform/AppError.h"
#include "platform/Ui.h"

namespace {

constexpr char kSheetFilter[] = "Diablo II Sheets (*.TXT)|*.TXT|All Files (*.*)|*.*";

// The window builds its grid through CreateStringGrid, so it is always this kind.
EditPageGrid& PageGrid(QTableView* grid) {
  return *static_cast<EditPageGrid*>(grid);
}

// Changes no Save has written go only when the user agrees.
bool MayDiscardEdits(const EditPageGrid& grid, const StringTablePage& strings) {
  if (strings.Modified())
    return ui::MessageBox(QStringLiteral("Discard the changes to the string table?"),
                          QStringLiteral("Discard Changes"), ui::mbYesNo | ui::mbIconQuestion) == ui::idYes;
  if (!grid.Modified()) return true;
  return ui::MessageBox(QStringLiteral("Discard the changes to the sheet?"),
                        QStringLiteral("Discard Changes"), ui::mbYesNo | ui::mbIconQuestion) == ui::idYes;
}

// One empty cell, no fixed row, taking no input.
void ClearGrid(SheetGrid& grid) {
  grid.SetColCount(0);
  grid.SetRowCount(0);
  grid.SetFixedRows(0);
  grid.SetCell(0, 0, QByteArray());
  grid.SetEnabled(false);
}

// Ready for a sheet: a header row to fix, so a sheet of two lines or more
// shows its first line on top.
void PrepareForSheet(SheetGrid& grid) {
  grid.SetRowCount(2);
  grid.SetColCount(1);
  grid.SetFixedRows(1);
  grid.SetEnabled(true);
}

// Both sheet dialogs: sheets first, every file second, no preset name.
bool ChooseSheetFile(FileDialog& dialog, quint32 options, const QString& title, const QString& defaultExt,
                     const QString& folder) {
  dialog.Filter = QString::fromLatin1(kSheetFilter);
  dialog.Options = options;
  dialog.Title = title;
  dialog.DefaultExt = defaultExt;
  dialog.FileName.clear();
  dialog.InitialDir = folder;
  return dialog.Execute();
}

}  // namespace

void TfrmMain::BuildEditPage() {
  tbsEdit = new QWidget(PageControl);
  tbsEdit->setObjectName(QStringLiteral("tbsEdit"));
  dckEdit = new QWidget(tbsEdit);
  dckEdit->setObjectName(QStringLiteral("dckEdit"));
  tbEdit = new QToolBar(QStringLiteral("Edit Toolbar"), dckEdit);
  tbEdit->setObjectName(QStringLiteral("tbEdit"));
  tbEdit->setMovable(false);
  tbEdit->setFloatable(false);
  tbEdit->setIconSize(QSize(16, 16));
  tbSheetSave = MakeButton(tbEdit, "tbSheetSave", QStringLiteral("Save"),
                           QStringLiteral("Save the changes to the sheet."), icons::SaveSheet());
  tbSheetImport = MakeButton(tbEdit, "tbSheetImport", QStringLiteral("Import"),
                             QStringLiteral("Import a new sheet."), icons::ImportSheet());
  tbEdit->addWidget(tbSheetSave);
  // Import stays hidden whatever its enabled state.
  tbEdit->addWidget(tbSheetImport)->setVisible(false);
  auto* dockLayout = new QHBoxLayout(dckEdit);
  dockLayout->setContentsMargins(0, 0, 0, 0);
  dockLayout->addWidget(tbEdit);

  lblEditEntry = new QLabel(tbsEdit);
  lblEditEntry->setObjectName(QStringLiteral("lblEditEntry"));
  lblEditEntry->setAccessibleName(QStringLiteral("Entry shown"));
  lblEditEntry->setTextFormat(Qt::PlainText);
  lblEditEntry->setContentsMargins(4, 2, 4, 2);
  // A long path must not widen the window.
  lblEditEntry->setMinimumWidth(1);
  lblEditEntry->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  StringGrid = CreateStringGrid(tbsEdit);
  StringGrid->setObjectName(QStringLiteral("StringGrid"));
  auto* layout = new QVBoxLayout(tbsEdit);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(dckEdit);
  layout->addWidget(lblEditEntry);
  layout->addWidget(StringGrid, 1);
  StringsPage = new StringTablePage(tbsEdit);
  StringsPage->hide();
  layout->addWidget(StringsPage, 1);
  lblNoEditor = new QLabel(tbsEdit);
  lblNoEditor->setObjectName(QStringLiteral("lblNoEditor"));
  lblNoEditor->setAccessibleName(QStringLiteral("No editor"));
  lblNoEditor->setTextFormat(Qt::PlainText);
  lblNoEditor->setAlignment(Qt::AlignCenter);
  lblNoEditor->setWordWrap(true);
  lblNoEditor->hide();
  layout->addWidget(lblNoEditor, 1);
  PicturesPage = new PicturePage(tbsEdit);
  PicturesPage->hide();
  layout->addWidget(PicturesPage, 1);
  // An imported frame is a change for Save to write.
  connect(PicturesPage->Undo(), &QUndoStack::cleanChanged, this, [this](bool clean) {
    if (!PicturesPage->isHidden()) tbSheetSave->setEnabled(!clean && !ModFileName.isEmpty());
  });
  PageControl->addTab(tbsEdit, QStringLiteral("&Edit"));

  // Ctrl+S presses Save, for a sheet and a string table alike.
  actEditSave = new QAction(QStringLiteral("Save"), tbsEdit);
  actEditSave->setObjectName(QStringLiteral("actEditSave"));
  actEditSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  actEditSave->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  tbsEdit->addAction(actEditSave);
  connect(actEditSave, &QAction::triggered, tbSheetSave, &QToolButton::click);

  Bind(tbSheetSave, "tbSheetSaveClick", &TfrmMain::tbSheetSaveClick);
  Bind(tbSheetImport, "tbSheetImportClick", &TfrmMain::tbSheetImportClick);
  EditActions = new EditPageActions(
      *this, [this](const char* name, const std::function<void()>& command) { RunNamed(name, command); });
}

void TfrmMain::CloseEditPageEditors() {
  PageGrid(StringGrid).CloseEditors();
  StringsPage->CloseEditor();
}

QTableView* TfrmMain::CreateStringGrid(QWidget* parent) {
  return new EditPageGrid(parent);
}

namespace {

// The page remembers the control that last had the focus in it and hands
// the focus back to it when the page is shown again. When that control has
// been hidden meanwhile (the grid behind a picture, the picture behind a
// note), the focus would go past the page and entering it would never be
// seen: the page forgets such a control, and takes the first one it shows.
class ForgetHiddenFocus {
 public:
  explicit ForgetHiddenFocus(QWidget* page) : page_(page) {}
  ~ForgetHiddenFocus() {
    QWidget* remembered = page_->focusWidget();
    if (remembered && !remembered->hasFocus() && !remembered->isVisibleTo(page_)) remembered->clearFocus();
  }
  ForgetHiddenFocus(const ForgetHiddenFocus&) = delete;
  ForgetHiddenFocus& operator=(const ForgetHiddenFocus&) = delete;

 private:
  QWidget* page_;
};

}  // namespace

void TfrmMain::tbsEditEnter(QObject*) {
  const ForgetHiddenFocus forget(tbsEdit);
  EditPageGrid& grid = PageGrid(StringGrid);
  if (!MayDiscardPicture()) return;
  if (!MayDiscardEdits(grid, *StringsPage)) return;
  // Check Mod read the edits being dropped.
  if (grid.Modified()) dockProblems->MarkOutOfDate();
  grid.SetModified(false);
  EditShownName.clear();
  const int row = SelectedRow();
  ShowEditEntry(-1);
  if (row >= 0 && (graphics::IsPictureName(Rows->Row(row).Caption) || graphics::IsCofName(Rows->Row(row).Caption))) {
    ShowStringsPage(false);
    StringsPage->ClearTable();
    HideNoEditorNote();
    grid.ChangeGrid([](SheetGrid& cells) { ClearGrid(cells); });
    return ShowPictureEntry(row);
  }
  HidePicturePage();
  if (row >= 0 && !EditPageShows(Rows->Row(row).Caption)) {
    // The note comes before the grid is cleared, so the focus it had goes
    // nowhere the user would not expect.
    ShowStringsPage(false);
    StringsPage->ClearTable();
    ShowNoEditorNote(Rows->Row(row).Caption);
    grid.ChangeGrid([](SheetGrid& cells) { ClearGrid(cells); });
    ShowEditEntry(row);
    return;
  }
  HideNoEditorNote();
  if (row >= 0 && IsStringTableEntry(Rows->Row(row).Caption)) {
    // The table's editor takes the focus before the sheet grid is cleared:
    // a disabled grid would hand it out of the page. A table that cannot be
    // shown leaves the page as for an entry that is no sheet.
    auto leaveEmpty = [&] {
      ShowStringsPage(false);
      StringsPage->ClearTable();
      grid.ChangeGrid([](SheetGrid& cells) { ClearGrid(cells); });
    };
    try {
      if (!ShowStringTable(row)) return leaveEmpty();
    } catch (const AppError&) {
      leaveEmpty();
      throw;
    }
    grid.ChangeGrid([](SheetGrid& cells) { ClearGrid(cells); });
    ShowEditEntry(row);
    return;
  }
  // The grid is filled (and enabled) before it takes the string table's
  // place, so the focus can move over to it instead of out of the page.
  auto showGrid = [&] {
    ShowStringsPage(false);
    StringsPage->ClearTable();
  };
  if (row >= 0 && IsSheetEntry(Rows->Row(row).Caption)) LoadSheetStrings();
  try {
    FillSheetGrid(row);
  } catch (...) {
    showGrid();
    throw;
  }
  showGrid();
  if (!EditShownName.isEmpty()) ShowEditEntry(row);
  // Coming from the note, which takes no focus, the page itself may hold it.
  if (focusWidget() == tbsEdit && StringGrid->isEnabled()) StringGrid->setFocus(Qt::OtherFocusReason);
}

void TfrmMain::ShowEditEntry(int row) {
  if (row < 0) return lblEditEntry->clear();
  const ModEntry& entry = Rows->Row(row);
  const QString name = ansi::toDisplay(entry.Caption);
  lblEditEntry->setText(entry.SourcePath.isEmpty()
                            ? name
                            : QStringLiteral("%1 \u2014 from the pending file %2")
                                  .arg(name, QDir::toNativeSeparators(entry.SourcePath)));
  lblEditEntry->setToolTip(lblEditEntry->text());
}

void TfrmMain::ShowImportedFrom(const QString& path) {
  lblEditEntry->setText(
      QStringLiteral("Imported from %1, not saved yet").arg(QDir::toNativeSeparators(path)));
  lblEditEntry->setToolTip(lblEditEntry->text());
}

void TfrmMain::ShowNoEditorNote(const QByteArray& caption) {
  const QByteArray extension = EntryExtension(caption);
  const QString kind = extension.isEmpty() ? QStringLiteral("an entry without an extension")
                                           : QStringLiteral("a %1 entry").arg(ansi::toDisplay(extension));
  lblNoEditor->setText(QStringLiteral("There is no editor here for %1. Export, on the Files page, "
                                      "writes it to disk.")
                           .arg(kind));
  lblNoEditor->show();
  StringGrid->hide();
  tbSheetSave->setEnabled(false);
}

void TfrmMain::HideNoEditorNote() {
  if (lblNoEditor->isHidden()) return;
  StringGrid->show();
  lblNoEditor->hide();
  tbSheetSave->setEnabled(!ModFileName.isEmpty());
}

void TfrmMain::FillSheetGrid(int row) {
  PageGrid(StringGrid).ChangeGrid([&](SheetGrid& cells) {
    ClearGrid(cells);
    if (row < 0 || !IsSheetEntry(Rows->Row(row).Caption)) return;
    const ModEntry entry = Rows->Row(row);
    LineList lines;
    if (!entry.SourcePath.isEmpty()) {
      // The pending version, when there is one, comes before the archive's copy.
      PrepareForSheet(cells);
      lines = LoadFileLines(entry.SourcePath);
    } else {
      if (!ReadEntryLines(ModFileName, entry.Caption, lines))
        throw AppError(QStringLiteral("Cannot read %1 from the mod %2")
                           .arg(ansi::toDisplay(entry.Caption), ModFileName));
      PrepareForSheet(cells);
    }
    LinesToGrid(lines, cells);
    EditShownName = entry.Caption;
  });
}

void TfrmMain::tbSheetSaveClick(QObject*) {
  if (ModFileName.isEmpty()) return;
  if (StringsPage->Active()) return SaveStringTable();
  if (!PicturesPage->isHidden()) return SavePicture();
  if (!ChooseSheetFile(SaveDialog, kSaveOptions, QStringLiteral("Save Diablo II Sheet"),
                       QStringLiteral("TXT"), InputFolder()))
    return;
  const int row = SelectedRow();
  if (row < 0) {
    ui::MessageBox(QStringLiteral("No file selected in filelist to replace."),
                   QStringLiteral("No selection."), ui::mbOk | ui::mbIconExclamation);
    return;
  }
  // No internal-name prompt: its answer could change nothing, the entry
  // keeps its name.
  EditPageGrid& grid = PageGrid(StringGrid);
  GridToFile(SaveDialog.FileName, grid.Grid());
  Rows->SetSourcePath(row, SaveDialog.FileName);
  grid.SetModified(false);
  ShowEditEntry(row);
  // The saved sheet is a pending change: Update writes it into the mod, and
  // the save-changes question asks about it.
  CommandsChanged();
}

void TfrmMain::tbSheetImportClick(QObject*) {
  if (ModFileName.isEmpty()) return;
  if (!ChooseSheetFile(OpenDialog, kOpenOptions, QStringLiteral("Open Diablo II Sheet"), QString(),
                       InputFolder()))
    return;
  const int row = SelectedRow();
  // A warning only: the import goes on.
  if (row >= 0 && !IsSheetEntry(Rows->Row(row).Caption))
    ui::MessageBox(
        QStringLiteral("You need to select a Diablo II Sheet (*.txt) from the internal list first."),
        QStringLiteral("Select sheet first"), ui::mbOk | ui::mbIconExclamation);
  EditPageGrid& grid = PageGrid(StringGrid);
  if (!MayDiscardPicture() || !MayDiscardEdits(grid, *StringsPage)) return;
  grid.SetModified(false);
  // An imported sheet shows in the sheet grid, whatever was shown before.
  HidePicturePage();
  HideNoEditorNote();
  StringsPage->ClearTable();
  ShowStringsPage(false);
  const QString path = OpenDialog.FileName;
  ShowImportedFrom(path);
  grid.ChangeGrid([&](SheetGrid& cells) {
    PrepareForSheet(cells);
    LinesToGrid(LoadFileLines(path), cells);
  });
  // Nothing holds the imported sheet until a Save writes it.
  grid.SetModified(true);
}

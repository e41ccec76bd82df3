#include "forms/edit/EditPageActions.h"

#include <QAction>
#include <QBoxLayout>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "archive/sheetedit/ClipboardText.h"
#include "forms/edit/EditPageFind.h"
#include "forms/edit/EditPageGrid.h"
#include "forms/edit/SheetFindBar.h"
#include "forms/edit/strings/StringTablePage.h"
#include "forms/main/untMain.h"
#include "platform/Ansi.h"

namespace {

// The smallest rectangle holding all the blocks.
SheetRect Bounds(const std::vector<SheetRect>& rects) {
  SheetRect all = rects.front();
  for (const SheetRect& r : rects) {
    all.firstCol = std::min(all.firstCol, r.firstCol);
    all.firstRow = std::min(all.firstRow, r.firstRow);
    all.lastCol = std::max(all.lastCol, r.lastCol);
    all.lastRow = std::max(all.lastRow, r.lastRow);
  }
  return all;
}

QByteArray ClipboardBytes() {
  return ansi::fromDisplay(QGuiApplication::clipboard()->text());
}

}  // namespace

EditPageActions::EditPageActions(TfrmMain& window, Runner run)
    : QObject(&window),
      w_(window),
      grid_(*static_cast<EditPageGrid*>(window.StringGrid)),
      strings_(*window.StringsPage),
      run_(std::move(run)) {
  mniSheetUndo =
      MakeAction("mniSheetUndo", QStringLiteral("Undo"), QStringLiteral("Undo the last change to the sheet."),
                 QStringLiteral("edit-undo"));
  mniSheetRedo = MakeAction("mniSheetRedo", QStringLiteral("Redo"),
                            QStringLiteral("Redo the change last undone."), QStringLiteral("edit-redo"));
  mniSheetInsertRow = MakeAction("mniSheetInsertRow", QStringLiteral("Insert Row"),
                                 QStringLiteral("Insert an empty row above the current row."), QString());
  mniSheetDuplicateRow =
      MakeAction("mniSheetDuplicateRow", QStringLiteral("Duplicate Row"),
                 QStringLiteral("Copy each selected row directly below itself."), QString());
  mniSheetDeleteRow = MakeAction("mniSheetDeleteRow", QStringLiteral("Delete Row"),
                                 QStringLiteral("Delete the selected rows."), QString());
  mniSheetCut = MakeAction("mniSheetCut", QStringLiteral("Cut"),
                           QStringLiteral("Copy the selected cells to the clipboard and empty them."),
                           QStringLiteral("edit-cut"));
  mniSheetCopy =
      MakeAction("mniSheetCopy", QStringLiteral("Copy"),
                 QStringLiteral("Copy the selected cells to the clipboard."), QStringLiteral("edit-copy"));
  mniSheetPaste = MakeAction("mniSheetPaste", QStringLiteral("Paste"),
                             QStringLiteral("Paste the clipboard's cells at the current cell."),
                             QStringLiteral("edit-paste"));
  mniSheetClear = MakeAction("mniSheetClear", QStringLiteral("Delete"),
                             QStringLiteral("Empty the selected cells."), QStringLiteral("edit-delete"));
  actSheetFreezeColumn =
      MakeAction("actSheetFreezeColumn", QStringLiteral("Freeze First Column"),
                 QStringLiteral("Keep the first column in view while the grid scrolls sideways."), QString());
  actSheetFreezeColumn->setCheckable(true);

  mniSheetUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  mniSheetRedo->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  mniSheetInsertRow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
  mniSheetDuplicateRow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
  mniSheetDeleteRow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
  mniSheetCut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
  mniSheetCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  mniSheetPaste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
  mniSheetClear->setShortcut(QKeySequence(Qt::Key_Delete));
  // Undo, rows and find work wherever the focus is on the page; the block
  // clipboard and Delete only in the grid, so the find fields keep theirs.
  for (QAction* a : {mniSheetUndo, mniSheetRedo, mniSheetInsertRow, mniSheetDuplicateRow, mniSheetDeleteRow})
    w_.tbsEdit->addAction(a);
  for (QAction* a : {mniSheetCut, mniSheetCopy, mniSheetPaste, mniSheetClear}) {
    grid_.addAction(a);
    strings_.Grid()->addAction(a);
  }

  tbSheetUndo = MakeButton("tbSheetUndo", mniSheetUndo);
  tbSheetRedo = MakeButton("tbSheetRedo", mniSheetRedo);
  tbSheetInsertRow = MakeButton("tbSheetInsertRow", mniSheetInsertRow);
  tbSheetDuplicateRow = MakeButton("tbSheetDuplicateRow", mniSheetDuplicateRow);
  tbSheetDeleteRow = MakeButton("tbSheetDeleteRow", mniSheetDeleteRow);
  tbSheetFreezeColumn = MakeButton("tbSheetFreezeColumn", actSheetFreezeColumn);
  w_.tbEdit->addSeparator();
  for (QToolButton* b : {tbSheetUndo, tbSheetRedo}) w_.tbEdit->addWidget(b);
  w_.tbEdit->addSeparator();
  for (QToolButton* b : {tbSheetInsertRow, tbSheetDuplicateRow, tbSheetDeleteRow}) w_.tbEdit->addWidget(b);
  w_.tbEdit->addSeparator();
  w_.tbEdit->addWidget(tbSheetFreezeColumn);

  mnuSheetGrid = new QMenu(&grid_);
  mnuSheetGrid->setObjectName(QStringLiteral("mnuSheetGrid"));
  mnuSheetGrid->addActions({mniSheetUndo, mniSheetRedo});
  mnuSheetGrid->addSeparator();
  mnuSheetGrid->addActions({mniSheetCut, mniSheetCopy, mniSheetPaste, mniSheetClear});
  mnuSheetGrid->addSeparator();
  mnuSheetGrid->addActions({mniSheetInsertRow, mniSheetDuplicateRow, mniSheetDeleteRow});
  grid_.setContextMenuPolicy(Qt::CustomContextMenu);
  connect(&grid_, &QWidget::customContextMenuRequested, this,
          [this] { mnuSheetGrid->popup(QCursor::pos()); });
  strings_.Grid()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(strings_.Grid(), &QWidget::customContextMenuRequested, this,
          [this] { mnuSheetGrid->popup(QCursor::pos()); });

  Bind(mniSheetUndo, "tbSheetUndoClick", &EditPageActions::Undo);
  Bind(mniSheetRedo, "tbSheetRedoClick", &EditPageActions::Redo);
  Bind(mniSheetInsertRow, "tbSheetInsertRowClick", &EditPageActions::InsertRow);
  Bind(mniSheetDuplicateRow, "tbSheetDuplicateRowClick", &EditPageActions::DuplicateRows);
  Bind(mniSheetDeleteRow, "tbSheetDeleteRowClick", &EditPageActions::DeleteRows);
  Bind(mniSheetCut, "mniSheetCutClick", &EditPageActions::Cut);
  Bind(mniSheetCopy, "mniSheetCopyClick", &EditPageActions::Copy);
  Bind(mniSheetPaste, "mniSheetPasteClick", &EditPageActions::Paste);
  Bind(mniSheetClear, "mniSheetClearClick", &EditPageActions::Clear);
  connect(actSheetFreezeColumn, &QAction::toggled, this, [this](bool on) {
    run_("tbSheetFreezeColumnClick", [this, on] { grid_.SetFirstColumnFrozen(on); });
  });

  BuildFind();
  grid_.SetKeyRouter([this](QKeyEvent* key, const QLineEdit* editor) { return GridTakesKey(key, editor); });
  grid_.SetInsertRouter([this](const QString& text) { return GridTakesText(text); });
  const QUndoStack& stack = grid_.Editor().Stack();
  connect(&stack, &QUndoStack::canUndoChanged, this, &EditPageActions::UpdateEnabled);
  connect(&stack, &QUndoStack::canRedoChanged, this, &EditPageActions::UpdateEnabled);
  connect(&grid_, &EditPageGrid::enabledChanged, this, &EditPageActions::UpdateEnabled);
  const QUndoStack& tableStack = strings_.Editor().Editor().Stack();
  connect(&tableStack, &QUndoStack::canUndoChanged, this, &EditPageActions::UpdateEnabled);
  connect(&tableStack, &QUndoStack::canRedoChanged, this, &EditPageActions::UpdateEnabled);
  connect(&strings_, &StringTablePage::activeChanged, this, &EditPageActions::UpdateEnabled);
  UpdateEnabled();
}

QAction* EditPageActions::MakeAction(const char* name, const QString& caption, const QString& hint,
                                     const QString& icon) {
  auto* a = new QAction(icon.isEmpty() ? QIcon() : QIcon::fromTheme(icon), caption, this);
  a->setObjectName(QString::fromLatin1(name));
  a->setStatusTip(hint);
  a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  return a;
}

QToolButton* EditPageActions::MakeButton(const char* name, QAction* action) {
  auto* b = new QToolButton(w_.tbEdit);
  b->setDefaultAction(action);
  b->setObjectName(QString::fromLatin1(name));
  b->setAccessibleName(action->text());
  b->setToolTip(action->statusTip());
  b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  b->setAutoRaise(true);
  b->setFocusPolicy(Qt::NoFocus);  // a click leaves the focus where it was
  b->setFixedHeight(22);
  return b;
}

void EditPageActions::Bind(QAction* action, const char* handler, void (EditPageActions::*command)()) {
  connect(action, &QAction::triggered, this, [=, this] { run_(handler, [=, this] { (this->*command)(); }); });
}

void EditPageActions::BuildFind() {
  FindBar = new SheetFindBar(w_.tbsEdit);
  static_cast<QBoxLayout*>(w_.tbsEdit->layout())->addWidget(FindBar);
  find_ = new EditPageFind(grid_, strings_, *FindBar, [this](const QString& text) { Status(text); });

  actSheetFind = MakeAction("actSheetFind", QStringLiteral("Find"), QString(), QString());
  actSheetReplace = MakeAction("actSheetReplace", QStringLiteral("Replace"), QString(), QString());
  actSheetFindNext = MakeAction("actSheetFindNext", QStringLiteral("Find Next"), QString(), QString());
  actSheetFindPrevious =
      MakeAction("actSheetFindPrevious", QStringLiteral("Find Previous"), QString(), QString());
  actSheetFindClose = MakeAction("actSheetFindClose", QStringLiteral("Close Find"), QString(), QString());
  actSheetFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  actSheetReplace->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
  actSheetFindNext->setShortcut(QKeySequence(Qt::Key_F3));
  actSheetFindPrevious->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
  actSheetFindClose->setShortcut(QKeySequence(Qt::Key_Escape));
  for (QAction* a :
       {actSheetFind, actSheetReplace, actSheetFindNext, actSheetFindPrevious, actSheetFindClose})
    w_.tbsEdit->addAction(a);
  actSheetFindClose->setEnabled(false);

  auto wire = [this](auto signalOwner, auto signal, const char* handler, std::function<void()> command) {
    connect(signalOwner, signal, this, [=, this] { run_(handler, command); });
  };
  wire(actSheetFind, &QAction::triggered, "actSheetFindClick", [this] { find_->Open(false); });
  wire(actSheetReplace, &QAction::triggered, "actSheetReplaceClick", [this] { find_->Open(true); });
  wire(actSheetFindNext, &QAction::triggered, "btnFindNextClick", [this] { find_->Next(); });
  wire(actSheetFindPrevious, &QAction::triggered, "btnFindPreviousClick", [this] { find_->Previous(); });
  wire(actSheetFindClose, &QAction::triggered, "btnFindCloseClick", [this] { find_->Close(); });
  wire(FindBar, &SheetFindBar::findNext, "btnFindNextClick", [this] { find_->Next(); });
  wire(FindBar, &SheetFindBar::findPrevious, "btnFindPreviousClick", [this] { find_->Previous(); });
  wire(FindBar, &SheetFindBar::replaceOne, "btnReplaceClick", [this] { find_->Replace(); });
  wire(FindBar, &SheetFindBar::replaceAll, "btnReplaceAllClick", [this] { find_->ReplaceAll(); });
  wire(FindBar, &SheetFindBar::closeRequested, "btnFindCloseClick", [this] { find_->Close(); });
  FindBar->installEventFilter(this);
}

bool EditPageActions::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FindBar && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
    actSheetFindClose->setEnabled(event->type() == QEvent::Show);
  return QObject::eventFilter(watched, event);
}

bool EditPageActions::GridTakesKey(QKeyEvent* key, const QLineEdit* editor) const {
  const QKeySequence pressed(key->keyCombination());
  auto bound = [&](const QAction* a) { return a->shortcuts().contains(pressed); };
  // The grid's own history and commands: the editor's undo would bypass it.
  for (const QAction* a :
       {mniSheetUndo, mniSheetRedo, mniSheetInsertRow, mniSheetDuplicateRow, mniSheetDeleteRow, actSheetFind,
        actSheetReplace, actSheetFindNext, actSheetFindPrevious})
    if (bound(a)) return true;
  // Within one cell the editor keeps its text clipboard and Delete: it copies
  // and cuts the text selected in it, and pastes a single value at the caret.
  // A block, a cell with nothing selected in it, or a clipboard block (what
  // a spreadsheet puts there, ended by a line end) go to the grid.
  const bool block = grid_.SelectedCellCount() > 1;
  if (bound(mniSheetCopy) || bound(mniSheetCut)) return block || !editor->hasSelectedText();
  if (bound(mniSheetPaste)) {
    const QByteArray text = ClipboardBytes();
    return block || text.contains('\t') || text.contains('\n') || text.contains('\r');
  }
  if (bound(mniSheetClear)) return block;
  return false;
}

bool EditPageActions::GridTakesText(const QString& text) {
  const QByteArray bytes = ansi::fromDisplay(text);
  if (clipboardtext::IsBlock(bytes)) {
    run_("mniSheetPasteClick", [this, bytes] { PasteText(bytes); });
    return true;
  }
  if (clipboardtext::ControlCount(bytes) == 0) return false;
  Status(clipboardtext::RefusedValueNote());
  return true;
}

void EditPageActions::UpdateEnabled() {
  if (Strings()) {
    for (QAction* a : {mniSheetInsertRow, mniSheetDuplicateRow, mniSheetDeleteRow, mniSheetCut, mniSheetCopy,
                       mniSheetPaste, mniSheetClear, actSheetFind, actSheetReplace, actSheetFindNext,
                       actSheetFindPrevious})
      a->setEnabled(true);
    // The sheet's column freezing has nothing to do in a table of two columns.
    actSheetFreezeColumn->setEnabled(false);
    const QUndoStack& stack = strings_.Editor().Editor().Stack();
    mniSheetUndo->setEnabled(stack.canUndo());
    mniSheetRedo->setEnabled(stack.canRedo());
    return;
  }
  actSheetFreezeColumn->setEnabled(true);
  const bool on = grid_.isEnabled();
  for (QAction* a :
       {mniSheetInsertRow, mniSheetDuplicateRow, mniSheetDeleteRow, mniSheetCut, mniSheetCopy, mniSheetPaste,
        mniSheetClear, actSheetFind, actSheetReplace, actSheetFindNext, actSheetFindPrevious})
    a->setEnabled(on);
  mniSheetUndo->setEnabled(grid_.Editor().Stack().canUndo());
  mniSheetRedo->setEnabled(grid_.Editor().Stack().canRedo());
}

bool EditPageActions::Strings() const {
  return strings_.Active();
}

void EditPageActions::Status(const QString& text) {
  w_.HintPanel->setText(text);
}

// ---- The commands -------------------------------------------------------------

void EditPageActions::Undo() {
  if (Strings()) return strings_.Undo();
  grid_.ShowCell(grid_.Editor().Undo());
  // Also when the cell was the current one: its text as entered afresh.
  grid_.SelectEditorText();
}

void EditPageActions::Redo() {
  if (Strings()) return strings_.Redo();
  grid_.ShowCell(grid_.Editor().Redo());
  grid_.SelectEditorText();
}

void EditPageActions::InsertRow() {
  if (Strings()) return strings_.InsertRow();
  const SheetCell current = grid_.CurrentCell();
  const int row = grid_.Editor().InsertRow(current.row >= 0 ? current.row : grid_.Grid().RowCount());
  if (row >= 0) grid_.ShowCell({std::max(current.col, 0), row});
}

void EditPageActions::DuplicateRows() {
  if (Strings()) return strings_.DuplicateRows();
  const SheetCell current = grid_.CurrentCell();
  const std::vector<int> rows = grid_.SelectedRows();
  if (grid_.Editor().DuplicateRows(rows)) grid_.ShowCell({std::max(current.col, 0), current.row + 1});
}

void EditPageActions::DeleteRows() {
  if (Strings()) return strings_.DeleteRows();
  const SheetCell current = grid_.CurrentCell();
  if (grid_.Editor().DeleteRows(grid_.SelectedRows()))
    grid_.ShowCell({std::max(current.col, 0), std::min(current.row, grid_.Grid().RowCount() - 1)});
}

void EditPageActions::Copy() {
  if (Strings()) return strings_.Copy();
  const std::vector<SheetRect> rects = grid_.SelectedRects();
  if (rects.empty()) return;
  const SheetRect all = Bounds(rects);
  const QByteArray text =
      clipboardtext::FromCells(grid_.Grid(), all.firstCol, all.firstRow, all.lastCol, all.lastRow);
  QGuiApplication::clipboard()->setText(ansi::toDisplay(text));
}

void EditPageActions::Cut() {
  if (Strings()) return strings_.Cut();
  Copy();
  grid_.Editor().FillCells(grid_.SelectedRects(), {}, QStringLiteral("Cut"));
}

void EditPageActions::Clear() {
  if (Strings()) return strings_.ClearCells();
  grid_.Editor().FillCells(grid_.SelectedRects(), {}, QStringLiteral("Delete"));
}

void EditPageActions::Paste() {
  if (Strings()) return strings_.Paste();
  PasteText(ClipboardBytes());
}

void EditPageActions::PasteText(const QByteArray& text) {
  const QList<QByteArray> rows = clipboardtext::Rows(text);
  const std::vector<SheetRect> rects = grid_.SelectedRects();
  if (rows.isEmpty() || rects.empty()) return;
  // One value into a block of cells fills them all.
  if (rows.size() == 1 && !rows.first().contains('\t') && grid_.SelectedCellCount() > 1) {
    grid_.Editor().FillCells(rects, rows.first(), QStringLiteral("Paste"));
    return;
  }
  const SheetRect at = Bounds(rects);
  const SheetEditor::PasteResult pasted = grid_.Editor().Paste(at.firstCol, at.firstRow, rows);
  if (pasted.rows == 0) return;
  grid_.ShowCell({at.firstCol, at.firstRow});
  if (pasted.droppedCols == 1)
    Status(QStringLiteral("1 column past the last column was not pasted."));
  else if (pasted.droppedCols > 1)
    Status(QStringLiteral("%1 columns past the last column were not pasted.").arg(pasted.droppedCols));
}

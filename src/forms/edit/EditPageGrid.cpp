#include "forms/edit/EditPageGrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <algorithm>

#include "forms/edit/FrozenColumnView.h"
#include "forms/edit/SheetGridModel.h"

EditPageGrid::EditPageGrid(QWidget* parent) : SheetGridView(parent), editor_(Grid(), *GridModel()) {
  GridModel()->SetEditor(&editor_);
  // Blocks are rectangles: Shift extends from the anchor, Ctrl adds nothing.
  setSelectionMode(QAbstractItemView::ContiguousSelection);
}

// ---- Keys -----------------------------------------------------------------------

bool EditPageGrid::EditorKey(QKeyEvent* key, QLineEdit* editor) {
  if (key->type() == QEvent::ShortcutOverride) return router_ && router_(key, editor);
  // Shift+Up and Shift+Down extend the block. Shift+Left and Shift+Right
  // select text in the cell while the caret can move that way; at the
  // text's edge, or once a block is selected, they extend the block too.
  if (key->type() != QEvent::KeyPress) return false;
  const bool sideways = key->key() == Qt::Key_Left || key->key() == Qt::Key_Right;
  if (sideways && SelectedCellCount() <= 1 &&
      editor->cursorPosition() != (key->key() == Qt::Key_Left ? 0 : int(editor->text().size())))
    return false;
  return ExtendBlock(key);
}

void EditPageGrid::keyPressEvent(QKeyEvent* event) {
  if (!ExtendBlock(event)) SheetGridView::keyPressEvent(event);
}

bool EditPageGrid::ExtendBlock(QKeyEvent* key) {
  if (key->modifiers() != Qt::ShiftModifier) return false;
  CursorAction action;
  switch (key->key()) {
    case Qt::Key_Up:
      action = MoveUp;
      break;
    case Qt::Key_Down:
      action = MoveDown;
      break;
    case Qt::Key_Left:
      action = MoveLeft;
      break;
    case Qt::Key_Right:
      action = MoveRight;
      break;
    default:
      return false;
  }
  const QModelIndex to = moveCursor(action, Qt::NoModifier);
  if (!to.isValid()) return true;
  if (!anchor_.isValid()) anchor_ = currentIndex();
  extending_ = true;
  selectionModel()->setCurrentIndex(to, QItemSelectionModel::NoUpdate);
  extending_ = false;
  const QModelIndex from = anchor_.isValid() ? QModelIndex(anchor_) : to;
  const QModelIndex topLeft =
      model()->index(std::min(from.row(), to.row()), std::min(from.column(), to.column()));
  const QModelIndex bottomRight =
      model()->index(std::max(from.row(), to.row()), std::max(from.column(), to.column()));
  selectionModel()->select(QItemSelection(topLeft, bottomRight), QItemSelectionModel::ClearAndSelect);
  return true;
}

// ---- History ----------------------------------------------------------------------

void EditPageGrid::GridReplaced() {
  editor_.NewHistory();
  GridModel()->MarkShown();
  GridModel()->SetMarkedHeader(-1);
}

void EditPageGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  // Moving to another cell ends the typing step.
  if (current != previous) editor_.EndTyping();
  if (!extending_) anchor_ = current;
  SheetGridView::currentChanged(current, previous);
}

// ---- Selection ----------------------------------------------------------------------

SheetCell EditPageGrid::CurrentCell() const {
  const QModelIndex current = currentIndex();
  if (!current.isValid()) return {};
  return {current.column(), current.row() + Grid().FixedRows()};
}

std::vector<SheetRect> EditPageGrid::SelectedRects() const {
  const int fixed = Grid().FixedRows();
  std::vector<SheetRect> rects;
  for (const QItemSelectionRange& range : selectionModel()->selection())
    rects.push_back({range.left(), range.top() + fixed, range.right(), range.bottom() + fixed});
  if (rects.empty()) {
    const SheetCell current = CurrentCell();
    if (current.row >= 0) rects.push_back({current.col, current.row, current.col, current.row});
  }
  return rects;
}

int EditPageGrid::SelectedCellCount() const {
  int count = 0;
  for (const QItemSelectionRange& range : selectionModel()->selection())
    count += range.width() * range.height();
  return count;
}

std::vector<int> EditPageGrid::SelectedRows() const {
  std::vector<int> rows;
  for (const SheetRect& rect : SelectedRects())
    for (int r = rect.firstRow; r <= rect.lastRow; ++r) rows.push_back(r);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

void EditPageGrid::ShowCell(SheetCell cell) {
  const int rows = model()->rowCount();
  if (cell.row < 0 || rows == 0) return;
  const int col = std::clamp(cell.col, 0, model()->columnCount() - 1);
  const int fixed = Grid().FixedRows();
  if (cell.row < fixed) {
    // The fixed row is the header: its column comes into view, in the
    // current row.
    const QModelIndex current = currentIndex();
    const QModelIndex index = model()->index(current.isValid() ? current.row() : 0, col);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
    return;
  }
  const QModelIndex index = model()->index(std::min(cell.row - fixed, rows - 1), col);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  scrollTo(index);
}

// ---- Editing and the frozen column -------------------------------------------------

bool EditPageGrid::Frozen() const {
  return frozenOn_;
}

bool EditPageGrid::FirstColumnFrozen() const {
  return Frozen();
}

QWidget* EditPageGrid::OwnEditor() const {
  QWidget* focus = QApplication::focusWidget();
  return focus && focus->parentWidget() == viewport() ? focus : nullptr;
}

bool EditPageGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  // Opening an editor takes the focus: a current cell set from elsewhere
  // (the find bar) leaves the focus where it is.
  if (trigger == CurrentChanged && !HasFocusInside()) return false;
  if (Frozen() && index.column() == 0) {
    frozen_->OpenEditor(index);
    return false;
  }
  return QTableView::edit(index, trigger, event);
}

void EditPageGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (!Frozen()) return QTableView::scrollTo(index, hint);
  QScrollBar* bar = horizontalScrollBar();
  const int sideways = bar->value();
  QTableView::scrollTo(index, hint);
  // Column 0 is always in view: only scroll up or down to it.
  if (index.column() == 0) return bar->setValue(sideways);
  // Nothing may end up under the frozen column.
  const int covered = columnWidth(0) - visualRect(index).left();
  if (covered > 0) bar->setValue(bar->value() - covered);
}

void EditPageGrid::SetFirstColumnFrozen(bool frozen) {
  if (frozen == frozenOn_) return;
  frozenOn_ = frozen;
  if (frozen) {
    if (!frozen_)
      frozen_ = new FrozenColumnView(
          this, [this](QKeyEvent* key, QLineEdit* editor) { return EditorKey(key, editor); },
          [this](const QString& text) { return EditorInsert(text); });
    // Whole columns of varying width pass under the frozen one: by pixels.
    setHorizontalScrollMode(ScrollPerPixel);
    frozen_->Follow();
    frozen_->show();
    // An editor open in column 0 moves to the frozen column.
    if (QWidget* editor = OwnEditor(); editor && currentIndex().column() == 0)
      closeEditor(editor, QAbstractItemDelegate::NoHint);
    return;
  }
  // The grid's own editor opens first and takes the focus from the frozen
  // column's, which closes; were the focus left there as the column hides,
  // it would go to the next control outside the page, and coming back from
  // there refills the grid.
  if (frozen_->HasFocusInside()) {
    setFocus();
    ShowEditor();
  }
  frozen_->CloseEditor();
  frozen_->hide();
  setHorizontalScrollMode(ScrollPerItem);
}

void EditPageGrid::CloseEditors() {
  CloseEditor();
  if (frozen_) frozen_->CloseEditor();
}

void EditPageGrid::changeEvent(QEvent* event) {
  SheetGridView::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) emit enabledChanged(isEnabled());
}

void EditPageGrid::resizeEvent(QResizeEvent* event) {
  SheetGridView::resizeEvent(event);
  if (frozen_) frozen_->Follow();
}

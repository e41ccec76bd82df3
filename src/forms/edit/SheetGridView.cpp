#include "SheetGridView.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "forms/edit/LiveCellDelegate.h"
#include "forms/edit/SheetGridModel.h"
#include "platform/Ansi.h"

namespace {

void SetUpHeader(QHeaderView* header, int defaultSize) {
  header->setMinimumSectionSize(4);
  header->setDefaultSectionSize(defaultSize);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setSectionsClickable(false);
  header->setHighlightSections(false);
}

}  // namespace

SheetGridView::SheetGridView(QWidget* parent) : QTableView(parent), model_(new SheetGridModel(&grid_, this)) {
  setObjectName(QStringLiteral("StringGrid"));
  setAccessibleName(QStringLiteral("Sheet grid"));
  setItemDelegate(new LiveCellDelegate(
      this, [this](QKeyEvent* key, QLineEdit* editor) { return EditorKey(key, editor); },
      [this](const QString& text) { return EditorInsert(text); }));
  setModel(model_);
  // An edit may change the fixed rows (the last row under the header deleted,
  // and back): the header row shows whenever there is one.
  connect(model_, &QAbstractItemModel::modelReset, this,
          [this] { horizontalHeader()->setVisible(grid_.FixedRows() > 0); });

  setShowGrid(true);
  setGridStyle(Qt::SolidLine);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  setCornerButtonEnabled(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::AllEditTriggers);
  setTabKeyNavigation(true);
  horizontalScrollBar()->setTracking(true);
  verticalScrollBar()->setTracking(true);

  SetUpHeader(horizontalHeader(), kDefaultColWidth);
  SetUpHeader(verticalHeader(), kDefaultRowHeight);
  // A double-click on a header's border fits the column to every row's
  // text, not only to the rows near those in view.
  disconnect(horizontalHeader(), &QHeaderView::sectionHandleDoubleClicked, this, nullptr);
  connect(horizontalHeader(), &QHeaderView::sectionHandleDoubleClicked, this, &SheetGridView::FitColumn);
  // No fixed columns: the row header shows the rows' line numbers and is the
  // handle for sizing rows; it is as wide as its numbers need.
  ShowGridState();
}

void SheetGridView::GridChanged() {
  model_->BeginGridChange();
  model_->EndGridChange();
  ShowGridState();
  GridReplaced();
}

void SheetGridView::ChangeGrid(const std::function<void(SheetGrid&)>& change) {
  model_->BeginGridChange();
  try {
    change(grid_);
  } catch (...) {
    model_->EndGridChange();
    ShowGridState();
    GridReplaced();
    throw;
  }
  model_->EndGridChange();
  ShowGridState();
  GridReplaced();
}

void SheetGridView::ShowGridState() {
  horizontalHeader()->setVisible(grid_.FixedRows() > 0);
  setEnabled(grid_.Enabled());
  // A disabled grid is no place to come back to: a page switch then puts the
  // focus on the page's first control that takes it, not on the grid.
  if (!isEnabled()) clearFocus();
  setCurrentIndex(model_->index(0, 0));
}

bool SheetGridView::HasFocusInside() const {
  const QWidget* focus = QApplication::focusWidget();
  return focus && (focus == this || isAncestorOf(focus));
}

void SheetGridView::ShowEditor() {
  const QModelIndex current = currentIndex();
  if (current.isValid() && isEnabled() && state() != EditingState) edit(current, AllEditTriggers, nullptr);
}

void SheetGridView::CloseEditor() {
  if (QWidget* editor = indexWidget(currentIndex()); editor && state() == EditingState)
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void SheetGridView::SelectEditorText() {
  if (auto* editor = qobject_cast<QLineEdit*>(indexWidget(currentIndex()))) editor->selectAll();
}

void SheetGridView::FitColumn(int col) {
  if (col < 0 || col >= grid_.ColCount()) return;
  const QFontMetrics metrics = fontMetrics();
  int widest = horizontalHeader()->sectionSizeHint(col);
  int textWidest = 0;
  for (int r = grid_.FixedRows(); r < grid_.RowCount(); ++r) {
    const QByteArrayView cell = grid_.CellView(col, r);
    if (!cell.isEmpty())
      textWidest = std::max(textWidest, metrics.horizontalAdvance(ansi::toDisplay(cell.toByteArray())));
  }
  // The item's own margins on both sides, and the grid line.
  const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 1;
  widest = std::max(widest, textWidest + margin);
  setColumnWidth(col, widest);
}

void SheetGridView::mousePressEvent(QMouseEvent* event) {
  const QModelIndex before = currentIndex();
  QTableView::mousePressEvent(event);
  enteredByPress_ = currentIndex() != before;
}

void SheetGridView::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  // A click that entered a cell leaves its text selected whole, whatever
  // the release did to the editor opened on the press.
  if (enteredByPress_) SelectEditorText();
  enteredByPress_ = false;
}

void SheetGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  // Only with the focus here: opening an editor takes the focus.
  if (HasFocusInside()) ShowEditor();
}

void SheetGridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  QTableView::closeEditor(editor, hint);
  // Tab opens the next cell's editor itself; any other close keeps the
  // editor in the current cell unless the focus has gone elsewhere.
  if (hint != QAbstractItemDelegate::EditNextItem && hint != QAbstractItemDelegate::EditPreviousItem &&
      HasFocusInside())
    ShowEditor();
}

void SheetGridView::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  // Not at once: the focus may be arriving as part of a page switch whose
  // handlers refill the grid (and ask about unsaved edits, in a box that
  // takes the focus and closes editors) before the move is over. An editor
  // opened here would be torn down under the focus change that opened it.
  // Once the move has settled, the editor opens in the current cell, if
  // that is still the cell of the same model and the focus is still here.
  if (editorQueued_) return;
  editorQueued_ = true;
  QMetaObject::invokeMethod(
      this,
      [this, shown = QPointer<QAbstractItemModel>(model()), at = QPersistentModelIndex(currentIndex())] {
        editorQueued_ = false;
        if (model() != shown || !at.isValid() || at != currentIndex() || !HasFocusInside()) return;
        ShowEditor();
      },
      Qt::QueuedConnection);
}

#include "forms/edit/FrozenColumnView.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>

#include "forms/edit/EditPageGrid.h"

FrozenColumnView::FrozenColumnView(EditPageGrid* grid, LiveCellDelegate::KeyHook keys)
    : QTableView(grid), grid_(grid) {
  setObjectName(QStringLiteral("StringGridFrozenColumn"));
  setAccessibleName(QStringLiteral("Frozen first column"));
  setModel(grid->model());
  setSelectionModel(grid->selectionModel());
  setItemDelegate(new LiveCellDelegate(this, std::move(keys)));
  setFont(grid->font());
  setSelectionMode(grid->selectionMode());
  // The grid opens this view's editor itself, only while it has the focus.
  setEditTriggers(NoEditTriggers);
  // A click here takes the focus, so the grid knows it still has it.
  setFocusPolicy(Qt::ClickFocus);
  setTabKeyNavigation(true);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollMode(grid->verticalScrollMode());
  verticalHeader()->hide();
  verticalHeader()->setMinimumSectionSize(grid->verticalHeader()->minimumSectionSize());
  verticalHeader()->setDefaultSectionSize(grid->verticalHeader()->defaultSectionSize());
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  grid->viewport()->stackUnder(this);

  connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
    if (section != 0) return;
    setColumnWidth(0, size);
    Place();
  });
  connect(grid->verticalHeader(), &QHeaderView::sectionResized, this,
          [this](int section, int, int size) { setRowHeight(section, size); });
  connect(verticalScrollBar(), &QAbstractSlider::valueChanged, grid->verticalScrollBar(),
          &QAbstractSlider::setValue);
  connect(grid->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
          &QAbstractSlider::setValue);
  // A refill shows all columns again, and may show or hide the header row.
  connect(grid->model(), &QAbstractItemModel::modelReset, this, [this] {
    if (!isHidden()) Follow();
  });
}

void FrozenColumnView::HideOtherColumns() {
  const int cols = model()->columnCount();
  for (int c = 0; c < cols; ++c) setColumnHidden(c, c != 0);
}

void FrozenColumnView::Place() {
  QHeaderView* header = grid_->horizontalHeader();
  const int headerHeight = header->isHidden() ? 0 : header->height();
  setGeometry(grid_->verticalHeader()->width() + grid_->frameWidth(), grid_->frameWidth(),
              grid_->columnWidth(0), grid_->viewport()->height() + headerHeight);
}

void FrozenColumnView::Follow() {
  HideOtherColumns();
  horizontalHeader()->setVisible(!grid_->horizontalHeader()->isHidden());
  horizontalHeader()->setFixedHeight(grid_->horizontalHeader()->height());
  setColumnWidth(0, grid_->columnWidth(0));
  QHeaderView* rows = grid_->verticalHeader();
  for (int r = 0; r < model()->rowCount(); ++r)
    if (rows->sectionSize(r) != verticalHeader()->sectionSize(r)) setRowHeight(r, rows->sectionSize(r));
  Place();
  verticalScrollBar()->setValue(grid_->verticalScrollBar()->value());
}

bool FrozenColumnView::HasFocusInside() const {
  const QWidget* focus = QApplication::focusWidget();
  return focus && (focus == this || isAncestorOf(focus));
}

void FrozenColumnView::OpenEditor(const QModelIndex& index) {
  if (state() != EditingState) edit(index, AllEditTriggers, nullptr);
}

void FrozenColumnView::CloseEditor() {
  if (state() != EditingState) return;
  // Closed editors linger until deleted; the open one is the shown one.
  for (QLineEdit* editor : viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
    if (!editor->isHidden()) QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
}

QModelIndex FrozenColumnView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  return grid_->NextCell(action, modifiers);
}

bool FrozenColumnView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  return index.column() == 0 && QTableView::edit(index, trigger, event);
}

void FrozenColumnView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // Tab and Shift+Tab go on to the grid's next cell, never to one hidden here.
  if (hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem) {
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    const QModelIndex next = grid_->NextCell(
        hint == QAbstractItemDelegate::EditNextItem ? MoveNext : MovePrevious, Qt::NoModifier);
    if (next.isValid()) selectionModel()->setCurrentIndex(next, QItemSelectionModel::ClearAndSelect);
    return;
  }
  QTableView::closeEditor(editor, hint);
  // As in the grid, the editor stays open in the current cell.
  if (HasFocusInside() || grid_->hasFocus()) grid_->ShowEditor();
}

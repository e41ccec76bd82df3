#include "SheetGridView.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <limits>

#include "forms/SheetGridModel.h"

namespace {

// A plain line editor that stores every change in the cell as it is typed.
class LiveCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
    auto* line = new QLineEdit(parent);
    line->setFrame(false);
    // The default limit of 32767 characters would cut long cells on opening.
    line->setMaxLength(std::numeric_limits<int>::max());
    auto* self = const_cast<LiveCellDelegate*>(this);
    // Every change the user makes (typing, cut, paste, undo) is stored at once;
    // the text the model itself puts in the editor is not a change.
    connect(line, &QLineEdit::textEdited, self, [self, line] { emit self->commitData(line); });
    return line;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    auto* line = static_cast<QLineEdit*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    // The model echoes each commit back; leave the caret where the user has it.
    if (line->text() == text) return;
    const int caret = line->cursorPosition();
    line->setText(text);
    line->setCursorPosition(std::min(caret, int(text.size())));
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    model->setData(index, static_cast<QLineEdit*>(editor)->text(), Qt::EditRole);
  }

  bool eventFilter(QObject* object, QEvent* event) override {
    // Enter and Escape would close the editor, which stays open in this grid;
    // every change is already stored, so there is nothing to submit or revert.
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }
};

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
  setItemDelegate(new LiveCellDelegate(this));
  setModel(model_);

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
  // No fixed columns: the row header is a narrow, empty strip that only
  // serves as the handle for sizing rows.
  verticalHeader()->setFixedWidth(10);
  ShowGridState();
}

void SheetGridView::GridChanged() {
  model_->BeginGridChange();
  model_->EndGridChange();
  ShowGridState();
}

void SheetGridView::ChangeGrid(const std::function<void(SheetGrid&)>& change) {
  model_->BeginGridChange();
  try {
    change(grid_);
  } catch (...) {
    model_->EndGridChange();
    ShowGridState();
    throw;
  }
  model_->EndGridChange();
  ShowGridState();
}

void SheetGridView::ShowGridState() {
  horizontalHeader()->setVisible(grid_.FixedRows() > 0);
  setEnabled(grid_.Enabled());
  setCurrentIndex(model_->index(0, 0));
}

bool SheetGridView::HasFocusInside() const {
  const QWidget* focus = QApplication::focusWidget();
  return focus && (focus == this || isAncestorOf(focus));
}

void SheetGridView::ShowEditor() {
  const QModelIndex current = currentIndex();
  if (current.isValid() && isEnabled() && state() != EditingState) edit(current);
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
  ShowEditor();
}

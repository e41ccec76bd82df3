#pragma once
// The Edit page grid's frozen first column: a view of column 0 alone laid
// over the grid's left edge, sharing its model and selection, that scrolls
// up and down with the grid but never sideways. Its cells are edited in
// place like the grid's, with an editor of its own.
#include <QTableView>

#include "forms/edit/LiveCellDelegate.h"

class EditPageGrid;

class FrozenColumnView : public QTableView {
  Q_OBJECT
 public:
  using QTableView::edit;
  FrozenColumnView(EditPageGrid* grid, LiveCellDelegate::KeyHook keys);

  // Takes the grid's column width, row heights, header and place again.
  void Follow();
  void OpenEditor(const QModelIndex& index);
  void CloseEditor();
  bool HasFocusInside() const;

 protected:
  // Tab and the arrows move as in the grid, to the columns this view hides.
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  // Only column 0 is edited here; the grid edits the others.
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

 private:
  void HideOtherColumns();
  void Place();

  EditPageGrid* grid_;
};

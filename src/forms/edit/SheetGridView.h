#pragma once
// The Edit page's sheet grid (`StringGrid`): a table view over its own
// SheetGrid. Lines between all cells; rows and columns sized with the mouse;
// while the view has the focus the cell editor is open in the current cell
// (opened once a focus move into the view has settled),
// and every change typed into it is stored in the cell at once; Tab moves to
// the next cell. The fixed row is the column header and cannot be edited.
#include <QTableView>
#include <functional>

#include "archive/SheetGrid.h"

class QKeyEvent;
class QLineEdit;
class SheetGridModel;

class SheetGridView : public QTableView {
  Q_OBJECT
 public:
  static constexpr int kDefaultColWidth = 128;
  static constexpr int kDefaultRowHeight = 18;

  explicit SheetGridView(QWidget* parent = nullptr);

  SheetGrid& Grid() { return grid_; }
  const SheetGrid& Grid() const { return grid_; }
  SheetGridModel* GridModel() const { return model_; }

  // Shows the grid afresh after it was changed directly.
  void GridChanged();
  // Runs `change` on the grid and shows the result, also when `change`
  // throws; the exception goes on to the caller.
  void ChangeGrid(const std::function<void(SheetGrid&)>& change);

  // Opens the cell editor in the current cell (while the view is enabled).
  void ShowEditor();
  // Closes the open cell editor, if any (its text is in the cell already).
  void CloseEditor();
  // Selects the whole text of the open cell editor, the caret at its end.
  void SelectEditorText();
  // The column as wide as its widest text (its header's included).
  void FitColumn(int col);

 protected:
  // Each key press and shortcut override that reaches the open cell editor;
  // true when the grid takes the key from it.
  virtual bool EditorKey(QKeyEvent*, QLineEdit*) { return false; }
  // Text about to come into the open cell editor from outside; true: taken.
  virtual bool EditorInsert(const QString&) { return false; }
  // The grid was changed directly (filled afresh) and is shown again.
  virtual void GridReplaced() {}
  // The focus is in the view or in a widget inside it (the cell editor).
  bool HasFocusInside() const;

  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  void focusInEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void ShowGridState();

  SheetGrid grid_;
  SheetGridModel* model_;
  bool editorQueued_ = false;
  bool enteredByPress_ = false;
};

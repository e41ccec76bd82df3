#pragma once
// The Edit page's grid: the sheet grid view with the sheet's edit history.
// Every change to the cells goes through the history (typing included), so
// it can be undone; the grid holds changes no Save has written exactly while
// the history is away from the state last filled or saved. Blocks of cells
// are selected with the mouse and Shift+arrows, and the first column can be
// frozen in view while the grid scrolls sideways.
#include <functional>
#include <vector>

#include "archive/sheetedit/SheetEditor.h"
#include "forms/edit/SheetGridView.h"

class FrozenColumnView;

class EditPageGrid : public SheetGridView {
  Q_OBJECT
 public:
  explicit EditPageGrid(QWidget* parent = nullptr);

  SheetEditor& Editor() { return editor_; }

  // Filling the grid starts a new history, whose start counts as saved.
  bool Modified() const { return editor_.Modified(); }
  void SetModified(bool modified) { editor_.SetModified(modified); }

  // Decides which shortcut keys the grid takes from the open cell editor;
  // the page knows its shortcuts. Without one the editor keeps them all.
  using KeyRouter = std::function<bool(QKeyEvent*, const QLineEdit*)>;
  void SetKeyRouter(KeyRouter router) { router_ = std::move(router); }
  // Takes (or refuses) text that would come into the open cell editor from
  // outside: the page knows the block paste and the status bar.
  using InsertRouter = std::function<bool(const QString&)>;
  void SetInsertRouter(InsertRouter router) { inserter_ = std::move(router); }

  // ---- The selection, in grid rows and columns
  SheetCell CurrentCell() const;
  // The selected blocks; the current cell when nothing is selected.
  std::vector<SheetRect> SelectedRects() const;
  int SelectedCellCount() const;
  // Every row with a selected cell, ascending; the current row when none.
  std::vector<int> SelectedRows() const;
  // Makes the cell current, selected and visible; for a fixed row's cell
  // the column is made current and scrolled into view.
  void ShowCell(SheetCell cell);

  // ---- The frozen first column
  bool FirstColumnFrozen() const;
  void SetFirstColumnFrozen(bool frozen);
  // Where the keyboard moves the current cell to (for the frozen column's
  // own cell editor, whose view shows only column 0).
  QModelIndex NextCell(CursorAction action, Qt::KeyboardModifiers modifiers) {
    return moveCursor(action, modifiers);
  }

  // The open cell editors closed, the frozen column's too.
  void CloseEditors();

  using QTableView::edit;

 signals:
  void enabledChanged(bool enabled);

 protected:
  bool EditorKey(QKeyEvent* key, QLineEdit* editor) override;
  bool EditorInsert(const QString& text) override { return inserter_ && inserter_(text); }
  void GridReplaced() override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Shift+arrows: the current cell moves, and the block reaches from the
  // anchor (where the current cell was last put other than so) to it.
  bool ExtendBlock(QKeyEvent* key);
  bool Frozen() const;
  // The open cell editor of this view (not of the frozen column), if any.
  QWidget* OwnEditor() const;

  SheetEditor editor_;
  KeyRouter router_;
  InsertRouter inserter_;
  FrozenColumnView* frozen_ = nullptr;
  bool frozenOn_ = false;
  QPersistentModelIndex anchor_;
  bool extending_ = false;
};

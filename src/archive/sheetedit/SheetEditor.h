#pragma once
// Every change to the sheet grid made as an undoable command on one history:
// typing, rows, pasted and emptied blocks, replaced text. Filling the grid
// starts a new history; the history's clean state is the state last filled
// or saved, so undoing back to it leaves nothing modified. Rows and cells are
// grid rows and columns; row 0 is the sheet's header line: it is never
// deleted, duplicated or moved, and the fixed rows' cells are not written.
#include <QList>
#include <QUndoStack>
#include <functional>
#include <utility>
#include <vector>

#include "archive/SheetGrid.h"
#include "archive/sheetedit/SheetChangeSink.h"
#include "archive/sheetedit/SheetCommand.h"
#include "archive/sheetedit/SheetFinder.h"

struct SheetRect {
  int firstCol = 0;
  int firstRow = 0;
  int lastCol = -1;
  int lastRow = -1;
};

class SheetEditor {
 public:
  // Both must outlive the editor.
  SheetEditor(SheetGrid& grid, SheetChangeSink& sink);

  QUndoStack& Stack() { return stack_; }
  const QUndoStack& Stack() const { return stack_; }

  // ---- History
  void NewHistory();
  bool Modified() const { return !stack_.isClean(); }
  // False: the grid as it stands is saved. True: it differs from anything
  // saved, and no undo reaches a saved state (an imported sheet).
  void SetModified(bool modified);
  // The cell the step changed, to show it; row -1 when there was no step.
  SheetCell Undo();
  SheetCell Redo();
  // Bytes the history keeps.
  qsizetype HistoryBytes() const;

  // ---- Typing: one step per cell and typing session.
  void TypeCell(int col, int row, const QByteArray& text);
  // The next keystroke starts a new step (the user moved on).
  void EndTyping() { ++session_; }

  // ---- Rows
  // Rows above this one are never deleted, duplicated or moved.
  int FirstMovableRow() const;
  // An empty row before row `at`, or below the header when `at` is above it;
  // past the last row appends. The row it went to, -1 when refused.
  int InsertRow(int at);
  // Each given row copied directly below itself; the header row is skipped.
  // False when no row was copied.
  bool DuplicateRows(std::vector<int> rows);
  bool DeleteRows(std::vector<int> rows);

  // ---- Cells
  struct PasteResult {
    int rows = 0;         // rows written
    int addedRows = 0;    // of them, added past the last row
    int droppedCols = 0;  // block columns past the last column
  };
  // A block of rows (TAB-separated cells each) written from (col, row) on.
  PasteResult Paste(int col, int row, const QList<QByteArray>& block);
  // Every cell in the rectangles set to value (empty: the cells emptied).
  // The number of cells that changed; no step when none did.
  int FillCells(const std::vector<SheetRect>& rects, const QByteArray& value, const QString& text);
  // The cell's matches replaced; false when it holds none (or is fixed).
  bool ReplaceInCell(int col, int row, const SheetFinder& finder, const QByteArray& with);
  // Every match in every cell that is not fixed, as one step; the number of
  // cells that changed.
  int ReplaceAll(const SheetFinder& finder, const QByteArray& with);

  // ---- Whole sheet
  // Any change to rows and cells, made by change, as one step named text;
  // where is the cell to show after it is undone or redone.
  void ChangeSheet(const QString& text, SheetCell where, std::function<void(SheetGrid&)> change);

  // New cell texts by row, and in each row by column, both ascending.
  using CellTexts = std::vector<std::pair<int, QByteArray>>;
  using RowChanges = std::vector<std::pair<int, CellTexts>>;
  // Cells of existing rows outside the fixed ones set as one step (for an
  // editor whose matching or clipboard rules differ from the sheet's); the
  // number of cells written, no step when there are none.
  int WriteCells(RowChanges changes, const QString& text);
  // A block of already split cells written from (col, row) on, rows past
  // the last one added, as Paste does for TAB-separated text.
  PasteResult PasteCells(int col, int row, std::vector<std::vector<QByteArray>> block);

 private:
  void Push(SheetCommand* command);
  // The changes as one step; the number of cells they change.
  int PushChanges(RowChanges changes, const QString& text);
  bool Editable() const { return grid_.Enabled(); }

  SheetGrid& grid_;
  SheetChangeSink& sink_;
  QUndoStack stack_;
  int session_ = 0;
};

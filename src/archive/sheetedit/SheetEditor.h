#pragma once
// Every change to the sheet grid made as an undoable command on one history:
// typing, rows, pasted and emptied blocks, replaced text. Filling the grid
// starts a new history; the history's clean state is the state last filled
// or saved, so undoing back to it leaves nothing modified. Rows and cells are
// grid rows and columns; row 0 is the sheet's header line: it is never
// deleted, duplicated or moved, and the fixed rows' cells are not written.
// No command puts a TAB, CR or LF into a cell: a value that holds one is
// refused (a block goes through Paste, which splits it into cells).
//
// The history is bounded by the memory it keeps: past kHistoryLimit bytes
// the oldest steps are dropped, the last step always kept.
#include <QList>
#include <QUndoStack>
#include <functional>
#include <memory>
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
  // Tests: a smaller bound than kHistoryLimit.
  void SetHistoryLimitForTesting(qsizetype bytes) { historyLimit_ = bytes; }
  // False: the grid as it stands is saved. True: it differs from anything
  // saved, and no undo reaches a saved state (an imported sheet).
  void SetModified(bool modified);
  // The cell the step changed, to show it; row -1 when there was no step.
  SheetCell Undo();
  SheetCell Redo();
  // Bytes the history keeps besides what the grid holds.
  qsizetype HistoryBytes() const;
  static constexpr qsizetype kHistoryLimit = qsizetype(64) << 20;

  // ---- Typing: one step per cell and typing session. False when the text
  // may not be a cell (SheetGrid::CanHold) or the cell cannot be typed into.
  bool TypeCell(int col, int row, const QByteArray& text);
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
  // A block of rows (TAB-separated cells each) written from (col, row) on;
  // nothing when a row holds a CR or LF.
  PasteResult Paste(int col, int row, const QList<QByteArray>& block);
  // Every cell in the rectangles set to value (empty: the cells emptied).
  // The number of cells that changed; no step when none did (or the value
  // may not be a cell). The same holds for the replacements below.
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
  // The commands of the history by step, oldest first.
  const SheetCommand& CommandAt(int index) const;
  // What each step keeps, oldest first.
  std::vector<qsizetype> StepBytes() const;
  // Drops the oldest steps while the history is over its limit; right after
  // a push, when no step waits for a redo.
  void Trim();
  // The changes as one step; the number of cells they change.
  int PushChanges(RowChanges changes, const QString& text);
  bool Editable() const { return grid_.Enabled(); }

  SheetGrid& grid_;
  SheetChangeSink& sink_;
  QUndoStack stack_;
  qsizetype historyLimit_ = kHistoryLimit;
  int session_ = 0;
};

#include "SheetEditor.h"

#include <algorithm>
#include <map>

#include "archive/sheetedit/ClipboardText.h"
#include "archive/sheetedit/DeleteRowsCommand.h"
#include "archive/sheetedit/InsertRowsCommand.h"
#include "archive/sheetedit/RowsPatchCommand.h"
#include "archive/sheetedit/SheetSnapshotCommand.h"
#include "archive/sheetedit/SheetHistoryStep.h"
#include "archive/sheetedit/TypeCellCommand.h"

namespace {

// One join of the row for all of its changed cells: the cells between them
// are passed on as they stand.
void WriteRow(SheetGrid& grid, int row, const std::vector<std::pair<int, QByteArray>>& cells,
              std::vector<QByteArrayView>& texts) {
  const int first = cells.front().first;
  const int last = cells.back().first;
  texts.clear();
  auto next = cells.begin();
  for (int c = first; c <= last; ++c) {
    if (next != cells.end() && next->first == c)
      texts.push_back((next++)->second);
    else
      texts.push_back(grid.CellView(c, row));
  }
  grid.SetRowCells(row, first, texts);
}

// The rows, without repeats, that may be moved.
std::vector<int> MovableRows(std::vector<int> rows, int first, int count) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  rows.erase(std::remove_if(rows.begin(), rows.end(), [&](int r) { return r < first || r >= count; }),
             rows.end());
  return rows;
}

}  // namespace

SheetEditor::SheetEditor(SheetGrid& grid, SheetChangeSink& sink) : grid_(grid), sink_(sink) {}

void SheetEditor::NewHistory() {
  EndTyping();
  stack_.clear();
}

void SheetEditor::SetModified(bool modified) {
  EndTyping();
  if (modified)
    stack_.resetClean();
  else
    stack_.setClean();
}

const SheetCommand& SheetEditor::CommandAt(int index) const {
  return static_cast<const SheetHistoryStep*>(stack_.command(index))->Command();
}

SheetCell SheetEditor::Undo() {
  EndTyping();
  if (!stack_.canUndo()) return {};
  const SheetCell where = CommandAt(stack_.index() - 1).Where();
  stack_.undo();
  return where;
}

SheetCell SheetEditor::Redo() {
  EndTyping();
  if (!stack_.canRedo()) return {};
  const SheetCell where = CommandAt(stack_.index()).Where();
  stack_.redo();
  return where;
}

std::vector<qsizetype> SheetEditor::StepBytes() const {
  std::vector<qsizetype> bytes(size_t(stack_.count()));
  for (int i = 0; i < stack_.count(); ++i)
    bytes[size_t(i)] = qsizetype(sizeof(void*) + sizeof(SheetHistoryStep)) + CommandAt(i).HeldBytes();
  return bytes;
}

qsizetype SheetEditor::HistoryBytes() const {
  qsizetype bytes = 0;
  for (const qsizetype step : StepBytes()) bytes += step;
  return bytes;
}

void SheetEditor::Trim() {
  const int count = stack_.count();
  if (count < 2) return;
  const std::vector<qsizetype> bytes = StepBytes();
  qsizetype total = 0;
  for (const qsizetype step : bytes) total += step;
  int drop = 0;
  while (total > historyLimit_ && drop < count - 1) total -= bytes[size_t(drop++)];
  if (drop == 0) return;

  // A QUndoStack drops no single step: the kept commands are taken out of
  // their steps and handed to the emptied stack in their order, the saved
  // state marked where it stood (or lost with the dropped steps).
  const int clean = stack_.cleanIndex();
  std::vector<std::unique_ptr<SheetCommand>> kept;
  kept.reserve(size_t(count - drop));
  for (int i = drop; i < count; ++i)
    kept.push_back(static_cast<SheetHistoryStep*>(const_cast<QUndoCommand*>(stack_.command(i)))->Take());
  stack_.clear();
  for (int i = 0; i < int(kept.size()); ++i) {
    if (clean == drop + i) stack_.setClean();
    stack_.push(new SheetHistoryStep(std::move(kept[size_t(i)]), true));
  }
  if (clean == count)
    stack_.setClean();
  else if (clean < drop)
    stack_.resetClean();
}

void SheetEditor::Push(SheetCommand* command) {
  // Any other step ends the typing step before it.
  EndTyping();
  stack_.push(new SheetHistoryStep(std::unique_ptr<SheetCommand>(command), false));
  EndTyping();
  Trim();
}

bool SheetEditor::TypeCell(int col, int row, const QByteArray& text) {
  if (!Editable() || col < 0 || col >= grid_.ColCount() || row < grid_.FixedRows() ||
      row >= grid_.RowCount() || !grid_.Holds(text))
    return false;
  if (grid_.CellView(col, row) == text) return true;
  const int steps = stack_.count();
  stack_.push(new SheetHistoryStep(
      std::make_unique<TypeCellCommand>(grid_, sink_, SheetCell{col, row}, text, session_), false));
  if (stack_.count() > steps) Trim();
  return true;
}

int SheetEditor::FirstMovableRow() const {
  return std::max(1, grid_.FixedRows());
}

int SheetEditor::InsertRow(int at) {
  if (!Editable()) return -1;
  at = std::clamp(at, FirstMovableRow(), grid_.RowCount());
  Push(InsertRowsCommand::Blank(grid_, sink_, at));
  return at;
}

bool SheetEditor::DuplicateRows(std::vector<int> rows) {
  rows = MovableRows(std::move(rows), FirstMovableRow(), grid_.RowCount());
  if (!Editable() || rows.empty()) return false;
  Push(InsertRowsCommand::Duplicates(grid_, sink_, std::move(rows)));
  return true;
}

bool SheetEditor::DeleteRows(std::vector<int> rows) {
  rows = MovableRows(std::move(rows), FirstMovableRow(), grid_.RowCount());
  if (!Editable() || rows.empty()) return false;
  Push(new DeleteRowsCommand(grid_, sink_, rows));
  return true;
}

SheetEditor::PasteResult SheetEditor::Paste(int col, int row, const QList<QByteArray>& block) {
  const int cols = grid_.ColCount();
  if (!Editable() || block.isEmpty() || col < 0 || col >= cols || row < grid_.FixedRows() ||
      row > grid_.RowCount())
    return {};
  for (const QByteArray& line : block)
    if (line.contains('\r') || line.contains('\n')) return {};
  const int width = cols - col;
  PasteResult result;
  result.rows = int(block.size());
  result.addedRows = std::max(0, row + result.rows - grid_.RowCount());
  int widest = 0;
  for (const QByteArray& line : block) widest = std::max(widest, int(line.count('\t')) + 1);
  result.droppedCols = std::max(0, widest - width);

  std::vector<int> rows(size_t(result.rows));
  for (int i = 0; i < result.rows; ++i) rows[size_t(i)] = row + i;
  auto write = [block, col, row, width](SheetGrid& grid) {
    for (int i = 0; i < int(block.size()); ++i) {
      std::vector<QByteArrayView> cells = clipboardtext::Cells(block.at(i));
      if (cells.size() > size_t(width)) cells.resize(size_t(width));
      grid.SetRowCells(row + i, col, cells);
    }
  };
  Push(new RowsPatchCommand(grid_, sink_, QStringLiteral("Paste"), std::move(rows), col,
                            col + std::min(widest, width) - 1, write));
  return result;
}

int SheetEditor::PushChanges(RowChanges changes, const QString& text) {
  if (changes.empty()) return 0;
  std::vector<int> rows;
  rows.reserve(changes.size());
  int cells = 0;
  int firstCol = grid_.ColCount();
  int lastCol = 0;
  for (const auto& [row, texts] : changes) {
    rows.push_back(row);
    cells += int(texts.size());
    firstCol = std::min(firstCol, texts.front().first);
    lastCol = std::max(lastCol, texts.back().first);
  }
  auto write = [changes = std::move(changes)](SheetGrid& grid) {
    std::vector<QByteArrayView> views;
    for (const auto& [row, texts] : changes) WriteRow(grid, row, texts, views);
  };
  Push(new RowsPatchCommand(grid_, sink_, text, std::move(rows), firstCol, lastCol, write));
  return cells;
}

int SheetEditor::FillCells(const std::vector<SheetRect>& rects, const QByteArray& value,
                           const QString& text) {
  if (!Editable() || !grid_.Holds(value)) return 0;
  std::map<int, CellTexts> byRow;  // the blocks may overlap
  for (const SheetRect& rect : rects) {
    const int lastRow = std::min(rect.lastRow, grid_.RowCount() - 1);
    const int lastCol = std::min(rect.lastCol, grid_.ColCount() - 1);
    for (int r = std::max(rect.firstRow, grid_.FixedRows()); r <= lastRow; ++r)
      for (int c = std::max(rect.firstCol, 0); c <= lastCol; ++c)
        if (grid_.CellView(c, r) != value) byRow[r].emplace_back(c, value);
  }
  RowChanges changes;
  changes.reserve(byRow.size());
  for (auto& [row, texts] : byRow) {
    auto byCol = [](const auto& a, const auto& b) { return a.first < b.first; };
    auto sameCol = [](const auto& a, const auto& b) { return a.first == b.first; };
    std::sort(texts.begin(), texts.end(), byCol);
    texts.erase(std::unique(texts.begin(), texts.end(), sameCol), texts.end());
    changes.emplace_back(row, std::move(texts));
  }
  return PushChanges(std::move(changes), text);
}

bool SheetEditor::ReplaceInCell(int col, int row, const SheetFinder& finder, const QByteArray& with) {
  if (!Editable() || col < 0 || col >= grid_.ColCount() || row < grid_.FixedRows() ||
      row >= grid_.RowCount() || !grid_.Holds(with))
    return false;
  const QByteArrayView cell = grid_.CellView(col, row);
  if (!finder.Matches(cell)) return false;
  QByteArray replaced = finder.Replaced(cell, with);
  if (replaced == cell) return false;
  RowChanges changes(1);
  changes[0].first = row;
  changes[0].second.emplace_back(col, std::move(replaced));
  return PushChanges(std::move(changes), QStringLiteral("Replace")) > 0;
}

int SheetEditor::ReplaceAll(const SheetFinder& finder, const QByteArray& with) {
  if (!Editable() || !grid_.Holds(with)) return 0;
  RowChanges changes;
  for (int r = grid_.FixedRows(); r < grid_.RowCount(); ++r) {
    CellTexts row;
    for (int c = finder.FirstInRow(grid_, r, 0); c >= 0; c = finder.FirstInRow(grid_, r, c + 1)) {
      const QByteArrayView cell = grid_.CellView(c, r);
      QByteArray replaced = finder.Replaced(cell, with);
      if (replaced != cell) row.emplace_back(c, std::move(replaced));
    }
    if (!row.empty()) changes.emplace_back(r, std::move(row));
  }
  return PushChanges(std::move(changes), QStringLiteral("Replace All"));
}

void SheetEditor::ChangeSheet(const QString& text, SheetCell where, std::function<void(SheetGrid&)> change) {
  if (!Editable()) return;
  Push(new SheetSnapshotCommand(grid_, sink_, text, where, std::move(change)));
}

int SheetEditor::WriteCells(RowChanges changes, const QString& text) {
  if (!Editable()) return 0;
  for (const auto& [row, texts] : changes)
    if (row < grid_.FixedRows() || row >= grid_.RowCount() || texts.empty() || texts.front().first < 0 ||
        texts.back().first >= grid_.ColCount())
      return 0;
  return PushChanges(std::move(changes), text);
}

SheetEditor::PasteResult SheetEditor::PasteCells(int col, int row,
                                                 std::vector<std::vector<QByteArray>> block) {
  const int cols = grid_.ColCount();
  if (!Editable() || block.empty() || col < 0 || col >= cols || row < grid_.FixedRows() ||
      row > grid_.RowCount())
    return {};
  const int width = cols - col;
  PasteResult result;
  result.rows = int(block.size());
  result.addedRows = std::max(0, row + result.rows - grid_.RowCount());
  int widest = 0;
  for (auto& cells : block) {
    widest = std::max(widest, int(cells.size()));
    if (cells.size() > size_t(width)) cells.resize(size_t(width));
  }
  result.droppedCols = std::max(0, widest - width);

  std::vector<int> rows(size_t(result.rows));
  for (int i = 0; i < result.rows; ++i) rows[size_t(i)] = row + i;
  auto write = [block = std::move(block), col, row](SheetGrid& grid) {
    std::vector<QByteArrayView> views;
    for (size_t i = 0; i < block.size(); ++i) {
      views.assign(block[i].begin(), block[i].end());
      grid.SetRowCells(row + int(i), col, views);
    }
  };
  Push(new RowsPatchCommand(grid_, sink_, QStringLiteral("Paste"), std::move(rows), col,
                            col + std::max(1, std::min(widest, width)) - 1, write));
  return result;
}

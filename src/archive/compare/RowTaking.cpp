#include "archive/compare/RowTaking.h"

#include <algorithm>

#include "archive/compare/SheetLines.h"

namespace compare {
namespace {

// A row only there in this side's columns: each column takes the cell of
// its namesake there, empty where there is none. A line with the same
// columns is taken as it is.
QByteArray RowInOurColumns(const SheetDiff& diff, const RowChange& row) {
  const QByteArrayView line = diff.LinesThere()[size_t(row.rowThere)];
  const int colsHere = int(diff.headerHere.size());
  const int colsThere = int(diff.headerThere.size());
  bool same = colsHere == colsThere;
  for (int c = 0; same && c < colsHere; ++c) same = diff.thereColumnOf[size_t(c)] == c;
  if (same && line.count('\t') == colsHere - 1) return line.toByteArray();
  std::vector<QByteArrayView> cells;
  CellViews(line, colsThere, cells);
  QByteArray out;
  for (int c = 0; c < colsHere; ++c) {
    if (c > 0) out.append('\t');
    const int t = diff.thereColumnOf[size_t(c)];
    if (t >= 0) out.append(cells[size_t(t)]);
  }
  return out;
}

// The changed cells of one row written in one pass over it; the cells
// between them are passed on as they stand.
void WriteCells(SheetGrid& grid, int row, const std::vector<CellChange>& cells) {
  std::vector<const CellChange*> byCol;
  for (const CellChange& cell : cells) byCol.push_back(&cell);
  std::sort(byCol.begin(), byCol.end(), [](auto* x, auto* y) { return x->colHere < y->colHere; });
  const int first = byCol.front()->colHere;
  const int last = byCol.back()->colHere;
  std::vector<QByteArray> kept;  // the views below must not point into the row being replaced
  kept.reserve(size_t(last - first + 1));
  std::vector<QByteArrayView> texts;
  auto next = byCol.begin();
  for (int c = first; c <= last; ++c) {
    if (next != byCol.end() && (*next)->colHere == c) {
      texts.push_back((*next++)->after);
    } else {
      kept.push_back(grid.CellView(c, row).toByteArray());
      texts.push_back(kept.back());
    }
  }
  grid.SetRowCells(row, first, texts);
}

}  // namespace

int TakeRows(SheetGrid& grid, const SheetDiff& diff, std::vector<int> chosen) {
  std::sort(chosen.begin(), chosen.end());
  chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
  std::erase_if(chosen, [&](int i) { return i < 0 || i >= int(diff.rows.size()); });

  // Cells first: no row has moved yet. Then rows from the bottom up, so the
  // rows still to do keep their numbers; rows put in after a row come before
  // that row goes.
  struct RowStep {
    int at;  // the grid row it works at
    bool insert;
    QByteArray line;
  };
  std::vector<RowStep> steps;
  int changed = 0;
  for (int i : chosen) {
    const RowChange& row = diff.rows[size_t(i)];
    switch (row.state) {
      case RowState::Changed:
        if (row.cells.empty() || row.rowHere >= grid.RowCount()) break;
        WriteCells(grid, row.rowHere, row.cells);
        ++changed;
        break;
      case RowState::OnlyHere:
        steps.push_back({row.rowHere, false, {}});
        break;
      case RowState::OnlyThere:
        steps.push_back({row.anchorHere + 1, true, RowInOurColumns(diff, row)});
        break;
    }
  }
  // At one place the row taken out goes first (an insert there would
  // otherwise be taken out), and the rows put in go last one first, so they
  // end up in the other side's order.
  std::vector<size_t> order(steps.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t x, size_t y) {
    const RowStep& a = steps[x];
    const RowStep& b = steps[y];
    if (a.at != b.at) return a.at > b.at;
    if (a.insert != b.insert) return !a.insert;
    return x > y;
  });
  for (size_t i : order) {
    const RowStep& step = steps[i];
    if (step.insert) {
      grid.InsertRows(std::min(step.at, grid.RowCount()), {SheetGrid::RowData{step.line, true, {}}});
      ++changed;
    } else if (step.at > 0 && step.at < grid.RowCount() && grid.RowCount() > 1) {
      grid.RemoveRows(step.at, 1);
      ++changed;
    }
  }
  return changed;
}

}  // namespace compare

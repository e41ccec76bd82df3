#include "archive/compare/RowTaking.h"

#include <algorithm>

#include "archive/compare/SheetLines.h"

namespace compare {
namespace {

// A row there in this side's columns: each column takes the cell of
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
    int there;  // the row there an insert comes from
    QByteArray line;
  };
  std::vector<RowStep> steps;
  int changed = 0;
  for (int i : chosen) {
    const RowChange& row = diff.rows[size_t(i)];
    switch (row.state) {
      case RowState::Changed:
        if (row.moved) {
          // Taken out here and put in where it stands there, as it is there.
          steps.push_back({row.rowHere, false, 0, {}});
          steps.push_back({row.anchorHere + 1, true, row.rowThere, RowInOurColumns(diff, row)});
          ++changed;
        } else if (!row.cells.empty() && row.rowHere < grid.RowCount()) {
          WriteCells(grid, row.rowHere, row.cells);
          ++changed;
        }
        break;
      case RowState::OnlyHere:
        steps.push_back({row.rowHere, false, 0, {}});
        ++changed;
        break;
      case RowState::OnlyThere:
        steps.push_back({row.anchorHere + 1, true, row.rowThere, RowInOurColumns(diff, row)});
        ++changed;
        break;
    }
  }
  // At one place the row taken out goes first (an insert there would
  // otherwise be taken out), and the rows put in go last one first, so they
  // end up in the other side's order.
  std::sort(steps.begin(), steps.end(), [](const RowStep& a, const RowStep& b) {
    if (a.at != b.at) return a.at > b.at;
    if (a.insert != b.insert) return !a.insert;
    return a.there > b.there;
  });
  for (const RowStep& step : steps) {
    if (step.insert) {
      grid.InsertRows(std::min(step.at, grid.RowCount()), {SheetGrid::RowData{step.line, true, {}}});
    } else if (step.at > 0 && step.at < grid.RowCount()) {
      grid.RemoveRows(step.at, 1);
    }
  }
  return changed;
}

}  // namespace compare

#include "archive/compare/SheetDiff.h"

#include <QHash>
#include <algorithm>
#include <cstring>

#include "archive/compare/SheetLines.h"

namespace compare {
namespace {

bool SameView(QByteArrayView a, QByteArrayView b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), size_t(a.size())) == 0);
}

QList<QByteArray> HeaderOf(const std::vector<QByteArrayView>& lines) {
  if (lines.empty()) return {};
  return lines.front().toByteArray().split('\t');
}

// Columns matched by name; a name the header repeats matches in order.
void MatchColumns(SheetDiff& d) {
  QHash<QByteArray, std::vector<int>> there;
  for (int c = int(d.headerThere.size()) - 1; c >= 0; --c) there[d.headerThere.at(c)].push_back(c);
  d.thereColumnOf.assign(size_t(d.headerHere.size()), -1);
  for (int c = 0; c < int(d.headerHere.size()); ++c) {
    auto it = there.find(d.headerHere.at(c));
    if (it == there.end() || it->empty()) {
      d.columnsOnlyHere.push_back(c);
      continue;
    }
    d.thereColumnOf[size_t(c)] = it->back();
    it->pop_back();
  }
  for (auto it = there.cbegin(); it != there.cend(); ++it)
    d.columnsOnlyThere.insert(d.columnsOnlyThere.end(), it->begin(), it->end());
  std::sort(d.columnsOnlyThere.begin(), d.columnsOnlyThere.end());
}

struct Pair {
  int here;
  int there;
  int occurrence;
};

// Rows grouped by key, each group in order; the n-th of a group on one side
// goes with the n-th of the same group on the other.
struct KeyedRows {
  QHash<QByteArrayView, std::vector<int>> rows;
  std::vector<int> occurrence;  // by line
};

KeyedRows GroupByKey(const std::vector<QByteArrayView>& lines, int key, int cols) {
  KeyedRows keyed;
  keyed.rows.reserve(qsizetype(lines.size()));
  keyed.occurrence.assign(lines.size(), 0);
  for (int r = 1; r < int(lines.size()); ++r) {
    std::vector<int>& group = keyed.rows[CellView(lines[size_t(r)], key, cols)];
    group.push_back(r);
    keyed.occurrence[size_t(r)] = int(group.size());
  }
  return keyed;
}

// The pairs that keep their order: the longest run of pairs (by this side's
// row) whose rows there also ascend. The others moved.
void MarkMoved(const std::vector<Pair>& pairs, std::vector<bool>& moved) {
  moved.assign(pairs.size(), true);
  std::vector<int> tails;  // index of the pair ending the best run of each length
  std::vector<int> previous(pairs.size(), -1);
  for (int i = 0; i < int(pairs.size()); ++i) {
    const int value = pairs[size_t(i)].there;
    auto at = std::lower_bound(tails.begin(), tails.end(), value,
                               [&](int pair, int v) { return pairs[size_t(pair)].there < v; });
    if (at != tails.begin()) previous[size_t(i)] = *(at - 1);
    if (at == tails.end())
      tails.push_back(i);
    else
      *at = i;
  }
  for (int i = tails.empty() ? -1 : tails.back(); i >= 0; i = previous[size_t(i)]) moved[size_t(i)] = false;
}

}  // namespace

int SheetDiff::ChangedCells() const {
  int cells = 0;
  for (const RowChange& row : rows) cells += int(row.cells.size());
  return cells;
}

QByteArray SheetDiff::RowLabel(const RowChange& row) const {
  if (row.key.isEmpty())
    return "row " + QByteArray::number((row.rowHere >= 0 ? row.rowHere : row.rowThere) + 1);
  if (row.occurrence > 1) return row.key + '#' + QByteArray::number(row.occurrence);
  return row.key;
}

SheetDiff DiffSheets(const QByteArray& sheetName, const QByteArray& here, const QByteArray& there,
                     const KeyColumnProvider& keyColumn) {
  SheetDiff d;
  d.bytesHere_ = here;
  d.bytesThere_ = there;
  if (here == there) return d;
  d.linesHere_ = LineViews(d.bytesHere_);
  d.linesThere_ = LineViews(d.bytesThere_);
  const auto& a = d.linesHere_;
  const auto& b = d.linesThere_;
  d.headerHere = HeaderOf(a);
  d.headerThere = HeaderOf(b);
  const int colsHere = int(d.headerHere.size());
  const int colsThere = int(d.headerThere.size());
  MatchColumns(d);
  bool sameColumns = colsHere == colsThere;
  for (int c = 0; sameColumns && c < colsHere; ++c) sameColumns = d.thereColumnOf[size_t(c)] == c;

  // The key column, when the other side has a column of the same name.
  const int key = keyColumn ? keyColumn(sheetName, d.headerHere) : FirstColumnKey(sheetName, d.headerHere);
  if (key >= 0 && key < colsHere && d.thereColumnOf[size_t(key)] >= 0) {
    d.keyHere = key;
    d.keyThere = d.thereColumnOf[size_t(key)];
  }

  // Pairs in this side's order; the rows left over are only on one side.
  std::vector<Pair> pairs;
  std::vector<bool> matchedThere(b.size(), false);
  std::vector<int> occurrenceHere(a.size(), 1), occurrenceThere(b.size(), 1);
  std::vector<int> onlyHere;
  if (d.keyHere >= 0) {
    KeyedRows keyedHere = GroupByKey(a, d.keyHere, colsHere);
    const KeyedRows keyedThere = GroupByKey(b, d.keyThere, colsThere);
    for (int r = 1; r < int(a.size()); ++r) {
      occurrenceHere[size_t(r)] = keyedHere.occurrence[size_t(r)];
      const auto it = keyedThere.rows.constFind(CellView(a[size_t(r)], d.keyHere, colsHere));
      const size_t n = size_t(occurrenceHere[size_t(r)]) - 1;
      if (it == keyedThere.rows.cend() || n >= it->size()) {
        onlyHere.push_back(r);
        continue;
      }
      const int t = (*it)[n];
      matchedThere[size_t(t)] = true;
      pairs.push_back({r, t, occurrenceHere[size_t(r)]});
    }
    for (int r = 1; r < int(b.size()); ++r) occurrenceThere[size_t(r)] = keyedThere.occurrence[size_t(r)];
  } else {
    for (int r = 1; r < int(a.size()); ++r) {
      if (r < int(b.size())) {
        matchedThere[size_t(r)] = true;
        pairs.push_back({r, r, 1});
      } else {
        onlyHere.push_back(r);
      }
    }
  }
  std::vector<bool> moved;
  MarkMoved(pairs, moved);

  // Where each row there stands among the rows here that keep their place:
  // after the nearest such row above it (0: below the header).
  std::vector<int> pairOfThere(b.size(), -1);
  for (size_t i = 0; i < pairs.size(); ++i) pairOfThere[size_t(pairs[i].there)] = int(i);
  std::vector<int> anchorOfThere(b.size(), 0);
  for (int r = 1, anchor = 0; r < int(b.size()); ++r) {
    anchorOfThere[size_t(r)] = anchor;
    const int p = pairOfThere[size_t(r)];
    if (p >= 0 && !moved[size_t(p)]) anchor = pairs[size_t(p)].here;
  }

  auto keyOf = [&](const std::vector<QByteArrayView>& lines, int row, int k, int cols) {
    return k < 0 ? QByteArray() : CellView(lines[size_t(row)], k, cols).toByteArray();
  };

  // Each change with where it stands: this side's row, rows only there after
  // the row here that their nearest matched row above stands for.
  struct Placed {
    int at;
    int there;
    RowChange change;
  };
  std::vector<Placed> placed;
  std::vector<QByteArrayView> cellsHere, cellsThere;
  for (size_t i = 0; i < pairs.size(); ++i) {
    const Pair& p = pairs[i];
    const QByteArrayView lineHere = a[size_t(p.here)];
    const QByteArrayView lineThere = b[size_t(p.there)];
    RowChange change;
    change.rowHere = p.here;
    change.rowThere = p.there;
    change.moved = moved[i];
    change.anchorHere = anchorOfThere[size_t(p.there)];
    if (!sameColumns || !SameView(lineHere, lineThere)) {
      CellViews(lineHere, colsHere, cellsHere);
      CellViews(lineThere, colsThere, cellsThere);
      for (int c = 0; c < colsHere; ++c) {
        const int t = d.thereColumnOf[size_t(c)];
        if (t < 0 || SameView(cellsHere[size_t(c)], cellsThere[size_t(t)])) continue;
        change.cells.push_back(
            {c, t, cellsHere[size_t(c)].toByteArray(), cellsThere[size_t(t)].toByteArray()});
      }
    }
    if (change.cells.empty() && !change.moved) continue;
    change.key = keyOf(a, p.here, d.keyHere, colsHere);
    change.occurrence = p.occurrence;
    placed.push_back({p.here, 0, std::move(change)});
  }
  for (int r : onlyHere) {
    RowChange change;
    change.state = RowState::OnlyHere;
    change.rowHere = r;
    change.key = keyOf(a, r, d.keyHere, colsHere);
    change.occurrence = occurrenceHere[size_t(r)];
    placed.push_back({r, 0, std::move(change)});
  }
  for (int r = 1; r < int(b.size()); ++r) {
    if (matchedThere[size_t(r)]) continue;
    RowChange change;
    change.state = RowState::OnlyThere;
    change.rowThere = r;
    change.anchorHere = anchorOfThere[size_t(r)];
    change.key = keyOf(b, r, d.keyThere, colsThere);
    change.occurrence = occurrenceThere[size_t(r)];
    placed.push_back({change.anchorHere, r, std::move(change)});
  }
  std::stable_sort(placed.begin(), placed.end(), [](const Placed& x, const Placed& y) {
    return x.at != y.at ? x.at < y.at : x.there < y.there;
  });
  d.rows.reserve(placed.size());
  for (Placed& p : placed) d.rows.push_back(std::move(p.change));
  return d;
}

}  // namespace compare

#pragma once
// Two versions of a sheet compared cell by cell. Columns are matched by
// their header names (repeated names in order); rows by the sheet's key
// column, the n-th row with a key on one side to the n-th row with that key
// on the other, or by position when the sheet has no key column. Lines that
// are byte for byte the same are not split into cells at all.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <vector>

#include "archive/compare/KeyColumn.h"

namespace compare {

struct CellChange {
  int colHere = -1;
  int colThere = -1;
  QByteArray before;  // this side's text
  QByteArray after;   // the other side's text
};

enum class RowState { Changed, OnlyHere, OnlyThere };

struct RowChange {
  RowState state = RowState::Changed;
  int rowHere = -1;  // the line on this side (0 is the header); -1 when only there
  int rowThere = -1;
  // Where the row stands there, told by this side's rows that keep their
  // place: after this row (0: below the header). A row only there, or a
  // moved one, taken over goes in there.
  int anchorHere = 0;
  // Matched, but standing in another order among the matched rows.
  bool moved = false;
  QByteArray key;      // the key cell (empty when matched by position)
  int occurrence = 1;  // the n-th row with this key on its side
  std::vector<CellChange> cells;
};

class SheetDiff {
 public:
  QList<QByteArray> headerHere;
  QList<QByteArray> headerThere;
  int keyHere = -1;  // the key columns; -1 when rows are matched by position
  int keyThere = -1;
  std::vector<int> thereColumnOf;     // for each column here, its column there or -1
  std::vector<int> columnsOnlyHere;   // columns here
  std::vector<int> columnsOnlyThere;  // columns there
  std::vector<RowChange> rows;        // in this side's row order, rows only there where they stand there

  // The cells agree: the versions differ, if at all, only in bytes the
  // sheet's cells do not show (line ends, fields past the last column).
  bool CellsSame() const { return rows.empty() && columnsOnlyHere.empty() && columnsOnlyThere.empty(); }
  int ChangedCells() const;

  // The lines of both versions, views into bytes the diff keeps.
  const std::vector<QByteArrayView>& LinesHere() const { return linesHere_; }
  const std::vector<QByteArrayView>& LinesThere() const { return linesThere_; }

  // How a row is named in a report: its key, "#n" added for the n-th row of
  // a repeated key; "row n" (its line number) when it has no key.
  QByteArray RowLabel(const RowChange& row) const;

 private:
  friend SheetDiff DiffSheets(const QByteArray&, const QByteArray&, const QByteArray&,
                              const KeyColumnProvider&);
  QByteArray bytesHere_;
  QByteArray bytesThere_;
  std::vector<QByteArrayView> linesHere_;
  std::vector<QByteArrayView> linesThere_;
};

// sheetName is the entry's internal name, for the key column's provider
// (none: the first column).
SheetDiff DiffSheets(const QByteArray& sheetName, const QByteArray& here, const QByteArray& there,
                     const KeyColumnProvider& keyColumn = {});

}  // namespace compare

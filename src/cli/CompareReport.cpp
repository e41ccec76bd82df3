#include "cli/CompareReport.h"

#include "archive/compare/StringTableRows.h"
#include "cli/OutputText.h"
#include "platform/Ansi.h"

namespace cli {

QByteArray Shown(const QByteArray& bytes) {
  return ansi::toDisplay(bytes).toUtf8();
}

namespace {

// A string table's key or text as its editor shows it, on one line.
QByteArray StringCell(int column, const QByteArray& cell) {
  return DecodedLineText(compare::ShownStringCell(column, cell));
}

QByteArray RowShown(const compare::SheetDiff& diff, const compare::RowChange& row, bool stringTable) {
  if (!stringTable || row.key.isEmpty()) return Shown(diff.RowLabel(row));
  QByteArray label = StringCell(compare::kStringKeyColumn, row.key);
  if (row.occurrence > 1) label += '#' + QByteArray::number(row.occurrence);
  return label;
}

}  // namespace

QList<QByteArray> SheetReport(const QByteArray& name, const compare::SheetDiff& diff, bool stringTable) {
  using compare::RowState;
  const auto cellShown = [stringTable](int column, const QByteArray& cell) {
    return stringTable ? StringCell(column, cell) : Shown(cell);
  };
  const QByteArray sheet = Shown(name);
  QList<QByteArray> lines;
  for (int c : diff.columnsOnlyHere) lines << "- column " + sheet + ':' + Shown(diff.headerHere.at(c));
  for (int c : diff.columnsOnlyThere) lines << "+ column " + sheet + ':' + Shown(diff.headerThere.at(c));
  for (const compare::RowChange& row : diff.rows) {
    const QByteArray at = sheet + ':' + RowShown(diff, row, stringTable);
    switch (row.state) {
      case RowState::OnlyHere:
        lines << "- " + at;
        break;
      case RowState::OnlyThere:
        lines << "+ " + at;
        break;
      case RowState::Changed:
        if (row.moved)
          lines << "moved " + at + ": row " + QByteArray::number(row.rowHere + 1) + " -> " +
                       QByteArray::number(row.rowThere + 1);
        for (const compare::CellChange& cell : row.cells)
          lines << at + ':' + Shown(diff.headerHere.at(cell.colHere)) + ": " +
                       cellShown(cell.colHere, cell.before) + " -> " + cellShown(cell.colHere, cell.after);
        break;
    }
  }
  if (diff.CellsSame())
    lines << sheet + ": same cells; the bytes differ outside them (line ends, text past the last column)";
  return lines;
}

QList<QByteArray> BytesReport(const QByteArray& name, const compare::ByteDifference& diff) {
  QByteArray line = Shown(name) + ": " + QByteArray::number(diff.sizeHere) + " -> " +
                    QByteArray::number(diff.sizeThere) + " bytes";
  if (diff.firstDifference >= 0)
    line += ", first difference at byte " + QByteArray::number(diff.firstDifference);
  return {line};
}

}  // namespace cli

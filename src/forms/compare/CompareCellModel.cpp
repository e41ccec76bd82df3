#include "forms/compare/CompareCellModel.h"

#include "platform/Ansi.h"

int CompareCellModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(diff_.rows.size());
}

int CompareCellModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QString CompareCellModel::ChangeText(const compare::RowChange& row) {
  switch (row.state) {
    case compare::RowState::OnlyHere:
      return QStringLiteral("only here");
    case compare::RowState::OnlyThere:
      return QStringLiteral("only there");
    case compare::RowState::Changed:
      break;
  }
  return row.moved ? QStringLiteral("moved") : QStringLiteral("changed");
}

QString CompareCellModel::CellsText(const compare::RowChange& row) const {
  QStringList cells;
  for (const compare::CellChange& cell : row.cells)
    cells << QStringLiteral("%1: %2 \u2192 %3")
                 .arg(ansi::toDisplay(diff_.headerHere.at(cell.colHere)), ansi::toDisplay(cell.before),
                      ansi::toDisplay(cell.after));
  return cells.join(QStringLiteral("; "));
}

QString CompareCellModel::ColumnsText() const {
  QStringList parts;
  for (int c : diff_.columnsOnlyHere)
    parts << QStringLiteral("column only here: %1").arg(ansi::toDisplay(diff_.headerHere.at(c)));
  for (int c : diff_.columnsOnlyThere)
    parts << QStringLiteral("column only there: %1").arg(ansi::toDisplay(diff_.headerThere.at(c)));
  return parts.join(QStringLiteral("; "));
}

QVariant CompareCellModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= int(diff_.rows.size())) return {};
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const compare::RowChange& row = diff_.rows[size_t(index.row())];
  switch (index.column()) {
    case RowColumn:
      return ansi::toDisplay(diff_.RowLabel(row));
    case ChangeColumn:
      return ChangeText(row);
    default:
      return CellsText(row);
  }
}

QVariant CompareCellModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[] = {"Row", "Change", "Cells"};
  return QString::fromLatin1(kTitles[section]);
}

void CompareCellModel::SetDiff(compare::SheetDiff diff) {
  beginResetModel();
  diff_ = std::move(diff);
  endResetModel();
}

void CompareCellModel::Clear() {
  SetDiff(compare::SheetDiff());
}

#include "forms/compare/CompareCellModel.h"

#include "archive/compare/StringTableRows.h"
#include "archive/strings/StringText.h"
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

QString CompareCellModel::CellText(int column, const QByteArray& cell) const {
  if (!stringTable_) return ansi::toDisplay(cell);
  return stringtext::OnOneLine(compare::ShownStringCell(column, cell));
}

QString CompareCellModel::RowText(const compare::RowChange& row) const {
  if (!stringTable_ || row.key.isEmpty()) return ansi::toDisplay(diff_.RowLabel(row));
  QString text = CellText(compare::kStringKeyColumn, row.key);
  if (row.occurrence > 1) text += QStringLiteral("#%1").arg(row.occurrence);
  return text;
}

QString CompareCellModel::CellsText(const compare::RowChange& row) const {
  QStringList cells;
  for (const compare::CellChange& cell : row.cells)
    cells << QStringLiteral("%1: %2 \u2192 %3")
                 .arg(ansi::toDisplay(diff_.headerHere.at(cell.colHere)), CellText(cell.colHere, cell.before),
                      CellText(cell.colHere, cell.after));
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
      return RowText(row);
    case ChangeColumn:
      return ChangeText(row);
    default:
      return CellsText(row);
  }
}

QVariant CompareCellModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  const bool named = section == CellsColumn && !here_.isEmpty();
  if (role == Qt::ToolTipRole && named)
    return QStringLiteral("Each changed cell as column: its text in this mod (%1) \u2192 its text there (%2)")
        .arg(here_, there_);
  if (role != Qt::DisplayRole) return {};
  if (named) return QStringLiteral("Cells: %1 \u2192 %2").arg(here_, there_);
  static const char* const kTitles[] = {"Row", "Change", "Cells"};
  return QString::fromLatin1(kTitles[section]);
}

void CompareCellModel::SetDiff(compare::SheetDiff diff, bool stringTable) {
  beginResetModel();
  diff_ = std::move(diff);
  stringTable_ = stringTable;
  endResetModel();
}

void CompareCellModel::SetSides(const QString& here, const QString& there) {
  here_ = here;
  there_ = there;
  emit headerDataChanged(Qt::Horizontal, CellsColumn, CellsColumn);
}

void CompareCellModel::Clear() {
  SetDiff(compare::SheetDiff());
}

#include "SheetGridModel.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <QStringList>
#include <algorithm>

#include "archive/sheetedit/SheetEditor.h"
#include "archive/strings/StringLookup.h"
#include "archive/strings/StringText.h"
#include "platform/Ansi.h"

SheetGridModel::SheetGridModel(SheetGrid* grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {}

int SheetGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_->RowCount() - grid_->FixedRows();
}

int SheetGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_->ColCount();
}

bool SheetGridModel::CellChanged(const QModelIndex& index) const {
  return index.isValid() && changed_.Changed(*grid_, index.column(), index.row() + grid_->FixedRows());
}

QVariant SheetGridModel::data(const QModelIndex& index, int role) const {
  if (role == Qt::BackgroundRole) {
    if (!CellChanged(index)) return {};
    // The selection colour, faint: it shows on light and dark themes alike.
    QColor tint = QGuiApplication::palette().color(QPalette::Highlight);
    tint.setAlpha(64);
    return tint;
  }
  if (index.isValid() && role == Qt::ToolTipRole && strings_) {
    const QByteArray cell = grid_->Cell(index.column(), index.row() + grid_->FixedRows());
    const QByteArray* text = cell.isEmpty() ? nullptr : strings_->Find(cell);
    return text ? QVariant(stringtext::ToDisplay(*text)) : QVariant();
  }
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  return ansi::toDisplay(grid_->Cell(index.column(), index.row() + grid_->FixedRows()));
}

bool SheetGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || (role != Qt::EditRole && role != Qt::DisplayRole)) return false;
  const int col = index.column();
  const int row = index.row() + grid_->FixedRows();
  const QByteArray bytes = ansi::fromDisplay(value.toString());
  // The editor commits on every keystroke; an unchanged text is no change.
  if (bytes == grid_->Cell(col, row)) return true;
  // A TAB or a line end would split the cell when the sheet is saved.
  if (!SheetGrid::CanHold(bytes)) return false;
  if (editor_) return editor_->TypeCell(col, row, bytes);
  if (!grid_->SetCell(col, row, bytes)) return false;
  emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
  return true;
}

QVariant SheetGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Vertical) {
    // Each row's line number in the file, the header line being 1, so a line
    // named elsewhere (a finding of Check Mod) is found by eye.
    if (role == Qt::DisplayRole) return section + grid_->FixedRows() + 1;
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
  }
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  if (section == markedHeader_ && role == Qt::FontRole) {
    QFont font;
    font.setBold(true);
    return font;
  }
  if (section == markedHeader_ && role == Qt::BackgroundRole)
    return QGuiApplication::palette().brush(QPalette::Highlight);
  if (section == markedHeader_ && role == Qt::ForegroundRole)
    return QGuiApplication::palette().brush(QPalette::HighlightedText);
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  if (grid_->FixedRows() == 1) return ansi::toDisplay(grid_->Cell(section, 0));
  QStringList lines;
  for (int r = 0; r < grid_->FixedRows(); ++r) lines << ansi::toDisplay(grid_->Cell(section, r));
  return lines.join(QLatin1Char('\n'));
}

bool SheetGridModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                                   int role) {
  if (orientation != Qt::Horizontal || (role != Qt::EditRole && role != Qt::DisplayRole)) return false;
  if (section < 0 || section >= grid_->ColCount() || grid_->FixedRows() == 0) return false;
  if (grid_->FixedRows() == 1) {
    const QByteArray bytes = ansi::fromDisplay(value.toString());
    if (!SheetGrid::CanHold(bytes)) return false;
    grid_->SetCell(section, 0, bytes);
    emit headerDataChanged(orientation, section, section);
    return true;
  }
  const QStringList lines = value.toString().split(QLatin1Char('\n'));
  for (const QString& line : lines)
    if (!SheetGrid::CanHold(ansi::fromDisplay(line))) return false;
  for (int r = 0; r < grid_->FixedRows(); ++r)
    grid_->SetCell(section, r, r < lines.size() ? ansi::fromDisplay(lines.at(r)) : QByteArray());
  emit headerDataChanged(orientation, section, section);
  return true;
}

Qt::ItemFlags SheetGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

void SheetGridModel::SetMarkedHeader(int col) {
  if (col == markedHeader_) return;
  const int old = markedHeader_;
  markedHeader_ = col;
  for (int section : {old, col})
    if (section >= 0 && section < grid_->ColCount()) emit headerDataChanged(Qt::Horizontal, section, section);
}

void SheetGridModel::CellsChanged(int firstRow, int lastRow, int firstCol, int lastCol) {
  const int fixed = grid_->FixedRows();
  lastCol = std::min(lastCol, grid_->ColCount() - 1);
  lastRow = std::min(lastRow, grid_->RowCount() - 1);
  if (firstCol > lastCol || firstRow > lastRow) return;
  if (firstRow < fixed) emit headerDataChanged(Qt::Horizontal, firstCol, lastCol);
  if (lastRow >= fixed)
    emit dataChanged(index(std::max(firstRow, fixed) - fixed, firstCol), index(lastRow - fixed, lastCol),
                     {Qt::DisplayRole, Qt::EditRole});
}

void SheetGridModel::EndReset() {
  changed_.Rematch(*grid_);
  endResetModel();
}

void SheetGridModel::BeginRows(bool insert, int at, int count) {
  rowsAt_ = at;
  rowsCount_ = count;
  const int fixed = grid_->FixedRows();
  rowsReset_ = at < fixed;
  if (rowsReset_)
    beginResetModel();
  else if (insert)
    beginInsertRows({}, at - fixed, at - fixed + count - 1);
  else
    beginRemoveRows({}, at - fixed, at - fixed + count - 1);
}

void SheetGridModel::EndRows(bool insert) {
  if (insert)
    changed_.RowsInserted(rowsAt_, rowsCount_);
  else
    changed_.RowsRemoved(rowsAt_, rowsCount_);
  if (rowsReset_)
    endResetModel();
  else if (insert)
    endInsertRows();
  else
    endRemoveRows();
}

#include "forms/edit/strings/StringTableModel.h"

#include <algorithm>

#include "archive/strings/StringTableEditor.h"

int StringTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !editor_ ? 0 : editor_->Count();
}

int StringTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 3;
}

QVariant StringTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !editor_ || index.row() >= editor_->Count()) return {};
  if (index.column() == kNumberCol) {
    if (role == Qt::DisplayRole) return index.row();
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
  }
  const int col = EditorCol(index.column());
  if (role == Qt::EditRole) return editor_->Shown(col, index.row());
  if (role == Qt::DisplayRole) return stringtext::OnOneLine(editor_->Shown(col, index.row()));
  if (role == Qt::ToolTipRole && col == StringTableEditor::kTextCol &&
      editor_->Text(index.row()).contains('\n'))
    return editor_->Shown(col, index.row());
  return {};
}

bool StringTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || !editor_ || index.column() == kNumberCol || role != Qt::EditRole) return false;
  const int col = EditorCol(index.column());
  const QByteArray bytes = editor_->FromShown(col, index.row(), value.toString());
  if (bytes == editor_->Cell(col, index.row())) return true;
  editor_->Type(col, index.row(), bytes);
  editor_->EndTyping();
  return true;
}

QVariant StringTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kNames[] = {"#", "Key", "Text"};
  return section >= 0 && section < 3 ? QString::fromLatin1(kNames[section]) : QVariant();
}

Qt::ItemFlags StringTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  return index.column() == kNumberCol ? flags : flags | Qt::ItemIsEditable;
}

void StringTableModel::CellsChanged(int firstRow, int lastRow, int firstCol, int lastCol) {
  const int first = std::max(firstRow - 1, 0);
  const int last = std::min(lastRow - 1, rowCount() - 1);
  if (last < first) return;
  emit dataChanged(index(first, ModelCol(firstCol)), index(last, ModelCol(lastCol)));
}

void StringTableModel::BeginInsertRows(int at, int count) {
  beginInsertRows({}, at - 1, at - 1 + count - 1);
}

void StringTableModel::BeginRemoveRows(int at, int count) {
  beginRemoveRows({}, at - 1, at - 1 + count - 1);
}

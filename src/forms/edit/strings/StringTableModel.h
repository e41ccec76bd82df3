#pragma once
// A table model over a string table being edited: one row per string in
// table order, columns "#" (its position), "Key" and "Text". Keys show as
// Windows-1252, texts as UTF-8; a line end inside a key or text shows as a
// mark in the cell (the cell editor holds the real line ends). Typed text
// goes to the table's editor as one undoable step per cell.
#include <QAbstractTableModel>

#include "archive/sheetedit/SheetChangeSink.h"
#include "archive/strings/StringText.h"

class StringTableEditor;

class StringTableModel : public QAbstractTableModel, public SheetChangeSink {
  Q_OBJECT
 public:
  static constexpr int kNumberCol = 0;
  // Model columns past "#" are the editor's columns plus one.
  static int EditorCol(int modelCol) { return modelCol - 1; }
  static int ModelCol(int editorCol) { return editorCol + 1; }
  // What a line end shows as in a cell.
  static constexpr QChar kLineEndMark = stringtext::kLineEndMark;

  void SetEditor(StringTableEditor* editor) { editor_ = editor; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // SheetChangeSink, in the editor's grid rows (row 0 is the header there).
  void CellsChanged(int firstRow, int lastRow, int firstCol, int lastCol) override;
  void BeginInsertRows(int at, int count) override;
  void EndInsertRows() override { endInsertRows(); }
  void BeginRemoveRows(int at, int count) override;
  void EndRemoveRows() override { endRemoveRows(); }
  void BeginReset() override { beginResetModel(); }
  void EndReset() override { endResetModel(); }

 private:
  StringTableEditor* editor_ = nullptr;
};

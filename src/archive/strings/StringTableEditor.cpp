#include "StringTableEditor.h"

#include <algorithm>

#include "archive/strings/StringClipboard.h"
#include "archive/strings/StringFinder.h"
#include "archive/strings/StringTableCodec.h"
#include "archive/strings/StringText.h"
#include "platform/Ansi.h"

StringTableEditor::StringTableEditor(SheetChangeSink& sink) : sink_(sink), editor_(grid_, sink) {
  // Texts hold line ends (and may hold TABs): the grid keeps them, as it is
  // only ever written back as a string table.
  grid_.SetFreeText(true);
}

void StringTableEditor::Load(const StringTable& table) {
  stringtable::TableViews views;
  views.slotCount = table.slotCount;
  views.version = table.version;
  views.strings.reserve(table.strings.size());
  for (const TableString& s : table.strings) views.strings.emplace_back(s.key, s.text);
  Load(views);
}

void StringTableEditor::Load(const stringtable::TableViews& table) {
  Load(QByteArray(), table);
}

void StringTableEditor::Load(const QByteArray& bytes, const stringtable::TableViews& table) {
  sink_.BeginReset();
  grid_.SetFixedRows(0);
  grid_.SetColCount(2);
  grid_.SetRowCount(1);  // the rows below start empty
  // No row points into the old bytes now (the header row is a copy), and
  // the history that held copies of rows is started afresh below. The rows
  // point into the new bytes without a reference each: counting 65,535 of
  // them up and down again costs more than the rest of the load.
  source_ = bytes;
  // Bytes that are themselves raw could go with their owner: kept as a copy
  // (which the views do not point into, so every string is copied).
  if (!source_.data_ptr().d_ptr()) source_ = QByteArray(bytes.constData(), bytes.size());
  const QByteArray raw = QByteArray::fromRawData(source_.constData(), source_.size());
  grid_.SetRowCount(int(table.strings.size()) + 1);
  grid_.SetRowCells(0, 0, {QByteArrayView("Key"), QByteArrayView("Text")});
  if (grid_.RowCount() > 1) grid_.SetFixedRows(1);
  std::vector<QByteArrayView> cells(2);
  for (size_t i = 0; i < table.strings.size(); ++i) {
    cells[0] = table.strings[i].first;
    cells[1] = table.strings[i].second;
    if (!grid_.ShareRowCells(GridRow(int(i)), raw, cells)) grid_.SetRowCells(GridRow(int(i)), 0, cells);
  }
  grid_.SetEnabled(true);
  slots_ = table.slotCount;
  version_ = table.version;
  sink_.EndReset();
  editor_.NewHistory();
}

StringTable StringTableEditor::Table() const {
  StringTable table;
  table.slotCount = slots_;
  table.version = version_;
  table.strings.resize(size_t(Count()));
  for (int i = 0; i < Count(); ++i) {
    table.strings[size_t(i)].key = Key(i).toByteArray();
    table.strings[size_t(i)].text = Text(i).toByteArray();
  }
  return table;
}

stringtable::TableViews StringTableEditor::Views() const {
  stringtable::TableViews views;
  views.slotCount = slots_;
  views.version = version_;
  views.strings.reserve(size_t(Count()));
  for (int i = 0; i < Count(); ++i) views.strings.emplace_back(Key(i), Text(i));
  return views;
}

QByteArray StringTableEditor::Bytes() const {
  return stringtable::Write(Views());
}

QString StringTableEditor::Shown(int col, int index) const {
  const QByteArrayView cell = Cell(col, index);
  return col == kKeyCol ? ansi::toDisplay(cell.data(), cell.size()) : stringtext::ToDisplay(cell);
}

QByteArray StringTableEditor::FromShown(int col, int index, const QString& shown) const {
  if (col == kKeyCol) return ansi::fromDisplay(shown);
  return stringtext::FromDisplay(shown, stringtext::Escaped(Cell(col, index)));
}

StringCell StringTableEditor::Undo() {
  const SheetCell cell = editor_.Undo();
  return {cell.col, cell.row < 0 ? -1 : std::max(0, cell.row - 1)};
}

StringCell StringTableEditor::Redo() {
  const SheetCell cell = editor_.Redo();
  return {cell.col, cell.row < 0 ? -1 : std::max(0, cell.row - 1)};
}

void StringTableEditor::Type(int col, int index, const QByteArray& bytes) {
  if (index < 0 || index >= Count()) return;
  editor_.TypeCell(col, GridRow(index), bytes);
}

std::vector<int> StringTableEditor::GridRows(const std::vector<int>& indexes) {
  std::vector<int> rows;
  rows.reserve(indexes.size());
  for (int i : indexes)
    if (i >= 0) rows.push_back(GridRow(i));
  return rows;
}

int StringTableEditor::InsertString(int at) {
  const int row = editor_.InsertRow(GridRow(std::clamp(at, 0, Count())));
  return row < 0 ? -1 : row - 1;
}

bool StringTableEditor::DuplicateStrings(const std::vector<int>& indexes) {
  return editor_.DuplicateRows(GridRows(indexes));
}

bool StringTableEditor::DeleteStrings(const std::vector<int>& indexes) {
  return editor_.DeleteRows(GridRows(indexes));
}

QString StringTableEditor::Copy(int firstCol, int first, int lastCol, int last) const {
  firstCol = std::max(firstCol, 0);
  lastCol = std::min(lastCol, kTextCol);
  first = std::max(first, 0);
  last = std::min(last, Count() - 1);
  std::vector<QStringList> rows;
  for (int i = first; i <= last; ++i) {
    QStringList row;
    for (int c = firstCol; c <= lastCol; ++c) row << Shown(c, i);
    rows.push_back(row);
  }
  return stringclipboard::FromRows(rows);
}

SheetEditor::PasteResult StringTableEditor::Paste(int col, int index, const QString& text) {
  if (col < 0 || col > kTextCol || index < 0 || index > Count()) return {};
  const std::vector<QStringList> rows = stringclipboard::Rows(text);
  std::vector<std::vector<QByteArray>> block(rows.size());
  for (size_t r = 0; r < rows.size(); ++r) {
    const int at = index + int(r);
    for (qsizetype c = 0; c < rows[r].size() && col + c <= kTextCol; ++c) {
      const int column = col + int(c);
      // A string added by the paste has no stored bytes to be shown by.
      block[r].push_back(at < Count()        ? FromShown(column, at, rows[r][c])
                         : column == kKeyCol ? ansi::fromDisplay(rows[r][c])
                                             : rows[r][c].toUtf8());
    }
  }
  SheetEditor::PasteResult result = editor_.PasteCells(col, GridRow(index), std::move(block));
  if (!rows.empty()) {
    int widest = 0;
    for (const QStringList& row : rows) widest = std::max(widest, int(row.size()));
    result.droppedCols = std::max(0, widest - (kTextCol + 1 - col));
  }
  return result;
}

int StringTableEditor::Clear(int firstCol, int first, int lastCol, int last) {
  SheetRect rect{std::max(firstCol, 0), GridRow(std::max(first, 0)), std::min(lastCol, kTextCol),
                 GridRow(last)};
  return editor_.FillCells({rect}, QByteArray(), QStringLiteral("Delete"));
}

bool StringTableEditor::ReplaceInCell(int col, int index, const StringFinder& finder, const QString& with) {
  if (col < 0 || col > kTextCol || index < 0 || index >= Count()) return false;
  const QByteArrayView cell = Cell(col, index);
  if (!finder.Matches(col, cell)) return false;
  QByteArray replaced = finder.Replaced(col, cell, with);
  if (replaced == cell) return false;
  SheetEditor::RowChanges changes{{GridRow(index), {{col, std::move(replaced)}}}};
  return editor_.WriteCells(std::move(changes), QStringLiteral("Replace")) > 0;
}

int StringTableEditor::ReplaceAll(const StringFinder& finder, const QString& with) {
  SheetEditor::RowChanges changes;
  for (int i = 0; i < Count(); ++i) {
    SheetEditor::CellTexts row;
    for (int c = kKeyCol; c <= kTextCol; ++c) {
      const QByteArrayView cell = Cell(c, i);
      if (!finder.Matches(c, cell)) continue;
      QByteArray replaced = finder.Replaced(c, cell, with);
      if (replaced != cell) row.emplace_back(c, std::move(replaced));
    }
    if (!row.empty()) changes.emplace_back(GridRow(i), std::move(row));
  }
  return editor_.WriteCells(std::move(changes), QStringLiteral("Replace All"));
}

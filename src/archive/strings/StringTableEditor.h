#pragma once
// A string table being edited: its strings held as a two-column grid (Key,
// Text) below a fixed header row, every change an undoable step of the
// sheet editor's history. Strings are addressed by their position in the
// table (index 0 is the first string, grid row 1); the sink hears of
// changes in grid rows. Texts and keys stay bytes; the display forms come
// in and out only through Copy, Paste and Replace.
#include <QByteArray>
#include <QString>
#include <vector>

#include "archive/SheetGrid.h"
#include "archive/sheetedit/SheetChangeSink.h"
#include "archive/sheetedit/SheetEditor.h"
#include "archive/strings/StringTable.h"
#include "archive/strings/StringTableCodec.h"

class StringFinder;

struct StringCell {
  int col = -1;
  int index = -1;  // -1: no step was undone or redone
};

class StringTableEditor {
 public:
  static constexpr int kKeyCol = 0;
  static constexpr int kTextCol = 1;
  static int GridRow(int index) { return index + 1; }

  // The sink must outlive the editor.
  explicit StringTableEditor(SheetChangeSink& sink);

  // The table shown afresh: a new history, nothing modified.
  void Load(const StringTable& table);
  void Load(const stringtable::TableViews& table);
  // The same for views into `bytes` (as ReadViews gives them): a string
  // whose text follows its key's NUL, as in every table written in order,
  // is not copied but read from those bytes, which the editor keeps until
  // the next Load.
  void Load(const QByteArray& bytes, const stringtable::TableViews& table);
  StringTable Table() const;
  // What Save writes (raises AppError for what the format cannot hold).
  QByteArray Bytes() const;

  int Count() const { return grid_.RowCount() - 1; }
  QByteArrayView Cell(int col, int index) const { return grid_.CellView(col, GridRow(index)); }
  QByteArrayView Key(int index) const { return Cell(kKeyCol, index); }
  QByteArrayView Text(int index) const { return Cell(kTextCol, index); }
  // A cell as shown and typed: keys as Windows-1252, texts as UTF-8 (with
  // escapes for a text that is not valid UTF-8).
  QString Shown(int col, int index) const;
  // The bytes typed text stands for in this cell.
  QByteArray FromShown(int col, int index, const QString& shown) const;

  const SheetGrid& Grid() const { return grid_; }
  SheetEditor& Editor() { return editor_; }
  const SheetEditor& Editor() const { return editor_; }

  // ---- History
  bool Modified() const { return editor_.Modified(); }
  void MarkSaved() { editor_.SetModified(false); }
  StringCell Undo();
  StringCell Redo();

  // ---- Typing: one step per cell and typing session.
  void Type(int col, int index, const QByteArray& bytes);
  void EndTyping() { editor_.EndTyping(); }

  // ---- Strings
  // An empty string before `at` (Count appends); where it went.
  int InsertString(int at);
  bool DuplicateStrings(const std::vector<int>& indexes);
  bool DeleteStrings(const std::vector<int>& indexes);

  // ---- Blocks (columns firstCol..lastCol of strings first..last)
  QString Copy(int firstCol, int first, int lastCol, int last) const;
  // Strings past the last are added; columns past Text are dropped.
  SheetEditor::PasteResult Paste(int col, int index, const QString& text);
  // Every cell in the block emptied, one step; the number that changed.
  int Clear(int firstCol, int first, int lastCol, int last);

  // ---- Replace
  bool ReplaceInCell(int col, int index, const StringFinder& finder, const QString& with);
  int ReplaceAll(const StringFinder& finder, const QString& with);

 private:
  static std::vector<int> GridRows(const std::vector<int>& indexes);
  stringtable::TableViews Views() const;

  SheetChangeSink& sink_;
  // The loaded bytes the grid's rows point into (declared before the grid,
  // so they outlive it).
  QByteArray source_;
  SheetGrid grid_;
  SheetEditor editor_;
  uint32_t slots_ = 0;
  uint8_t version_ = 0;
};

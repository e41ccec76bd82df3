#pragma once
// What the Edit page shows for a string table (.tbl): the strings in a grid
// (`grdStrings`) and, under it, the current string's text as the game
// colours it (`txtStringPreview`). The Edit toolbar's commands, the find bar
// and Save reach the table through this page while it is shown.
#include <QString>
#include <QWidget>
#include <vector>

#include "archive/sheetedit/SheetEditor.h"
#include "archive/strings/StringTableEditor.h"
#include "forms/edit/strings/StringTableModel.h"

class QTableView;
class QTextEdit;

class StringTablePage : public QWidget {
  Q_OBJECT
 public:
  explicit StringTablePage(QWidget* parent = nullptr);

  QTableView* Grid() const { return grid_; }
  QTextEdit* Preview() const { return preview_; }
  StringTableEditor& Editor() { return editor_; }
  const StringTableEditor& Editor() const { return editor_; }

  // A table shown afresh (a new history), or none: the page empty and
  // disabled. Active while a table is shown.
  // The views lie in bytes (see StringTableEditor::Load).
  void ShowTable(const QByteArray& bytes, const stringtable::TableViews& table);
  void ClearTable();
  bool Active() const { return active_; }

  bool Modified() const { return active_ && editor_.Modified(); }
  void SetModified(bool modified) { editor_.Editor().SetModified(modified); }
  // The text of a cell editor still open taken into the table, as Enter
  // would, before the table is written.
  void CommitEdit();
  // The open cell editor's text taken in, and the editor closed.
  void CloseEditor();

  // ---- The Edit toolbar's commands
  void Undo();
  void Redo();
  void InsertRow();
  void DuplicateRows();
  void DeleteRows();
  void Copy();
  void Cut();
  void Paste();
  void ClearCells();
  // The result for the status bar (empty: nothing to say).
  QString Find(const QString& text, FindOptions options, bool forward);
  QString Replace(const QString& text, const QString& with, FindOptions options);
  QString ReplaceAll(const QString& text, const QString& with, FindOptions options);

 signals:
  // A table was shown, or the page emptied.
  void activeChanged();

 protected:
  // A character typed on a cell opens its editor with the text replaced,
  // as spreadsheets do.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Block {
    int firstCol = 0, first = 0, lastCol = -1, last = -1;  // editor columns, string indexes
  };
  // The selected cells' bounds (the current cell when none); last < first
  // when there is nothing.
  Block Selected() const;
  std::vector<int> SelectedIndexes() const;
  int CurrentIndex() const;
  int CurrentCol() const;  // an editor column, -1 on "#"
  void ShowString(int col, int index);
  void UpdatePreview();
  // The preview of a text, as the game colours it.
  void ShowPreview(QByteArrayView text);

  StringTableModel model_;
  StringTableEditor editor_;
  QTableView* grid_;
  QTextEdit* preview_;
  bool active_ = false;
};

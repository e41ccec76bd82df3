#pragma once
// The line editor the sheet grid's cells are edited in. Text that would come
// into it from outside (Paste from its context menu or by key, a middle-click
// paste, a drop) is first offered to a hook, which may take it instead: a
// block goes to the grid as cells and rows, a value no cell may hold is
// refused. A change that came some other way and brings in a control
// character is offered too, and undone when the hook takes it.
#include <QClipboard>
#include <QLineEdit>
#include <functional>

class CellLineEdit : public QLineEdit {
  Q_OBJECT
 public:
  // True: the hook took (or refused) the text; the editor's text stays.
  using InsertHook = std::function<bool(const QString& text)>;

  CellLineEdit(QWidget* parent, InsertHook hook);

  // The cell's text, put in by the grid (not a change by the user).
  void SetCellText(const QString& text);
  // Whether the grid has put a cell's text in yet.
  bool Filled() const { return filled_; }

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // Whether the hook takes the clipboard's text (of that mode).
  bool HookTakes(QClipboard::Mode mode);
  void Edited(const QString& text);

  InsertHook hook_;
  // The text as it stood before the last change, to put back a refused one.
  QString before_;
  bool filled_ = false;
};

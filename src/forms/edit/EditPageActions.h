#pragma once
// The Edit page's editing commands beside Save and Import: undo and redo,
// rows, blocks through the clipboard, find and replace, the frozen first
// column. It puts their buttons on the Edit toolbar, their keys on the page
// only (other pages keep theirs) and their items in the grid's context menu,
// and carries each out through the sheet's editor.
#include <QObject>
#include <functional>

class EditPageFind;
class EditPageGrid;
class QAction;
class QKeyEvent;
class QLineEdit;
class QMenu;
class QToolButton;
class SheetFindBar;
class TfrmMain;

class EditPageActions : public QObject {
  Q_OBJECT
 public:
  // Runs a command under its handler name, as the window runs its own.
  using Runner = std::function<void(const char* name, const std::function<void()>& command)>;

  EditPageActions(TfrmMain& window, Runner run);

  QAction *mniSheetUndo, *mniSheetRedo, *mniSheetInsertRow, *mniSheetDuplicateRow, *mniSheetDeleteRow;
  QAction *mniSheetCut, *mniSheetCopy, *mniSheetPaste, *mniSheetClear;
  QAction *actSheetFind, *actSheetReplace, *actSheetFindNext, *actSheetFindPrevious, *actSheetFindClose;
  QAction* actSheetFreezeColumn;
  QToolButton *tbSheetUndo, *tbSheetRedo, *tbSheetInsertRow, *tbSheetDuplicateRow, *tbSheetDeleteRow;
  QToolButton* tbSheetFreezeColumn;
  QMenu* mnuSheetGrid;
  SheetFindBar* FindBar;

  // ---- The commands
  void Undo();
  void Redo();
  void InsertRow();
  void DuplicateRows();
  void DeleteRows();
  void Copy();
  void Cut();
  void Paste();
  void Clear();

 protected:
  // Escape closes the find bar only while it is shown.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QAction* MakeAction(const char* name, const QString& caption, const QString& hint, const QString& icon);
  QToolButton* MakeButton(const char* name, QAction* action);
  void Bind(QAction* action, const char* handler, void (EditPageActions::*command)());
  void BuildFind();
  // The keys of the page's commands that the open cell editor gives up.
  bool GridTakesKey(QKeyEvent* key, const QLineEdit* editor) const;
  void UpdateEnabled();
  void Status(const QString& text);

  TfrmMain& w_;
  EditPageGrid& grid_;
  Runner run_;
  EditPageFind* find_ = nullptr;
};

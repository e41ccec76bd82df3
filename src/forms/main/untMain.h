#pragma once
// The main window: the File toolbar, the menus, the Files, Edit and Mod Info
// pages, the status bar, and the workspace state of the one open mod. Each
// page's commands live in that page's folder (forms/files/MainOpen.cpp,
// forms/edit/MainEditPage.cpp, forms/modinfo/MainModInfoPage.cpp, ...); this
// unit builds the frame, wires every control to its handler and keeps the
// shared rules: command availability, hints, captions, the save-changes guard.
#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <functional>

#include "archive/ModInfo.h"
#include "archive/Names.h"
#include "archive/check/CheckReport.h"
#include "forms/main/ModListModel.h"
#include "platform/UiFileDialog.h"

namespace graphics {
struct DccLookup;
}

class AnsiLineEdit;
class ComparePage;
class CompareWith;
class AnsiMemo;
class EditPageActions;
class FilteredRows;
class ProblemsDock;
class StringTablePage;
class PicturePage;
class PictureTips;
class QLineEdit;
class QAction;
class QDropEvent;
class QKeyEvent;
class QMimeData;
class QUrl;
class QLabel;
class QMenu;
class QTabWidget;
class QTableView;
class QToolBar;
class QToolButton;
class FilesView;
class StatusCancelButton;
class StatusProgressBar;
class TfrmAbout;
class TfrmPreferences;

class TfrmMain : public QMainWindow {
  Q_OBJECT
 public:
  // The start caption, and the start text of status panel 0.
  static constexpr char kStartCaption[] = "Quillforge 0.4 Beta";

  explicit TfrmMain(QWidget* parent = nullptr);
  // Runs FormDestroy.
  ~TfrmMain() override;

  // ---- Workspace state ---------------------------------------------------
  QString ModFileName;             // the open mod's archive; empty: no mod open
  QList<QByteArray> ArchiveNames;  // the "(listfile)" lines as read at Open
  QList<QByteArray> RemovedNames;  // archive names removed since, in removal order
  QByteArray LastInternalDir;      // the internal folder last typed when adding
  ModListModel* Rows;              // the Files list's rows, in the order shown
  FilteredRows* Shown;             // the rows the list shows: Rows through the filter

  // The shared file dialogs; every command sets each property it relies on.
  FileDialog OpenDialog{FileDialog::Open};
  FileDialog SaveDialog{FileDialog::Save};

  // The other forms, created after this one at start-up.
  void SetForms(TfrmAbout* about, TfrmPreferences* preferences);
  TfrmAbout* frmAbout() const { return frmAbout_; }
  TfrmPreferences* frmPreferences() const { return frmPreferences_; }
  // The preferences dialog's folder fields; empty until that dialog exists.
  QString InputFolder() const;
  QString OutputFolder() const;
  // Check Mod's preferences: the game's folder and the user's rules file.
  QString GameFolder() const;
  QString RulesFile() const;

  // ---- Controls ----------------------------------------------------------
  QToolBar* tbFile;
  QToolButton *btnNew, *btnOpen, *btnUpdate, *btnAdd, *btnRemove, *btnExport;
  QMenu *mnuFile, *mnuActions;
  QAction *mniNewMod, *mniOpenMod, *mniUpdateMod, *mniPreferences, *mniExit;
  QAction *mniAddFile, *mniRemoveFile, *mniAbout;
  QAction *mniAddFolder, *mniExportAll;
  QAction* mniCheckMod;
  QAction* mniCompare;
  QTabWidget* PageControl;
  QWidget *tbsFiles, *tbsEdit, *tbsInfo;
  ComparePage* tbsCompare;  // its tab shows once a comparison was made
  CompareWith* Comparing;   // Compare With and the Compare page's commands
  FilesView* ListView;
  PictureTips* FileTips;  // the list's DC6 and DCC tooltips: their first frames
  QMenu* mnuFilesList;                    // the list's context menu
  QAction *mniEditEntry, *mniExportFile;  // in it beside the Actions menu's items
  QLineEdit* edtFilter;                   // above the list
  QLabel* lblFileCount;                   // "<shown> of <all> files"
  QWidget* dckEdit;
  QToolBar* tbEdit;
  QToolButton *tbSheetSave, *tbSheetImport;
  QLabel* lblEditEntry;  // above the editor: the entry shown, and the file it comes from
  QTableView* StringGrid;
  StringTablePage* StringsPage;  // shown instead of StringGrid for a string table (.tbl)
  QLabel* lblNoEditor;           // shown instead of both for an entry neither can show
  PicturePage* PicturesPage;     // shown instead of them all for a DC6 or DCC
  QAction* actEditSave;          // Ctrl+S on the Edit page: presses Save
  EditPageActions* EditActions;  // undo, rows, clipboard, find (EditPageActions.cpp)
  // The internal name of the sheet the grid was last filled with on entering
  // the Edit page; empty while it shows none.
  QByteArray EditShownName;
  ProblemsDock* dockProblems;  // below the pages, shown by the first Check Mod
  QLabel *lblTitle, *lblAuthor, *lblD2Version, *lblURL, *lblModVersion, *lblDescription;
  AnsiLineEdit *edtTitle, *edtAuthor, *edtD2Version, *edtURL, *edtModVersion;
  AnsiMemo* memDescription;
  QLabel* HintPanel;                      // status panel 0
  StatusProgressBar* ProgressBar;         // status panel 1
  StatusCancelButton* btnCancelProgress;  // beside it while a walk can be stopped
  QLabel* EmptyPanel;                     // status panel 2

  // ---- Commands (each in its own file) -----------------------------------
  void btnNewClick(QObject* Sender = nullptr);
  void btnOpenClick(QObject* Sender = nullptr);
  void btnUpdateClick(QObject* Sender = nullptr);
  void btnAddClick(QObject* Sender = nullptr);
  void btnRemoveClick(QObject* Sender = nullptr);
  void btnExportClick(QObject* Sender = nullptr);
  void tbsEditEnter(QObject* Sender = nullptr);
  void tbSheetSaveClick(QObject* Sender = nullptr);
  void tbSheetImportClick(QObject* Sender = nullptr);
  void mniAddFolderClick(QObject* Sender = nullptr);
  void mniExportAllClick(QObject* Sender = nullptr);
  void mniCheckModClick(QObject* Sender = nullptr);

  // ---- Check Mod (MainCheckMod.cpp) ---------------------------------------
  void BuildProblemsDock();
  // Every sheet of the mod as it would go into the archive now: a row's
  // pending source file, else the archive's copy; the grid's cells for the
  // sheet it shows. Sheets that cannot be read are named in unread.
  check::SheetFiles SheetsToCheck(QList<QByteArray>& unread);
  // Selects the finding's entry, opens the Edit page and makes its cell
  // current and visible.
  void ShowFinding(const check::Finding& finding);
  // Accepts the findings' value in the rules file (asking first; without a
  // rules file, offering one beside the mod), then checks again.
  void AllowFindingValue(const std::vector<check::Finding>& findings);
  void mniCompareClick(QObject* Sender = nullptr);

  // ---- The commands' steps after their dialogs, for other ways in --------
  // Open's steps for a chosen mod file.
  void OpenModFile(const QString& path);
  // The mod named on the command line: Open's steps after its dialog, as a
  // command of its own; a path that names no file is refused.
  void OpenModFromCommandLine(const QString& path);
  // Add's steps for chosen files, in order: a prompt per file, and so on.
  void AddFiles(const QStringList& paths);
  // Add Folder's steps for a chosen folder: its prompt, the walk, the rows.
  void AddFolder(const QString& folder);

  // ---- The Files page's filter and columns (MainFilesPage.cpp) -----------
  QWidget* BuildFilterBar(QWidget* parent);
  void ClearFilter();
  void ShowFileCount();
  // The Size column: 75 pixels at least, and wide enough for every size text.
  void FitSizeColumn();

  // ---- The Files list's keys, menu and drops (MainFilesList.cpp) ---------
  // The double-click and the context menu.
  void WireFilesList();
  // Delete removes like Remove; Enter on a sheet or string table row shows
  // it on the Edit page. True when the key was used.
  bool FilesListKey(QKeyEvent* event);
  void EditSelectedSheet();
  // Whether the Edit page shows the entry: a sheet or a string table.
  static bool EditPageShows(const QByteArray& caption);
  // Files dropped from a file manager are added like Add's chosen files,
  // folders like Add Folder's chosen folder;
  // only while Add is available. True when the event was handled.
  bool FilesListDragDrop(QDropEvent* event);
  bool DropAllowed(const QMimeData* data) const;
  void AddDroppedFiles(const QList<QUrl>& urls);

  // ---- Commands that let messages through --------------------------------
  // Open and Update let the window handle messages while they run; meanwhile
  // every other command is ignored (Run drops it), so none of them sees or
  // changes a half-loaded or half-written workspace.
  int CommandsRunning = 0;
  bool CommandRunning() const { return CommandsRunning > 0; }
  class RunningScope {
   public:
    explicit RunningScope(TfrmMain& w) : w_(w) { ++w_.CommandsRunning; }
    ~RunningScope() { --w_.CommandsRunning; }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

   private:
    TfrmMain& w_;
  };
  // ArchiveNames looked up by Remove and Update without a pass over the list
  // for every name; it follows the list by itself.
  names::NameSet ArchiveNameSet;

  // ---- Small commands and events -----------------------------------------
  void mniExitClick(QObject* Sender = nullptr);
  void mniAboutClick(QObject* Sender = nullptr);
  void mniPreferencesClick(QObject* Sender = nullptr);
  void edtTitleChange(QObject* Sender = nullptr);
  void FormCreate();
  void FormDestroy();
  // Status panel 0 shows the long part of every hint; an empty hint empties it.
  void ApplicationHint(const QString& hint);

  // ---- Command availability, one function per event ----------------------
  void CommandsAtStart();
  void CommandsModStarted();  // Open loaded a mod or New started one
  void CommandsChanged();     // Add confirmed, Remove, a Mod Info change
  void CommandsUpdated();     // Update ended
  // Pending changes: the enabled state of btnUpdate.
  bool ChangesPending() const;
  // The Problems dock is marked out of date by every change to the rows and
  // to the grid's cells, and its Check Again runs Check Mod.
  void WatchPendingState();

  // Asks "Save changes to <file>" while changes are pending; Yes runs Update.
  void SaveChangesGuard();

  // The window caption and the application title, together.
  void SetCaption(const QString& caption);
  // "Quillforge (<file name>)" and "Quillforge (<file name>, <size> bytes)".
  static QString CaptionFor(const QString& path);
  static QString CaptionWithSize(const QString& path);
  // What follows the last separator of a disk path.
  static QString FileNamePart(const QString& path);
  static QString LongHint(const QString& hint);
  static QString ShortHint(const QString& hint);
  // A caption as an accessible name: no '&', no closing ':'.
  static QString PlainCaption(const QString& caption);

  // ---- Files list selection (single selection) ---------------------------
  int SelectedRow() const;  // -1 when none
  void SelectRow(int row);
  void DeselectRow(int row);

  // ---- Mod Info page -----------------------------------------------------
  ModInfo ModInfoFromFields() const;
  // Sets the six fields (each change runs edtTitleChange).
  void ModInfoToFields(const ModInfo& info);

  // Whether a focus move from prev to now enters page from outside it.
  static bool FocusEntersPage(const QWidget* page, const QWidget* prev, const QWidget* now);

 signals:
  // The window was closed; the program ends.
  void closed();
  // A wired handler is about to run (name as in "btnNewClick").
  void handlerRun(const QString& name);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // No context menu: the toolbar cannot be closed.
  QMenu* createPopupMenu() override { return nullptr; }

 private:
  using Handler = void (TfrmMain::*)(QObject*);

  void BuildFileToolbar();
  void BuildMenus();
  void BuildPages();
  void BuildEditPage();
  void BuildInfoPage();
  void BuildStatusBar();
  QToolButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                          const QIcon& icon);
  QAction* MakeItem(QMenu* menu, const char* name, const QString& caption, const QString& hint,
                    const QIcon& icon);
  void Bind(QToolButton* button, const char* name, Handler handler);
  void Bind(QAction* action, const char* name, Handler handler);
  void Run(const char* name, Handler handler, QObject* sender);
  // Runs command under name, unless another command lets messages through
  // and evenWhileRunning is false.
  void RunNamed(const char* name, const std::function<void()>& command, bool evenWhileRunning = false);
  void FocusChanged(QWidget* now);
  // Whether the key is one of the File menu's shortcuts, available now, typed
  // in a control of this window.
  bool FileMenuKey(QObject* watched, const QKeyEvent* event) const;
  // The grid of the Edit page (MainEditPage.cpp).
  QTableView* CreateStringGrid(QWidget* parent);
  // String tables on the Edit page (MainStringTable.cpp): the entry's table
  // shown (true), or a message naming the fault (false); Save.
  bool ShowStringTable(int row);
  void SaveStringTable();
  // The sheet grid filled with the row's sheet, cleared for any other row.
  void FillSheetGrid(int row);
  // The line above the editor: the entry's name and its pending file, if
  // any; or what an imported sheet came from; empty: nothing shown.
  void ShowEditEntry(int row);
  int PictureRow() const;
  void ShowImportedFrom(const QString& path);
  // For an entry no editor shows, the note saying so stands in for the grid
  // and Save is off; otherwise the note goes and Save is on.
  void ShowNoEditorNote(const QByteArray& caption);
  void HideNoEditorNote();
  // Pictures on the Edit page (picture/MainPicture.cpp): the row's DC6 or
  // DCC shown in place of the other editors, or the picture page hidden
  // again (the sheet grid back in its place).
  void ShowPictureEntry(int row);
  graphics::DccLookup LayerLookup() const;  // a COF's layers, in the mod and the game
  void HidePicturePage();
  // Save for a DC6 with imported frames: its bytes written to a chosen file
  // that becomes the entry's pending source; and the question before
  // unsaved imports go.
  void SavePicture();
  bool MayDiscardPicture();
  // A picture entry's bytes: its pending file, else the mod's copy.
  QByteArray PictureBytes(int row) const;
  // Which of the Edit page's two editors is shown.
  void ShowStringsPage(bool strings);
  // The texts the sheet grid's tooltips show for keys in its cells.
  void LoadSheetStrings();
  // A page switch leaves no cell editor open on the Edit page: coming back,
  // the focus would go to that editor, and entering the page (which may ask
  // about unsaved edits in a box that takes the focus) could close it under
  // the very focus change that enters.
  void CloseEditPageEditors();

  TfrmAbout* frmAbout_ = nullptr;
  TfrmPreferences* frmPreferences_ = nullptr;
  QPointer<QWidget> lastFocus_;
  bool lastFocusInEdit_ = false;  // whether lastFocus_ was on the Edit page
  QMetaObject::Connection focusConnection_;
  bool destroyed_ = false;
};

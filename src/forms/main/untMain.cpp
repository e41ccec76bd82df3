#include "forms/main/untMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "forms/about/untAbout.h"
#include "forms/compare/ComparePage.h"
#include "forms/compare/CompareWith.h"
#include "forms/files/FilesView.h"
#include "forms/files/FilteredRows.h"
#include "forms/main/MainIcons.h"
#include "forms/preferences/untPreferences.h"
#include "archive/graphics/Picture.h"
#include "forms/edit/picture/PicturePage.h"
#include "forms/files/PictureTips.h"
#include "forms/widgets/FolderEdit.h"
#include "forms/widgets/StatusCancelButton.h"
#include "forms/widgets/StatusProgressBar.h"
#include "platform/Files.h"
#include "platform/Ui.h"

QString TfrmMain::PlainCaption(const QString& caption) {
  QString s = caption;
  s.remove(QLatin1Char('&'));
  if (s.endsWith(QLatin1Char(':'))) s.chop(1);
  return s;
}

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("frmMain"));
  // The layout's fixed widths (the 75-pixel Size column, the status panels)
  // are made for an 8-point font; where the classic face is missing, the
  // system's face at that size comes closest.
  QFont windowFont = font();
  if (QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif")))
    windowFont.setFamily(QStringLiteral("MS Sans Serif"));
  windowFont.setPointSize(8);
  setFont(windowFont);
  setWindowTitle(QString::fromLatin1(kStartCaption));
  setMinimumSize(640, 480);
  resize(640, 480);
  if (QScreen* s = screen()) move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));

  Rows = new ModListModel(this);
  Shown = new FilteredRows(Rows, this);
  BuildFileToolbar();
  BuildMenus();
  BuildPages();
  BuildStatusBar();
  BuildProblemsDock();
  // Item views take the theme's own font unless they are given one.
  for (QAbstractItemView* view : findChildren<QAbstractItemView*>()) view->setFont(font());
  CommandsAtStart();
  FormCreate();
}

TfrmMain::~TfrmMain() {
  FormDestroy();
}

// ---- Building ---------------------------------------------------------------

QToolButton* TfrmMain::MakeButton(QWidget* parent, const char* name, const QString& caption,
                                  const QString& hint, const QIcon& icon) {
  auto* b = new QToolButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setText(caption);
  b->setIcon(icon);
  b->setToolTip(ShortHint(hint));
  b->setStatusTip(LongHint(hint));
  b->setAccessibleName(PlainCaption(caption));
  b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  b->setAutoRaise(true);
  b->setFocusPolicy(Qt::NoFocus);  // a click leaves the focus where it was
  // 75 pixels wide as the classic layout has them, wider where the caption
  // beside its icon needs more in the window's face and style (so it is never
  // cut short).
  b->setFixedSize(qMax(75, b->sizeHint().width()), 22);
  return b;
}

QAction* TfrmMain::MakeItem(QMenu* menu, const char* name, const QString& caption, const QString& hint,
                            const QIcon& icon) {
  auto* a = new QAction(icon, caption, this);
  a->setObjectName(QString::fromLatin1(name));
  a->setStatusTip(LongHint(hint));
  if (menu) menu->addAction(a);
  return a;
}

void TfrmMain::BuildFileToolbar() {
  tbFile = new QToolBar(QStringLiteral("File"), this);
  tbFile->setObjectName(QStringLiteral("tbFile"));
  tbFile->setAllowedAreas(Qt::AllToolBarAreas);
  tbFile->setMovable(true);
  tbFile->setFloatable(true);
  tbFile->setIconSize(QSize(16, 16));
  btnNew = MakeButton(tbFile, "btnNew", QStringLiteral("New"), QStringLiteral("Create a new Diablo II mod."),
                      icons::NewMod());
  btnOpen = MakeButton(tbFile, "btnOpen", QStringLiteral("Open"),
                       QStringLiteral("Open an existing Diablo II mod."), icons::OpenMod());
  btnUpdate = MakeButton(tbFile, "btnUpdate", QStringLiteral("Update"),
                         QStringLiteral("Update the mod with the changes."), icons::UpdateMod());
  btnAdd = MakeButton(tbFile, "btnAdd", QStringLiteral("Add"), QStringLiteral("Add file(s) to the mod."),
                      icons::AddFile());
  btnRemove = MakeButton(tbFile, "btnRemove", QStringLiteral("Remove"),
                         QStringLiteral("Remove the selected file(s) from the mod."), icons::RemoveFile());
  btnExport = MakeButton(tbFile, "btnExport", QStringLiteral("Export"),
                         QStringLiteral("Export the selected file(s) from the mod."), icons::ExportFile());
  tbFile->addWidget(btnNew);
  tbFile->addWidget(btnOpen);
  tbFile->addWidget(btnUpdate);
  tbFile->addSeparator();
  tbFile->addWidget(btnAdd);
  tbFile->addWidget(btnRemove);
  tbFile->addWidget(btnExport);
  addToolBar(Qt::TopToolBarArea, tbFile);

  Bind(btnNew, "btnNewClick", &TfrmMain::btnNewClick);
  Bind(btnOpen, "btnOpenClick", &TfrmMain::btnOpenClick);
  Bind(btnUpdate, "btnUpdateClick", &TfrmMain::btnUpdateClick);
  Bind(btnAdd, "btnAddClick", &TfrmMain::btnAddClick);
  Bind(btnRemove, "btnRemoveClick", &TfrmMain::btnRemoveClick);
  Bind(btnExport, "btnExportClick", &TfrmMain::btnExportClick);
}

void TfrmMain::BuildMenus() {
  mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
  mnuFile->setObjectName(QStringLiteral("mnuFile"));
  mniNewMod = MakeItem(mnuFile, "mniNewMod", QStringLiteral("&New Mod"),
                       QStringLiteral("Create a new Diablo II mod file."), icons::NewMod());
  mniNewMod->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  mniOpenMod = MakeItem(mnuFile, "mniOpenMod", QStringLiteral("&Open Mod"),
                        QStringLiteral("Open an existing Diablo II mod file."), icons::OpenMod());
  mniOpenMod->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  mnuFile->addSeparator();
  mniUpdateMod =
      MakeItem(mnuFile, "mniUpdateMod", QStringLiteral("&Update Mod"),
               QStringLiteral("Update the opened Diablo II mod with the changes."), icons::UpdateMod());
  mniUpdateMod->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
  mniPreferences = MakeItem(mnuFile, "mniPreferences", QStringLiteral("&Preferences"),
                            QStringLiteral("Change the default input/output dirs."), QIcon());
  mnuFile->addSeparator();
  mniExit =
      MakeItem(mnuFile, "mniExit", QStringLiteral("&Exit"), QStringLiteral("Exit the Quillforge."), QIcon());
  mniExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));

  mnuActions = menuBar()->addMenu(QStringLiteral("&Actions"));
  mnuActions->setObjectName(QStringLiteral("mnuActions"));
  mniAddFile = MakeItem(mnuActions, "mniAddFile", QStringLiteral("&Add File"),
                        QStringLiteral("Add file(s) the to Diablo II Mod file layout."), icons::AddFile());
  mniAddFolder = MakeItem(mnuActions, "mniAddFolder", QStringLiteral("Add &Folder..."),
                          QStringLiteral("Add a folder and everything in it to the mod, under internal names "
                                         "from their paths."),
                          icons::AddFile());
  mniAddFolder->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
  mniRemoveFile = MakeItem(mnuActions, "mniRemoveFile", QStringLiteral("&Remove File"),
                           QStringLiteral("Remove the selected file(s) from the Diablo II Mod file layout."),
                           icons::RemoveFile());
  mnuActions->addSeparator();
  mniExportAll =
      MakeItem(mnuActions, "mniExportAll", QStringLiteral("E&xport All..."),
               QStringLiteral("Export the listed files into a folder, keeping their internal folders."),
               icons::ExportFile());
  mnuActions->addSeparator();
  mniCompare = MakeItem(mnuActions, "mniCompare", QStringLiteral("&Compare With..."),
                        QStringLiteral("Compare the mod with another mod or a folder."), QIcon());

  mnuActions->addSeparator();
  mniCheckMod =
      MakeItem(mnuActions, "mniCheckMod", QStringLiteral("&Check Mod"),
               QStringLiteral("Check the mod's sheets for faults the game would trip over."), QIcon());
  mniCheckMod->setShortcut(QKeySequence(Qt::Key_F7));

  mniAbout = MakeItem(nullptr, "mniAbout", QStringLiteral("Abo&ut"), QString(), QIcon());
  menuBar()->addAction(mniAbout);

  Bind(mniNewMod, "btnNewClick", &TfrmMain::btnNewClick);
  Bind(mniOpenMod, "btnOpenClick", &TfrmMain::btnOpenClick);
  Bind(mniUpdateMod, "btnUpdateClick", &TfrmMain::btnUpdateClick);
  Bind(mniPreferences, "mniPreferencesClick", &TfrmMain::mniPreferencesClick);
  Bind(mniExit, "mniExitClick", &TfrmMain::mniExitClick);
  Bind(mniAddFile, "btnAddClick", &TfrmMain::btnAddClick);
  Bind(mniRemoveFile, "btnRemoveClick", &TfrmMain::btnRemoveClick);
  Bind(mniAddFolder, "mniAddFolderClick", &TfrmMain::mniAddFolderClick);
  Bind(mniExportAll, "mniExportAllClick", &TfrmMain::mniExportAllClick);
  Bind(mniCheckMod, "mniCheckModClick", &TfrmMain::mniCheckModClick);
  Bind(mniCompare, "mniCompareClick", &TfrmMain::mniCompareClick);
  Bind(mniAbout, "mniAboutClick", &TfrmMain::mniAboutClick);
}

void TfrmMain::BuildPages() {
  PageControl = new QTabWidget(this);
  PageControl->setObjectName(QStringLiteral("PageControl"));
  PageControl->setTabPosition(QTabWidget::South);
  PageControl->setStyleSheet(QStringLiteral("QTabWidget::tab-bar { alignment: right; }"));
  PageControl->tabBar()->setAttribute(Qt::WA_Hover);  // hot tracking
  setCentralWidget(PageControl);

  tbsFiles = new QWidget(PageControl);
  tbsFiles->setObjectName(QStringLiteral("tbsFiles"));
  ListView = new FilesView(tbsFiles);
  ListView->setObjectName(QStringLiteral("ListView"));
  ListView->setAccessibleName(QStringLiteral("Files"));
  ListView->setModel(Shown);
  FileTips = new PictureTips(ListView, [this](int viewRow) -> std::optional<PictureTips::Source> {
    const int row = Shown->SourceRow(viewRow);
    if (row < 0 || CommandRunning() || !graphics::IsPictureName(Rows->Row(row).Caption)) return std::nullopt;
    const ModEntry& entry = Rows->Row(row);
    return PictureTips::Source{entry.Caption, entry.SourcePath, ModFileName, GameFolder()};
  });
  ListView->setSelectionMode(QAbstractItemView::SingleSelection);
  ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView->viewport()->setAcceptDrops(true);  // files from a file manager (MainFilesList.cpp)
  ListView->setSortingEnabled(false);          // header clicks sort the rows themselves, below
  QHeaderView* header = ListView->header();
  header->setStretchLastSection(false);
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(false);
  header->setSectionResizeMode(ModListModel::NameColumn, QHeaderView::Stretch);
  header->setSectionResizeMode(ModListModel::SizeColumn, QHeaderView::Fixed);
  header->resizeSection(ModListModel::SizeColumn, 75);
  connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
    const bool reverse = Rows->SortColumn() == column && Rows->SortOrder() == Qt::AscendingOrder;
    Rows->sort(column, reverse ? Qt::DescendingOrder : Qt::AscendingOrder);
  });
  connect(Rows, &ModListModel::sortStateChanged, this, [header](int column, Qt::SortOrder order) {
    header->setSortIndicatorShown(column >= 0);
    if (column >= 0) header->setSortIndicator(column, order);
  });
  auto* filesLayout = new QVBoxLayout(tbsFiles);
  filesLayout->setContentsMargins(0, 0, 0, 0);
  filesLayout->setSpacing(2);
  filesLayout->addWidget(BuildFilterBar(tbsFiles));
  filesLayout->addWidget(ListView);
  PageControl->addTab(tbsFiles, QStringLiteral("F&iles"));
  // The list is made before the filter above it: Tab goes from the filter
  // down into the list, as the page reads.
  QWidget::setTabOrder(edtFilter, ListView);
  WireFilesList();

  BuildEditPage();
  BuildInfoPage();
  tbsCompare = new ComparePage(PageControl);
  PageControl->setTabVisible(PageControl->addTab(tbsCompare, QStringLiteral("&Compare")), false);
  Comparing = new CompareWith(
      *this, *tbsCompare,
      [this](const char* name, const std::function<void()>& command) { RunNamed(name, command); });
  PageControl->setCurrentWidget(tbsFiles);

  focusConnection_ =
      connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { FocusChanged(now); });
}

void TfrmMain::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar"));
  bar->setStyleSheet(QStringLiteral("QStatusBar::item { border: 0px; }"));
  HintPanel = new QLabel(QString::fromLatin1(kStartCaption), bar);
  HintPanel->setObjectName(QStringLiteral("HintPanel"));
  HintPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  HintPanel->setFixedWidth(300);
  HintPanel->setTextFormat(Qt::PlainText);
  ProgressBar = new StatusProgressBar(bar);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setFixedWidth(150);
  EmptyPanel = new QLabel(bar);
  EmptyPanel->setObjectName(QStringLiteral("EmptyPanel"));
  EmptyPanel->setFixedWidth(50);
  bar->addWidget(HintPanel);
  btnCancelProgress = new StatusCancelButton(bar);
  bar->addWidget(ProgressBar);
  bar->addWidget(btnCancelProgress);
  bar->addWidget(EmptyPanel);
}

// ---- Wiring -----------------------------------------------------------------

void TfrmMain::Run(const char* name, Handler handler, QObject* sender) {
  // While Open or Update lets messages through, other commands are ignored;
  // a Mod Info change still marks the mod as changed.
  RunNamed(
      name, [&] { (this->*handler)(sender); }, handler == &TfrmMain::edtTitleChange);
}

void TfrmMain::RunNamed(const char* name, const std::function<void()>& command, bool evenWhileRunning) {
  if (CommandRunning() && !evenWhileRunning) return;
  emit handlerRun(QString::fromLatin1(name));
  ui::RunCommand(command);
}

void TfrmMain::Bind(QToolButton* button, const char* name, Handler handler) {
  connect(button, &QToolButton::clicked, this, [=, this] { Run(name, handler, button); });
}

void TfrmMain::Bind(QAction* action, const char* name, Handler handler) {
  connect(action, &QAction::triggered, this, [=, this] { Run(name, handler, action); });
}

bool TfrmMain::FocusEntersPage(const QWidget* page, const QWidget* prev, const QWidget* now) {
  auto inside = [page](const QWidget* w) { return w && (w == page || page->isAncestorOf(w)); };
  return inside(now) && !inside(prev);
}

void TfrmMain::FocusChanged(QWidget* now) {
  // Only moves inside this window count: coming back from a dialog to the
  // control that had the focus enters nothing.
  if (!now || now->window() != this) return;
  // The control that had the focus may be gone (a cell editor closed while
  // a box was up): where it was still counts.
  const bool wasInEdit = lastFocus_ ? FocusEntersPage(tbsEdit, nullptr, lastFocus_) : lastFocusInEdit_;
  lastFocus_ = now;
  lastFocusInEdit_ = FocusEntersPage(tbsEdit, nullptr, now);
  if (lastFocusInEdit_ && !wasInEdit) Run("tbsEditEnter", &TfrmMain::tbsEditEnter, tbsEdit);
}

// ---- Forms --------------------------------------------------------------------

void TfrmMain::SetForms(TfrmAbout* about, TfrmPreferences* preferences) {
  frmAbout_ = about;
  frmPreferences_ = preferences;
}

QString TfrmMain::InputFolder() const {
  return frmPreferences_ ? frmPreferences_->edtInputPath->text() : QString();
}

QString TfrmMain::OutputFolder() const {
  return frmPreferences_ ? frmPreferences_->edtOutputPath->text() : QString();
}

QString TfrmMain::GameFolder() const {
  return frmPreferences_ ? frmPreferences_->edtGameFolder->text() : QString();
}

QString TfrmMain::RulesFile() const {
  return frmPreferences_ ? frmPreferences_->RulesFile() : QString();
}

// ---- Events and small commands ----------------------------------------------------

void TfrmMain::FormCreate() {
  FileDialog::SetEmptyInitialDirIsCurrent(true);
  // Every hint in the application, and the Files list's keys and drops.
  qApp->installEventFilter(this);
  RemovedNames.clear();
  ArchiveNames.clear();
}

void TfrmMain::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  // The question comes after the window has left the screen, while every
  // control and the workspace still exist, so Yes can still write it all.
  hide();
  ui::RunCommand([this] { SaveChangesGuard(); });
  qApp->removeEventFilter(this);
  disconnect(focusConnection_);
  RemovedNames.clear();
  ArchiveNames.clear();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  event->accept();
  emit closed();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::StatusTip:
      ApplicationHint(static_cast<QStatusTipEvent*>(event)->tip());
      return true;
    case QEvent::Hide:
      if (watched == tbsEdit) CloseEditPageEditors();
      break;
    case QEvent::KeyPress:
      if (watched == ListView && FilesListKey(static_cast<QKeyEvent*>(event))) return true;
      break;
    case QEvent::ShortcutOverride:
      // The File menu's keys stay the window's where a text field would take
      // them for itself (on X11, Ctrl+U deletes the field's line).
      if (FileMenuKey(watched, static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
      }
      break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      if (watched == ListView->viewport()) return FilesListDragDrop(static_cast<QDropEvent*>(event));
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

bool TfrmMain::FileMenuKey(QObject* watched, const QKeyEvent* event) const {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return false;
  const QKeySequence key(event->keyCombination());
  for (const QAction* item : {mniNewMod, mniOpenMod, mniUpdateMod})
    if (item->isEnabled() && item->shortcut() == key) return true;
  return false;
}

void TfrmMain::ApplicationHint(const QString& hint) {
  HintPanel->setText(LongHint(hint));
}

QString TfrmMain::LongHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.mid(bar + 1);
}

QString TfrmMain::ShortHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.left(bar);
}

void TfrmMain::mniExitClick(QObject*) {
  close();
}

void TfrmMain::mniAboutClick(QObject*) {
  if (frmAbout_) frmAbout_->exec();
}

void TfrmMain::mniPreferencesClick(QObject*) {
  if (frmPreferences_) frmPreferences_->exec();
}

// ---- Command availability ---------------------------------------------------------

void TfrmMain::CommandsAtStart() {
  for (QToolButton* b : {btnNew, btnOpen}) b->setEnabled(true);
  for (QAction* a : {mniNewMod, mniOpenMod, mniPreferences, mniExit, mniAbout}) a->setEnabled(true);
  for (QToolButton* b : {btnUpdate, btnAdd, btnRemove, btnExport, tbSheetSave, tbSheetImport})
    b->setEnabled(false);
  for (QAction* a : {mniUpdateMod, mniAddFile, mniRemoveFile, mniExportFile, mniAddFolder, mniExportAll,
                     mniCheckMod, mniCompare})
    a->setEnabled(false);
}

void TfrmMain::CommandsModStarted() {
  // The grid's sheet, if any, belongs to the mod that was open before.
  EditShownName.clear();
  for (QToolButton* b : {btnAdd, btnRemove, btnExport, tbSheetImport}) b->setEnabled(true);
  // Save stays off while the Edit page says its entry has no editor.
  tbSheetSave->setEnabled(lblNoEditor->isHidden() && PicturesPage->isHidden());
  for (QAction* a :
       {mniAddFile, mniRemoveFile, mniExportFile, mniAddFolder, mniExportAll, mniCheckMod, mniCompare})
    a->setEnabled(true);
  Comparing->Clear();
  CommandsUpdated();
}

void TfrmMain::CommandsChanged() {
  btnUpdate->setEnabled(true);
  mniUpdateMod->setEnabled(true);
  Rows->ShowPendingMarks(true, RemovedNames);
  // The Compare page's Undo puts back the rows and removed names as they were
  // before a take; once another command has changed them, that would undo
  // the command too.
  Comparing->Forget();
  FileTips->Forget();
}

void TfrmMain::CommandsUpdated() {
  btnUpdate->setEnabled(false);
  mniUpdateMod->setEnabled(false);
  Rows->ShowPendingMarks(false, RemovedNames);
  // What was taken over is written (or belongs to a mod no longer open).
  Comparing->Forget();
}

bool TfrmMain::ChangesPending() const {
  return btnUpdate->isEnabled();
}

void TfrmMain::SaveChangesGuard() {
  if (!ChangesPending()) return;
  const int answer = ui::MessageBox(QStringLiteral("Save changes to ") + FileNamePart(ModFileName),
                                    QStringLiteral("Save Changes"), ui::mbYesNo | ui::mbIconQuestion);
  if (answer != ui::idYes) return;
  // An error in Update ends the caller too (Open and New stop before their dialog).
  emit handlerRun(QStringLiteral("btnUpdateClick"));
  btnUpdateClick(nullptr);
}

// ---- Captions -------------------------------------------------------------------------

void TfrmMain::SetCaption(const QString& caption) {
  setWindowTitle(caption);
  ui::SetApplicationTitle(windowTitle());
}

QString TfrmMain::FileNamePart(const QString& path) {
  qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
  cut = qMax(cut, qMax(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char(':'))));
#endif
  return path.mid(cut + 1);
}

QString TfrmMain::CaptionFor(const QString& path) {
  return QStringLiteral("Quillforge (%1)").arg(FileNamePart(path));
}

QString TfrmMain::CaptionWithSize(const QString& path) {
  // One pass over the pattern: a file name holding "%2" stays as it is.
  return QStringLiteral("Quillforge (%1, %2 bytes)")
      .arg(FileNamePart(path), QString::number(files::FileSizeBySearch(path)));
}

// ---- Files list selection -----------------------------------------------------------

// Rows are counted in Rows, hidden ones included; the view's selection holds
// only shown rows, so a row the filter hides is never selected.
int TfrmMain::SelectedRow() const {
  int first = -1;
  for (const QModelIndex& i : ListView->selectionModel()->selectedRows()) {
    const int row = Shown->SourceRow(i.row());
    if (row >= 0 && (first < 0 || row < first)) first = row;
  }
  return first;
}

void TfrmMain::SelectRow(int row) {
  const int shown = Shown->ShownRow(row);
  if (shown < 0) return;
  ListView->selectionModel()->setCurrentIndex(
      Shown->index(shown, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TfrmMain::DeselectRow(int row) {
  const int shown = Shown->ShownRow(row);
  if (shown < 0) return;
  ListView->selectionModel()->select(Shown->index(shown, 0),
                                     QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}

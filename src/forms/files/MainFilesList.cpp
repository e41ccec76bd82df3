// The Files list's own ways into the commands: Delete removes the selected
// row like Remove, Enter or a double-click shows the selected sheet or string
// table on the Edit page, the context menu offers the commands of the toolbar
// and the Actions menu, and files dropped from a file manager are added like
// the files chosen in Add's dialog, and dropped folders like the folder
// chosen in Add Folder's.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <algorithm>

#include "archive/EntryKind.h"
#include "archive/graphics/CofAnimation.h"
#include "archive/graphics/Picture.h"
#include "forms/files/FilesView.h"
#include "forms/files/FilteredRows.h"
#include "forms/main/untMain.h"
#include "platform/Files.h"
#include "platform/Ui.h"

bool TfrmMain::FilesListKey(QKeyEvent* event) {
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  if (mods != Qt::NoModifier) return false;
  switch (event->key()) {
    case Qt::Key_Delete:
      // Only while Remove itself is available.
      if (!btnRemove->isEnabled()) return false;
      Run("btnRemoveClick", &TfrmMain::btnRemoveClick, ListView);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!CommandRunning()) EditSelectedSheet();
      return true;  // never passed on: on any other row Enter does nothing
    default:
      return false;
  }
}

void TfrmMain::WireFilesList() {
  connect(ListView, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (CommandRunning() || !index.isValid()) return;
    SelectRow(Shown->SourceRow(index.row()));
    EditSelectedSheet();
  });

  mnuFilesList = new QMenu(ListView);
  mnuFilesList->setObjectName(QStringLiteral("mnuFilesList"));
  mnuFilesList->setAccessibleName(QStringLiteral("Files list commands"));
  mniEditEntry =
      MakeItem(nullptr, "mniEditEntry", QStringLiteral("&Edit"),
               QStringLiteral("Show the selected sheet or string table on the Edit page."), QIcon());
  connect(mniEditEntry, &QAction::triggered, this, [this] {
    if (!CommandRunning()) EditSelectedSheet();
  });
  // Export has a toolbar button and no menu item: this item presses the
  // button, and is turned on and off with it.
  mniExportFile = MakeItem(nullptr, "mniExportFile", QStringLiteral("Ex&port"),
                           QStringLiteral("Export the selected file(s) from the mod."), btnExport->icon());
  connect(mniExportFile, &QAction::triggered, btnExport, &QToolButton::click);
  mnuFilesList->addAction(mniEditEntry);
  mnuFilesList->addSeparator();
  mnuFilesList->addActions({mniAddFile, mniAddFolder, mniRemoveFile, mniExportFile});
  mnuFilesList->addSeparator();
  mnuFilesList->addAction(mniExportAll);
  mniEditEntry->setEnabled(false);
  connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    const int row = SelectedRow();
    mniEditEntry->setEnabled(row >= 0 && EditPageShows(Rows->Row(row).Caption));
  });
  ListView->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ListView, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    if (!CommandRunning()) mnuFilesList->popup(ListView->viewport()->mapToGlobal(at));
  });
}

bool TfrmMain::EditPageShows(const QByteArray& caption) {
  return IsSheetEntry(caption) || IsStringTableEntry(caption) || graphics::IsPictureName(caption) ||
         graphics::IsCofName(caption);
}

void TfrmMain::EditSelectedSheet() {
  const int row = SelectedRow();
  if (row < 0 || !EditPageShows(Rows->Row(row).Caption)) return;
  // As if the user picked the Edit tab: the focus follows into the page, and
  // entering the page fills the grid.
  PageControl->setCurrentWidget(tbsEdit);
  StringGrid->setFocus(Qt::OtherFocusReason);
  // A window that is not active takes the focus only when it is activated,
  // and no focus move is reported: enter the page here, once.
  QWidget* focus = QApplication::focusWidget();
  if (focus && tbsEdit->isAncestorOf(focus)) return;
  lastFocus_ = StringGrid;
  Run("tbsEditEnter", &TfrmMain::tbsEditEnter, tbsEdit);
}

bool TfrmMain::DropAllowed(const QMimeData* data) const {
  if (!btnAdd->isEnabled() || ModFileName.isEmpty() || CommandRunning() || !data || !data->hasUrls())
    return false;
  const QList<QUrl> urls = data->urls();
  return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

bool TfrmMain::FilesListDragDrop(QDropEvent* event) {
  if (!DropAllowed(event->mimeData())) {
    event->ignore();
    return true;
  }
  // Always a copy: a file manager offered a move must not delete the files.
  event->setDropAction(Qt::CopyAction);
  event->accept();
  if (event->type() == QEvent::Drop) {
    // Add's prompts are modal; they come after the drop has been answered,
    // so the file manager is not kept waiting for them.
    const QList<QUrl> urls = event->mimeData()->urls();
    QTimer::singleShot(0, this, [this, urls] { AddDroppedFiles(urls); });
  }
  return true;
}

void TfrmMain::AddDroppedFiles(const QList<QUrl>& urls) {
  if (!btnAdd->isEnabled()) return;
  RunNamed("AddFiles", [&] {
    QStringList files, folders, left;
    for (const QUrl& url : urls) {
      const QString path = url.isLocalFile() ? url.toLocalFile() : QString();
      if (!path.isEmpty() && files::FileExists(path))
        files << QFileInfo(path).absoluteFilePath();
      else if (!path.isEmpty() && QFileInfo(path).isDir())
        folders << QFileInfo(path).absoluteFilePath();
      else
        left << (path.isEmpty() ? url.toDisplayString() : QDir::toNativeSeparators(path));
    }
    if (!left.isEmpty())
      ui::MessageBox(QStringLiteral("Only files on this computer can be added to the mod. Not added:\n") +
                         left.join(QLatin1Char('\n')),
                     QStringLiteral("Add file(s)"), ui::mbOk | ui::mbIconExclamation);
    if (!files.isEmpty()) AddFiles(files);
    for (const QString& folder : std::as_const(folders)) AddFolder(folder);
  });
}

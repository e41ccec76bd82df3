#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "ModalDriver.h"
#include "ScriptedUi.h"
#include "forms/edit/EditPageActions.h"
#include "forms/edit/SheetFindBar.h"
#include "forms/edit/picture/PicturePage.h"
#include "forms/files/FilesView.h"
#include "forms/files/FilteredRows.h"
#include "forms/main/untMain.h"
#include "forms/widgets/AnsiLineEdit.h"
#include "forms/widgets/AnsiMemo.h"
#include "forms/widgets/StatusProgressBar.h"
#include "platform/Ui.h"

using QByteArrays = QList<QByteArray>;

namespace {

// Every wired handler that ran, by name.
struct HandlerLog {
  QStringList names;
  explicit HandlerLog(TfrmMain& frm) {
    QObject::connect(&frm, &TfrmMain::handlerRun, &frm, [this](const QString& n) { names << n; });
  }
};

// The window's commands; the Edit page's editing commands (undo, rows, the
// clipboard, find) follow the sheet instead and are tested with it.
QStringList enabledControls(TfrmMain& frm) {
  auto editing = [&](QObject* o) {
    auto* b = qobject_cast<QToolButton*>(o);
    if (b && b->defaultAction()) o = b->defaultAction();
    // The sheet's and the picture's own controls follow what the page shows.
    QWidget* w = qobject_cast<QWidget*>(o);
    return o->parent() == frm.EditActions || frm.EditActions->FindBar->isAncestorOf(w) ||
           frm.PicturesPage->isAncestorOf(w);
  };
  QStringList on;
  for (QToolButton* b : frm.findChildren<QToolButton*>())
    if (b->objectName().startsWith(QLatin1String("btn")) ||
        b->objectName().startsWith(QLatin1String("tbSheet")))
      if (b->isEnabled() && !editing(b)) on << b->objectName();
  for (QAction* a : frm.findChildren<QAction*>())
    if (a->objectName().startsWith(QLatin1String("mni")) && a->isEnabled() && !editing(a))
      on << a->objectName();
  on.sort();
  return on;
}

QStringList sorted(QStringList l) {
  l.sort();
  return l;
}

ModEntry entry(const char* name, int size) {
  return ModEntry{name, SizeText(size), QString()};
}

QByteArrays captions(const ModListModel& m) {
  QByteArrays out;
  for (const ModEntry& e : m.Rows()) out << e.Caption;
  return out;
}

void clickHeader(FilesView* view, int section) {
  QHeaderView* h = view->header();
  QTest::mouseClick(
      h->viewport(), Qt::LeftButton, {},
      QPoint(h->sectionViewportPosition(section) + h->sectionSize(section) / 2, h->height() / 2));
}

}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT
 private slots:
  void builtAsTheWindowOfTheProgram() {
    TfrmMain frm;
    QCOMPARE(frm.windowTitle(), QStringLiteral("Quillforge 0.4 Beta"));
    QCOMPARE(frm.size(), QSize(640, 480));
    QCOMPARE(frm.minimumSize(), QSize(640, 480));
    QCOMPARE(frm.HintPanel->text(), QStringLiteral("Quillforge 0.4 Beta"));
    QCOMPARE(frm.HintPanel->width(), 300);
    QCOMPARE(frm.ProgressBar->width(), 150);
    QCOMPARE(frm.EmptyPanel->width(), 50);
    QCOMPARE(frm.EmptyPanel->text(), QString());
    QCOMPARE(frm.ProgressBar->Max(), 100);
    QCOMPARE(frm.ProgressBar->Position(), 0);

    // The File toolbar: its buttons in order, the separator after Update.
    QCOMPARE(frm.tbFile->windowTitle(), QStringLiteral("File"));
    QCOMPARE(frm.tbFile->allowedAreas(), Qt::AllToolBarAreas);
    QVERIFY(frm.tbFile->isMovable() && frm.tbFile->isFloatable());
    QCOMPARE(frm.toolBarArea(frm.tbFile), Qt::TopToolBarArea);
    QStringList layout;
    for (QAction* a : frm.tbFile->actions())
      layout << (a->isSeparator() ? QStringLiteral("|") : frm.tbFile->widgetForAction(a)->objectName());
    QCOMPARE(layout,
             (QStringList{"btnNew", "btnOpen", "btnUpdate", "|", "btnAdd", "btnRemove", "btnExport"}));
    QCOMPARE(frm.btnOpen->text(), QStringLiteral("Open"));
    QCOMPARE(frm.btnOpen->toolTip(), QStringLiteral("Open an existing Diablo II mod."));
    QCOMPARE(frm.btnRemove->toolTip(), QStringLiteral("Remove the selected file(s) from the mod."));
    QCOMPARE(frm.btnExport->size(), QSize(75, 22));
    QVERIFY(!frm.btnNew->icon().isNull());

    // The menus, with no Export item; About is a top-level item.
    QStringList top;
    for (QAction* a : frm.menuBar()->actions()) top << a->text();
    QCOMPARE(top, (QStringList{"&File", "&Actions", "Abo&ut"}));
    QCOMPARE(frm.menuBar()->actions().last(), frm.mniAbout);
    QStringList file;
    for (QAction* a : frm.mnuFile->actions())
      file << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
    QCOMPARE(file,
             (QStringList{"mniNewMod", "mniOpenMod", "|", "mniUpdateMod", "mniPreferences", "|", "mniExit"}));
    QCOMPARE(frm.mniExit->shortcut(), QKeySequence(QStringLiteral("Alt+F4")));
    QCOMPARE(frm.mniAddFile->statusTip(), QStringLiteral("Add file(s) the to Diablo II Mod file layout."));
    QCOMPARE(frm.mniPreferences->text(), QStringLiteral("&Preferences"));

    // The pages, tabs at the bottom, Files shown first.
    QCOMPARE(frm.PageControl->tabPosition(), QTabWidget::South);
    QCOMPARE(frm.PageControl->tabText(0), QStringLiteral("F&iles"));
    QCOMPARE(frm.PageControl->tabText(1), QStringLiteral("&Edit"));
    QCOMPARE(frm.PageControl->tabText(2), QStringLiteral("Mod Info"));
    QCOMPARE(frm.PageControl->currentWidget(), frm.tbsFiles);
    QCOMPARE(frm.StringGrid->objectName(), QStringLiteral("StringGrid"));
    QVERIFY(frm.tbsEdit->isAncestorOf(frm.StringGrid));
    QCOMPARE(frm.tbEdit->windowTitle(), QStringLiteral("Edit Toolbar"));
    QVERIFY(!frm.tbEdit->isMovable() && !frm.tbEdit->isFloatable());
    QCOMPARE(frm.memDescription->toolTip(), QStringLiteral("Description/Extra comments of the mod."));
    QCOMPARE(frm.lblD2Version->text(), QStringLiteral("Diablo II Version:"));
    QCOMPARE(frm.edtURL->accessibleName(), QStringLiteral("Website/download URL"));
  }

  void filesListIsAReportOfNameAndSize() {
    TfrmMain frm;
    frm.show();
    QCOMPARE(frm.Rows->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Name"));
    QCOMPARE(frm.Rows->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Size"));
    QCOMPARE(frm.ListView->header()->sectionSize(1), 75);
    QCOMPARE(frm.ListView->header()->sectionSize(0), frm.ListView->viewport()->width() - 75);
    QCOMPARE(frm.ListView->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(frm.ListView->selectionBehavior(), QAbstractItemView::SelectRows);
    frm.Rows->Append(entry("data\\a.txt", 5));
    QVERIFY(!(frm.Rows->flags(frm.Rows->index(0, 0)) & Qt::ItemIsEditable));
    QCOMPARE(frm.Rows->data(frm.Rows->index(0, 1), Qt::DisplayRole).toString(), QStringLiteral("5 Bytes"));
  }

  void availabilityFollowsItsEvents() {
    TfrmMain frm;
    const QStringList start{"btnNew",    "btnOpen",    "mniAbout",      "mniExit",
                            "mniNewMod", "mniOpenMod", "mniPreferences"};
    QCOMPARE(enabledControls(frm), sorted(start));
    QVERIFY(!frm.ChangesPending());

    const QStringList modOpen =
        start + QStringList{"btnAdd",        "btnRemove",   "btnExport",     "tbSheetSave",
                            "tbSheetImport", "mniAddFile",  "mniRemoveFile", "mniAddFolder",
                            "mniExportAll",  "mniCheckMod", "mniCompare",    "mniExportFile"};
    frm.CommandsChanged();
    frm.CommandsModStarted();  // also turns Update off
    QCOMPARE(enabledControls(frm), sorted(modOpen));

    frm.CommandsChanged();
    QCOMPARE(enabledControls(frm), sorted(modOpen + QStringList{"btnUpdate", "mniUpdateMod"}));
    QVERIFY(frm.ChangesPending());

    frm.CommandsUpdated();
    QCOMPARE(enabledControls(frm), sorted(modOpen));  // the editing commands stay on
    frm.show();
    frm.PageControl->setCurrentWidget(frm.tbsEdit);
    QVERIFY(!frm.tbSheetImport->isVisible());  // enabled, and hidden all the same
    QVERIFY(frm.tbSheetSave->isVisible());
  }

  void everyModInfoChangeTurnsUpdateOn() {
    TfrmMain frm;
    frm.show();
    const QList<QWidget*> fields{frm.edtTitle, frm.edtAuthor,     frm.edtD2Version,
                                 frm.edtURL,   frm.edtModVersion, frm.memDescription};
    for (QWidget* field : fields) {
      frm.CommandsUpdated();
      QTest::keyClicks(field, QStringLiteral("x"));  // the user's typing
      QVERIFY2(frm.ChangesPending(), qPrintable(field->objectName()));
    }
    // A command setting the fields runs the same rule.
    frm.CommandsUpdated();
    ModInfo info;
    info.texts[ModInfo::Author] = "someone";
    frm.ModInfoToFields(info);
    QVERIFY(frm.ChangesPending());
    frm.CommandsUpdated();  // nothing pending when the window goes
  }

  void modInfoTabOrderPutsTheDescriptionFourth() {
    TfrmMain frm;
    const QList<QWidget*> fields{frm.edtTitle,       frm.edtAuthor, frm.edtD2Version,
                                 frm.memDescription, frm.edtURL,    frm.edtModVersion};
    QList<QWidget*> order;
    for (QWidget* w = frm.edtTitle; order.size() < fields.size(); w = w->nextInFocusChain())
      if (fields.contains(w)) order << w;
    QCOMPARE(order, fields);
    QVERIFY(frm.memDescription->tabChangesFocus());
  }

  void modInfoFieldsKeepEveryByte() {
    TfrmMain frm;
    ModInfo info;
    QByteArray all;
    for (int b = 1; b < 256; ++b) all += char(b);
    for (auto& t : info.texts) t = all;
    info.texts[ModInfo::Description] =
        "line one\r\nlone LF\nlone CR\rno\xA0"
        "break\r\n";
    frm.ModInfoToFields(info);
    const ModInfo back = frm.ModInfoFromFields();
    for (int i = 0; i < ModInfo::TextCount; ++i) QCOMPARE(back.texts[i], info.texts[i]);

    // Typed lines come back joined by CR LF, with no line end added at the end.
    frm.memDescription->clear();
    QTest::keyClicks(frm.memDescription, QStringLiteral("first"));
    QTest::keyClick(frm.memDescription, Qt::Key_Return);
    QTest::keyClicks(frm.memDescription, QStringLiteral("second "));
    frm.memDescription->insertPlainText(QString::fromUtf8("\u00e9"));  // beyond what keyClicks can type
    QCOMPARE(frm.ModInfoFromFields().texts[ModInfo::Description], QByteArray("first\r\nsecond \xE9"));
    frm.CommandsUpdated();  // nothing pending when the window goes
  }

  void buttonsAndItemsAreDistinctButShareHandlers() {
    // The commands behind the controls show dialogs: let every one of them be cancelled.
    ScriptedUi script;
    script.SetFailOnUnanswered(false);
    TfrmMain frm;
    frm.CommandsModStarted();
    frm.CommandsChanged();
    HandlerLog log(frm);
    const QList<std::pair<QObject*, QString>> wiring{{frm.btnNew, "btnNewClick"},
                                                     {frm.mniNewMod, "btnNewClick"},
                                                     {frm.btnOpen, "btnOpenClick"},
                                                     {frm.mniOpenMod, "btnOpenClick"},
                                                     {frm.btnUpdate, "btnUpdateClick"},
                                                     {frm.mniUpdateMod, "btnUpdateClick"},
                                                     {frm.btnAdd, "btnAddClick"},
                                                     {frm.mniAddFile, "btnAddClick"},
                                                     {frm.btnRemove, "btnRemoveClick"},
                                                     {frm.mniRemoveFile, "btnRemoveClick"},
                                                     {frm.btnExport, "btnExportClick"},
                                                     {frm.tbSheetSave, "tbSheetSaveClick"},
                                                     {frm.tbSheetImport, "tbSheetImportClick"}};
    for (const auto& [control, handler] : wiring) {
      log.names.clear();
      if (auto* b = qobject_cast<QToolButton*>(control))
        b->click();
      else
        static_cast<QAction*>(control)->trigger();
      QCOMPARE(log.names, QStringList{handler});
    }
    QVERIFY(static_cast<QObject*>(frm.btnNew) != frm.mniNewMod);
    QCOMPARE(frm.findChildren<QObject*>(QStringLiteral("btnNew")).size(), 1);
    frm.CommandsUpdated();  // nothing pending when the window goes
  }

  void guardAsksOnlyWhileUpdateIsOn() {
    ScriptedUi script;
    TfrmMain frm;
    HandlerLog log(frm);
    QTemporaryDir scratch;  // Yes runs a real Update: it needs a folder to write into
    QVERIFY(QDir(scratch.path()).mkpath(QStringLiteral("folder.d")));
    frm.ModFileName = scratch.filePath(QStringLiteral("folder.d/My Mod.QLM"));
    frm.SaveChangesGuard();
    QCOMPARE(script.messages.size(), 0);

    frm.CommandsChanged();
    script.AnswerMessage(ui::idNo);
    frm.SaveChangesGuard();
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages[0].text, QStringLiteral("Save changes to My Mod.QLM"));
    QCOMPARE(script.messages[0].title, QStringLiteral("Save Changes"));
    QCOMPARE(script.messages[0].flags, 36);
    QVERIFY(log.names.isEmpty());

    script.AnswerMessage(ui::idYes);
    frm.SaveChangesGuard();
    QCOMPARE(log.names, QStringList{"btnUpdateClick"});
    QVERIFY(QFileInfo(frm.ModFileName).isFile());
    QVERIFY(!frm.btnUpdate->isEnabled());
  }

  void guardAtDestructionAsksOnceAfterTheWindowIsGone() {
    ScriptedUi script;
    auto* frm = new TfrmMain;
    HandlerLog log(*frm);
    frm->show();
    QTemporaryDir scratch;  // Yes runs a real Update: it needs a folder to write into
    frm->ModFileName = scratch.filePath(QStringLiteral("a.QLM"));
    frm->CommandsChanged();
    bool visibleWhenAsked = true;
    int rowsWhenAsked = -1;
    frm->Rows->Append(entry("x", 1));
    script.AnswerMessage(ui::idYes, [&] {
      visibleWhenAsked = frm->isVisible();
      rowsWhenAsked = frm->Rows->Count();
    });
    delete frm;
    QCOMPARE(script.messages.size(), 1);
    QVERIFY(!visibleWhenAsked);
    QCOMPARE(rowsWhenAsked, 1);
    QCOMPARE(log.names, QStringList{"btnUpdateClick"});
  }

  void guardThroughARealMessageBox() {
    // A real folder: Yes runs a real Update, which must succeed so that no
    // further box (an error, a second question at destruction) is shown.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TfrmMain frm;
    HandlerLog log(frm);
    frm.ModFileName = dir.filePath(QStringLiteral("real.QLM"));
    frm.CommandsChanged();
    QString shown;
    modal::WhenShown<QMessageBox>([&](QMessageBox* box) {
      shown = box->windowTitle() + QLatin1Char('|') + box->text();
      box->button(QMessageBox::Yes)->click();
    });
    frm.SaveChangesGuard();
    QCOMPARE(shown, QStringLiteral("Save Changes|Save changes to real.QLM"));
    QCOMPARE(log.names, QStringList{"btnUpdateClick"});
    QVERIFY(QFileInfo(frm.ModFileName).isFile());
    QVERIFY(!frm.btnUpdate->isEnabled());
  }

  void exitClosesWithoutAsking() {
    ScriptedUi script;
    TfrmMain frm;
    frm.show();
    frm.CommandsChanged();
    QSignalSpy closed(&frm, &TfrmMain::closed);
    frm.mniExit->trigger();
    QCOMPARE(closed.size(), 1);
    QVERIFY(!frm.isVisible());
    QCOMPARE(script.messages.size(), 0);
    frm.CommandsUpdated();  // nothing pending when the window goes
  }

  void hintsGoToPanelZero() {
    TfrmMain frm;
    frm.show();
    auto hint = [](QObject* to, const QString& tip) {
      QStatusTipEvent e(tip);
      QApplication::sendEvent(to, &e);
    };
    hint(frm.edtTitle, frm.edtTitle->statusTip());
    QCOMPARE(frm.HintPanel->text(), QStringLiteral("Title of this Diablo II mod."));
    hint(frm.ListView, QStringLiteral("short|the long part|more"));
    QCOMPARE(frm.HintPanel->text(), QStringLiteral("the long part|more"));
    hint(frm.ListView, QString());
    QCOMPARE(frm.HintPanel->text(), QString());  // the start text does not come back

    // Menu items report their hint through the menu bar; toolbar buttons on hover.
    frm.mniUpdateMod->showStatusText(frm.menuBar());
    QCOMPARE(frm.HintPanel->text(), QStringLiteral("Update the opened Diablo II mod with the changes."));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(frm.btnNew, &enter);
    QCOMPARE(frm.HintPanel->text(), QStringLiteral("Create a new Diablo II mod."));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(frm.btnNew, &leave);
    QCOMPARE(frm.HintPanel->text(), QString());

    // Hints of the application's other windows land there too.
    QWidget other;
    hint(&other, QStringLiteral("elsewhere"));
    QCOMPARE(frm.HintPanel->text(), QStringLiteral("elsewhere"));
  }

  void captionAndApplicationTitleChangeTogether() {
    TfrmMain frm;
    ui::SetApplicationTitle(QStringLiteral("Hearthwarden"));
    QCOMPARE(frm.windowTitle(), QStringLiteral("Quillforge 0.4 Beta"));  // creating the window sets no title
    frm.SetCaption(TfrmMain::CaptionFor(QStringLiteral("/mods/MyMod.QLM")));
    QCOMPARE(frm.windowTitle(), QStringLiteral("Quillforge (MyMod.QLM)"));
    QCOMPARE(ui::ApplicationTitle(), frm.windowTitle());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("100%2.QLM"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(1234, 'x'));
    f.close();
    QCOMPARE(TfrmMain::CaptionWithSize(path), QStringLiteral("Quillforge (100%2.QLM, 1234 bytes)"));
    QCOMPARE(TfrmMain::CaptionWithSize(dir.filePath(QStringLiteral("gone.QLM"))),
             QStringLiteral("Quillforge (gone.QLM, 0 bytes)"));
  }

  void headerClicksSortTheRowsThemselves() {
    TfrmMain frm;
    frm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm));
    frm.Rows->AppendMany({entry("b.txt", 20), entry("C.txt", 100), entry("a.txt", 3)});
    frm.SelectRow(1);  // C.txt
    QVERIFY(!frm.ListView->header()->isSortIndicatorShown());

    clickHeader(frm.ListView, 0);
    QCOMPARE(captions(*frm.Rows), (QByteArrays{"a.txt", "b.txt", "C.txt"}));
    QVERIFY(frm.ListView->header()->isSortIndicatorShown());
    QCOMPARE(frm.ListView->header()->sortIndicatorOrder(), Qt::AscendingOrder);
    QCOMPARE(frm.SelectedRow(), 2);  // the selection follows its row

    clickHeader(frm.ListView, 0);
    QCOMPARE(captions(*frm.Rows), (QByteArrays{"C.txt", "b.txt", "a.txt"}));
    QCOMPARE(frm.ListView->header()->sortIndicatorOrder(), Qt::DescendingOrder);

    clickHeader(frm.ListView, 1);  // sizes by value, not by text
    QCOMPARE(captions(*frm.Rows), (QByteArrays{"a.txt", "b.txt", "C.txt"}));
    QCOMPARE(frm.ListView->header()->sortIndicatorSection(), 1);

    // A row added to a sorted list goes to its place.
    frm.Rows->Append(entry("d.txt", 50));
    QCOMPARE(captions(*frm.Rows), (QByteArrays{"a.txt", "b.txt", "d.txt", "C.txt"}));

    // Emptied, the list is unsorted again: rows stand in the order added.
    frm.Rows->Clear();
    QVERIFY(!frm.ListView->header()->isSortIndicatorShown());
    frm.Rows->AppendMany({entry("z", 1), entry("y", 2)});
    frm.Rows->Append(entry("a", 3));
    QCOMPARE(captions(*frm.Rows), (QByteArrays{"z", "y", "a"}));
  }

  void bulkRowsAndSelection() {
    TfrmMain frm;
    QList<ModEntry> many;
    for (int i = 0; i < 10000; ++i)
      many << ModEntry{"data\\f" + QByteArray::number(i), SizeText(i), QString()};
    frm.Rows->AppendMany(many);
    QCOMPARE(frm.Rows->Count(), 10000);
    QCOMPARE(frm.ListView->model()->rowCount(), 10000);
    QCOMPARE(frm.Rows->Row(9999).Caption, QByteArray("data\\f9999"));
    QCOMPARE(frm.SelectedRow(), -1);
    frm.SelectRow(5000);
    QCOMPARE(frm.SelectedRow(), 5000);
    frm.Rows->RemoveRows(0, 4000);
    QCOMPARE(frm.Rows->Count(), 6000);
    QCOMPARE(frm.SelectedRow(), 1000);
    frm.DeselectRow(1000);
    QCOMPARE(frm.SelectedRow(), -1);

    // Runs cut near the start, in the middle and at the end keep every other
    // row, in order, with its own file.
    frm.Rows->SetSourcePath(9, QStringLiteral("/nine"));
    frm.Rows->SetSourcePath(5990, QStringLiteral("/last"));
    frm.Rows->RemoveRows(10, 5);
    frm.Rows->RemoveRows(2990, 3);
    frm.Rows->RemoveRows(5985, 7);
    QCOMPARE(frm.Rows->Count(), 5985);
    const int kept[][2] = {{0, 4000},    {9, 4009},    {10, 4015},  {2989, 6994},
                           {2990, 6998}, {5982, 9990}, {5984, 9992}};
    for (const auto& [row, name] : kept)
      QCOMPARE(frm.Rows->Row(row).Caption, "data\\f" + QByteArray::number(name));
    QCOMPARE(frm.Rows->Row(9).SourcePath, QStringLiteral("/nine"));
    QCOMPARE(frm.Rows->Row(5982).SourcePath, QStringLiteral("/last"));
    for (int row : {0, 10, 5000}) QVERIFY(frm.Rows->Row(row).SourcePath.isEmpty());
  }

  // Removing rows from a long shown list leaves it laid out as a list that
  // never had them: a row for each row, and the scroll range a full fit gives.
  void removedRowsLeaveTheListLaidOut() {
    TfrmMain frm;
    QList<ModEntry> many;
    for (int i = 0; i < 3000; ++i)
      many << ModEntry{"data\\g" + QByteArray::number(i), SizeText(i), QString()};
    frm.Rows->AppendMany(many);
    frm.resize(600, 400);
    frm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm));
    FilesView* view = frm.ListView;
    QScrollBar* bar = view->verticalScrollBar();
    view->scrollTo(frm.Shown->index(1500, 0), QAbstractItemView::PositionAtTop);
    QCoreApplication::processEvents();
    // Removes count rows from first and compares the view with what a full
    // fit makes of it (a change of size makes the view fit everything again).
    const auto removeAndCompare = [&](int first, int count) {
      frm.Rows->RemoveRows(first, count);
      QCoreApplication::processEvents();
      const int rows = frm.Rows->Count();
      QCOMPARE(view->verticalHeader()->count(), rows);
      const QRect last = view->visualRect(frm.Shown->index(rows - 1, 0));
      QCOMPARE(view->rowAt(last.center().y()), rows - 1);
      const int fastMax = bar->maximum(), fastValue = bar->value();
      const int fastOffset = view->verticalHeader()->offset();
      view->resize(view->size() + QSize(0, 1));
      view->resize(view->size() - QSize(0, 1));
      QCoreApplication::processEvents();
      QCOMPARE(fastMax, bar->maximum());
      QCOMPARE(fastValue, bar->value());
      QCOMPARE(fastOffset, view->verticalHeader()->offset());
    };
    for (const auto& [first, count] : {std::pair{100, 1}, {1500, 10}, {2900, 50}, {0, 700}, {2000, 239}}) {
      frm.SelectRow(first);
      removeAndCompare(first, count);
      if (QTest::currentTestFailed()) return;
    }
    // Scrolled one row above the bottom, the last row goes: the rows now end
    // at the bottom of the list, as they do when scrolled to its end.
    bar->setValue(bar->maximum() - 1);
    QCoreApplication::processEvents();
    removeAndCompare(frm.Rows->Count() - 1, 1);
    if (QTest::currentTestFailed()) return;

    // A view given no model forgets the one it had.
    view->setModel(nullptr);
    frm.Rows->RemoveRows(0, 1);
    QCOMPARE(view->verticalHeader()->count(), 0);
  }

  void progressBarNeverShowsBusyAndStaysInRange() {
    StatusProgressBar bar;
    bar.SetMax(0);
    QCOMPARE(bar.Max(), 0);
    QVERIFY(bar.maximum() > bar.minimum());  // Qt's busy animation needs min == max
    bar.SetMax(3);
    bar.SetPosition(7);
    QCOMPARE(bar.Position(), 3);
    bar.SetPosition(1);
    bar.StepIt();
    QCOMPARE(bar.Position(), 2);
    QCOMPARE(bar.value(), 2);
  }

  void editPageEnterFiresOnFocusFromOutsideOnly() {
    QWidget page, inside(&page), outside;
    QVERIFY(TfrmMain::FocusEntersPage(&page, &outside, &inside));
    QVERIFY(TfrmMain::FocusEntersPage(&page, nullptr, &page));
    QVERIFY(!TfrmMain::FocusEntersPage(&page, &inside, &page));
    QVERIFY(!TfrmMain::FocusEntersPage(&page, &inside, &outside));

    TfrmMain frm;
    HandlerLog log(frm);
    frm.show();
    frm.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frm));
    frm.ListView->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), frm.ListView);
    frm.PageControl->setCurrentWidget(frm.tbsEdit);  // the focus follows into the page
    QTRY_COMPARE(log.names, QStringList{"tbsEditEnter"});

    // A dialog coming and going, the focus returning to the grid, enters nothing.
    {
      QDialog d(&frm);
      d.show();
      d.activateWindow();
      QTRY_VERIFY(QApplication::activeWindow() == &d);
    }
    frm.activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == &frm);
    QCOMPARE(log.names, QStringList{"tbsEditEnter"});
  }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"

// The Files list on the shown window: a double-click opens a sheet or a
// string table on the Edit page, the context menu holds the commands of the
// toolbar and the Actions menu with their enabled state, and the rows the
// next Update writes or deletes are marked while changes are pending.
#include <QApplication>
#include <QContextMenuEvent>
#include <QFont>
#include <QMenu>
#include <QTabWidget>
#include <QtTest>

#include "HandlerLog.h"
#include "Workspace.h"
#include "archive/strings/StringTableCodec.h"
#include "forms/edit/strings/StringTablePage.h"
#include "forms/files/FilteredRows.h"

using cmd::Workspace;

namespace {

const QByteArray kSheet = "data\\global\\excel\\Arena.txt";
const QByteArray kTable = "data\\local\\lng\\eng\\string.tbl";
const QByteArray kBlob = "data\\global\\ui\\blob.bin";

void OpenMod(Workspace& ws, const QMap<QString, QByteArray>& extra = {}) {
  StringTable table;
  table.strings = {{"Quill", "Forge"}};
  QMap<QString, QByteArray> files{{"data/global/excel/Arena.txt", "Arena\tSuicide\r\n1\t2\r\n"},
                                  {"data/local/lng/eng/string.tbl", stringtable::Write(table)},
                                  {"data/global/ui/blob.bin", "bin"},
                                  {"(modinfo)", EncodeModInfo(ModInfo{})}};
  files.insert(extra);
  const QString mod = ws.path("list.QLM");
  QVERIFY(cmd::SmpqCreate(mod, files));
  ws.Open(mod);
  ws.w->show();
  QVERIFY(QTest::qWaitForWindowExposed(ws.w));
}

QPoint RowCentre(Workspace& ws, const QByteArray& caption) {
  const int shown = ws.w->Shown->ShownRow(ws.RowOf(caption));
  return ws.w->ListView->visualRect(ws.w->Shown->index(shown, 0)).center();
}

// A press and release, then the second press as a double-click, as the
// window system delivers them.
void DoubleClick(Workspace& ws, const QByteArray& caption) {
  const QPoint at = RowCentre(ws, caption);
  QTest::mouseClick(ws.w->ListView->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(ws.w->ListView->viewport(), Qt::LeftButton, {}, at);
}

// Right-clicks the row; the menu that opens, or null.
QMenu* ContextMenuOn(Workspace& ws, const QByteArray& caption) {
  QWidget* viewport = ws.w->ListView->viewport();
  const QPoint at = RowCentre(ws, caption);
  QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
  QApplication::sendEvent(viewport, &event);
  return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QFont RowFont(Workspace& ws, const QByteArray& caption, int column = ModListModel::NameColumn) {
  return ws.w->Rows->index(ws.RowOf(caption), column).data(Qt::FontRole).value<QFont>();
}

}  // namespace

class TestCmdFilesList : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    if (!cmd::HaveSmpq()) QSKIP("smpq is not installed");
  }

  void doubleClickOpensOnTheEditPage() {
    Workspace ws;
    OpenMod(ws);
    HandlerLog log(*ws.w);
    DoubleClick(ws, kBlob);
    QCOMPARE(ws.w->PageControl->currentWidget(), ws.w->tbsFiles);  // no sheet: nothing opens
    QVERIFY(log.names.isEmpty());

    DoubleClick(ws, kSheet);
    QCOMPARE(ws.w->PageControl->currentWidget(), ws.w->tbsEdit);
    QCOMPARE(ws.w->EditShownName, kSheet);

    ws.w->PageControl->setCurrentWidget(ws.w->tbsFiles);
    ws.w->ListView->setFocus();
    ws.w->SelectRow(ws.RowOf(kTable));
    QTest::keyClick(ws.w->ListView, Qt::Key_Return);  // a string table, by Enter
    QCOMPARE(ws.w->PageControl->currentWidget(), ws.w->tbsEdit);
    QVERIFY(ws.w->StringsPage->isVisible());
  }

  // The menu's items are the window's own actions, enabled as they are
  // there; Export presses the toolbar's button.
  void contextMenuOffersTheCommands() {
    Workspace ws;
    OpenMod(ws);
    QMenu* menu = ContextMenuOn(ws, kBlob);
    QVERIFY(menu);
    QCOMPARE(menu, ws.w->mnuFilesList);
    QVERIFY(!menu->accessibleName().isEmpty());
    const QList<QAction*> items = menu->actions();
    for (QAction* shared : {ws.w->mniAddFile, ws.w->mniAddFolder, ws.w->mniRemoveFile, ws.w->mniExportAll})
      QVERIFY2(items.contains(shared), qPrintable(shared->objectName()));
    QVERIFY(!ws.w->mniEditEntry->isEnabled());  // no sheet
    QCOMPARE(ws.w->mniExportFile->isEnabled(), ws.w->btnExport->isEnabled());
    menu->close();

    menu = ContextMenuOn(ws, kSheet);
    QVERIFY(menu);
    QVERIFY(ws.w->mniEditEntry->isEnabled());
    menu->close();
    ws.w->mniEditEntry->trigger();
    QCOMPARE(ws.w->EditShownName, kSheet);
    HandlerLog log(*ws.w);
    ws.ui.CancelFileDialog();
    ws.w->mniExportFile->trigger();
    QCOMPARE(log.names, QStringList{"btnExportClick"});
    QCOMPARE(ws.ui.fileDialogs.last().dialog.FileName, QStringLiteral("Arena.txt"));
  }

  // Bold: a row with a file the next Update writes; struck out: a row whose
  // entry it deletes, as another row of its name was removed. No marks once
  // Update has written them.
  void pendingMarks() {
    Workspace ws;
    OpenMod(ws, {{"data/Twice.bin", "one"}});
    // The listfile names the entry twice, in two spellings.
    ws.w->Rows->Append(ModEntry{"DATA\\TWICE.BIN", SizeText(3), QString()});
    QVERIFY(!RowFont(ws, kSheet).bold());

    const QByteArray added = "data\\global\\ui\\new.bin";
    const QString file = ws.path("in/new.bin");
    QVERIFY(QDir().mkpath(ws.inputDir()));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write("new") == 3);
    out.close();
    ws.Add({file}, {added});
    QVERIFY(RowFont(ws, added).bold());
    QVERIFY(!RowFont(ws, added, ModListModel::SizeColumn).bold());  // the Size column keeps its width
    QVERIFY(!RowFont(ws, kSheet).bold());
    QVERIFY(ws.w->Rows->index(ws.RowOf(added), 0)
                .data(Qt::ToolTipRole)
                .toString()
                .contains(QDir::toNativeSeparators(file)));

    ws.w->SelectRow(ws.RowOf("data\\Twice.bin"));
    ws.w->btnRemove->click();
    QVERIFY(RowFont(ws, "DATA\\TWICE.BIN").strikeOut());
    QVERIFY(!RowFont(ws, added).strikeOut());

    ws.Update();
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));
    QVERIFY(!RowFont(ws, added).bold());
    QVERIFY(!RowFont(ws, "DATA\\TWICE.BIN").strikeOut());
  }
};

QTEST_MAIN(TestCmdFilesList)
#include "test_cmd_fileslist.moc"

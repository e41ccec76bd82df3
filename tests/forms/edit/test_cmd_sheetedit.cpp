// The Edit page's editing commands in the real window, typed as the user
// types them: undo and redo with the modified mark, rows, blocks through the
// clipboard, find and replace, the frozen first column; and a duplicated
// cubemain row reaching the archive through Save and Update, read back by smpq.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include "Fixtures.h"
#include "Workspace.h"
#include "archive/SheetCodec.h"
#include "forms/edit/EditPageActions.h"
#include "forms/edit/EditPageGrid.h"
#include "forms/edit/SheetFindBar.h"
#include "forms/edit/SheetGridModel.h"
#include "forms/files/FilesView.h"
#include "forms/widgets/AnsiLineEdit.h"
#include "platform/Ansi.h"

using cmd::Workspace;

namespace {

const QByteArray kSmall = "Name\tCode\tLevel\r\nring\tr1\t5\r\namulet\tamu\t9\r\nRing Mail\trng\t12\r\n";

// A mod holding the given sheets, opened, shown active, the first sheet on
// the Edit page with the focus in its grid.
EditPageGrid& ShowSheet(Workspace& ws, const QMap<QString, QByteArray>& sheets) {
  const QString mod = ws.path("sheets.QLM");
  QMap<QString, QByteArray> files = sheets;
  files.insert("(modinfo)", EncodeModInfo(ModInfo{}));
  if (!cmd::SmpqCreate(mod, files)) qFatal("smpq could not build the mod");
  ws.Open(mod);
  ws.w->show();
  QApplication::setActiveWindow(ws.w);
  if (!QTest::qWaitForWindowActive(ws.w)) qWarning("window not active");
  ws.w->SelectRow(0);
  ws.w->EditSelectedSheet();
  return *static_cast<EditPageGrid*>(ws.w->StringGrid);
}

QLineEdit* Editor() {
  return qobject_cast<QLineEdit*>(QApplication::focusWidget());
}

void Key(int key, Qt::KeyboardModifiers mods = {}) {
  QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), mods);
}

QByteArray Text(const SheetGrid& grid) {
  QByteArray text;
  for (int r = 0; r < grid.RowCount(); ++r) {
    grid.AppendJoinedRow(r, text);
    text.append("\r\n");
  }
  return text;
}

void Go(EditPageGrid& grid, int col, int row) {
  grid.setCurrentIndex(grid.model()->index(row, col));
  QVERIFY(Editor());
}

}  // namespace

class TestCmdSheetEdit : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    if (!cmd::HaveSmpq()) QSKIP("smpq is not installed");
  }

  void undoRedoAndTheModifiedMark() {
    Workspace ws;
    EditPageGrid& grid = ShowSheet(ws, {{"data/global/excel/Small.txt", kSmall}});
    EditPageActions& page = *ws.w->EditActions;
    QVERIFY(!page.tbSheetUndo->isEnabled());
    QVERIFY(!page.tbSheetRedo->isEnabled());

    // A typed cell is one step, whatever the editor does with Ctrl+Z itself.
    Editor()->end(false);
    QTest::keyClicks(Editor(), QStringLiteral("XY"));
    QCOMPARE(grid.Grid().Cell(0, 1), QByteArray("ringXY"));
    QVERIFY(page.tbSheetUndo->isEnabled());
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(grid.Grid().Cell(0, 1), QByteArray("ring"));
    QCOMPARE(Editor()->text(), QStringLiteral("ring"));
    QVERIFY(!grid.Modified());
    QVERIFY(!page.tbSheetUndo->isEnabled());
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(grid.Grid().Cell(0, 1), QByteArray("ringXY"));
    page.tbSheetUndo->click();
    Key(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(grid.Grid().Cell(0, 1), QByteArray("ringXY"));

    // Saved, edited, undone to the save: nothing to discard on entering again.
    ws.ui.ConfirmFileDialog({ws.path("in/small.txt")});
    ws.w->tbSheetSave->click();
    QVERIFY(!grid.Modified());
    Go(grid, 2, 1);
    QTest::keyClicks(Editor(), QStringLiteral("0"));
    QVERIFY(grid.Modified());
    page.tbSheetUndo->click();
    QVERIFY(!grid.Modified());
    QVERIFY(page.tbSheetUndo->isEnabled());  // the history goes back past the save
    ws.w->ListView->setFocus();
    ws.w->EditSelectedSheet();  // an unanswered question would fail here
    QCOMPARE(Text(grid.Grid()), QByteArray(kSmall).replace("ring\t", "ringXY\t"));
    QVERIFY(!page.tbSheetUndo->isEnabled());  // filling starts a new history
  }

  void rowsByKeyButtonAndMenu() {
    Workspace ws;
    EditPageGrid& grid = ShowSheet(ws, {{"data/global/excel/Small.txt", kSmall}});
    Go(grid, 1, 1);
    Key(Qt::Key_I, Qt::ControlModifier);
    QCOMPARE(grid.Grid().RowCount(), 5);
    QCOMPARE(grid.Grid().Cell(0, 2), QByteArray());
    QCOMPARE(grid.CurrentCell().row, 2);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(Text(grid.Grid()), kSmall);
    // Two rows selected with Shift+Down, each copied below itself.
    Go(grid, 0, 0);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(Text(grid.Grid()), QByteArray(kSmall)
                                    .replace("ring\tr1\t5\r\n", "ring\tr1\t5\r\nring\tr1\t5\r\n")
                                    .replace("amulet\tamu\t9\r\n", "amulet\tamu\t9\r\namulet\tamu\t9\r\n"));
    ws.w->EditActions->tbSheetUndo->click();
    Go(grid, 0, 0);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    ws.w->EditActions->tbSheetDeleteRow->click();
    QCOMPARE(Text(grid.Grid()), "Name\tCode\tLevel\r\nRing Mail\trng\t12\r\n");
    QStringList items;
    for (QAction* a : ws.w->EditActions->mnuSheetGrid->actions())
      if (!a->isSeparator()) items << a->objectName();
    QCOMPARE(items, (QStringList{"mniSheetUndo", "mniSheetRedo", "mniSheetCut", "mniSheetCopy",
                                 "mniSheetPaste", "mniSheetClear", "mniSheetInsertRow",
                                 "mniSheetDuplicateRow", "mniSheetDeleteRow"}));
    // The last row under the header goes too; the header stays, still fixed.
    ws.w->EditActions->mniSheetDeleteRow->trigger();
    QCOMPARE(Text(grid.Grid()), "Name\tCode\tLevel\r\n");
    QCOMPARE(grid.Grid().FixedRows(), 1);
    QVERIFY(grid.horizontalHeader()->isVisible());
    ws.w->EditActions->mniSheetDeleteRow->trigger();
    ws.w->EditActions->mniSheetUndo->trigger();
    QCOMPARE(grid.Grid().FixedRows(), 1);
    QVERIFY(grid.horizontalHeader()->isVisible());
  }

  void blocksThroughTheClipboard() {
    Workspace ws;
    EditPageGrid& grid = ShowSheet(ws, {{"data/global/excel/Small.txt", kSmall}});
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Within one cell the editor keeps its keys: Delete, and Ctrl+C on the
    // text selected in it.
    Go(grid, 0, 0);
    Editor()->setCursorPosition(0);
    Key(Qt::Key_Delete);
    QCOMPARE(grid.Grid().Cell(0, 1), QByteArray("ing"));
    Editor()->setSelection(0, 2);
    Key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), QStringLiteral("in"));
    Key(Qt::Key_V, Qt::ControlModifier);  // a single value goes in at the caret
    QCOMPARE(grid.Grid().Cell(0, 1), QByteArray("ing"));
    Editor()->setCursorPosition(3);
    Key(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(grid.Grid().Cell(0, 1), QByteArray("ingin"));
    ws.w->EditActions->tbSheetUndo->click();

    // Shift+Right at the text's end, then Shift+Down: a block of 2 x 2.
    Go(grid, 1, 0);
    Editor()->end(false);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(grid.SelectedCellCount(), 4);
    Key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), QStringLiteral("r1\t5\r\namu\t9\r\n"));
    Key(Qt::Key_Delete);
    QCOMPARE(grid.Grid().Cell(2, 2), QByteArray());
    // Pasted at the last row's second cell: a row added, a column dropped.
    Go(grid, 1, 2);
    Key(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(Text(grid.Grid()),
             "Name\tCode\tLevel\r\nring\t\t\r\namulet\t\t\r\nRing Mail\tr1\t5\r\n\tamu\t9\r\n");
    Go(grid, 2, 3);
    Key(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(ws.w->HintPanel->text(), QStringLiteral("1 column past the last column was not pasted."));
    QCOMPARE(grid.Grid().Cell(2, 4), QByteArray("r1"));

    // One value into a selected block fills it; every step undoes in turn.
    clipboard->setText(ansi::toDisplay("\x80\xff"));
    Go(grid, 0, 0);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(grid.Grid().Cell(0, 2), QByteArray("\x80\xff"));
    while (grid.Editor().Stack().canUndo()) Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Text(grid.Grid()), kSmall);
  }

  // Text with a TAB or a line end that comes into the open cell editor by
  // its own roads (its context menu's Paste, a drop) goes in as cells, as
  // Ctrl+V puts it; a single value with a control character, and a
  // replacement holding a TAB, are refused with a note. The sheet keeps its
  // rows and columns throughout.
  void textWithSeparatorsNeverBreaksARow() {
    Workspace ws;
    EditPageGrid& grid = ShowSheet(ws, {{"data/global/excel/Small.txt", kSmall}});
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QString note = QStringLiteral(
        "A cell cannot hold a TAB, a line end or another control character: nothing was changed.");
    auto menuPaste = [] {
      QLineEdit* editor = Editor();
      QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), editor->mapToGlobal(QPoint(2, 2)));
      QApplication::sendEvent(editor, &event);
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      QVERIFY(menu);
      QAction* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"));
      QVERIFY(paste);
      paste->trigger();
      menu->close();
    };
    // Two cells copied from a spreadsheet, pasted with the editor's own Paste.
    clipboard->setText(QStringLiteral("X\tY\r\n"));
    Go(grid, 0, 0);
    menuPaste();
    QCOMPARE(Text(grid.Grid()), QByteArray(kSmall).replace("ring\tr1", "X\tY"));
    // Dropped on the editor: the same.
    QMimeData dropped;
    dropped.setText(QStringLiteral("P\tQ"));
    Go(grid, 1, 1);
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Editor(), &enter);
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Editor(), &drop);
    QCOMPARE(grid.Grid().Cell(1, 2), QByteArray("P"));
    QCOMPARE(grid.Grid().Cell(2, 2), QByteArray("Q"));
    const QByteArray pasted = Text(grid.Grid());

    // A single value with a control character: by menu, by key.
    clipboard->setText(QStringLiteral("a\u0001b"));
    Go(grid, 0, 2);
    menuPaste();
    QCOMPARE(ws.w->HintPanel->text(), note);
    ws.w->HintPanel->clear();
    Key(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(ws.w->HintPanel->text(), note);
    QCOMPARE(Editor()->text(), QStringLiteral("Ring Mail"));

    // Replace and Replace All with "a<TAB>b".
    SheetFindBar& bar = *ws.w->EditActions->FindBar;
    Key(Qt::Key_H, Qt::ControlModifier);
    bar.edtFind->setText(QStringLiteral("1"));
    bar.edtReplace->setText(QStringLiteral("a\tb"));
    ws.w->HintPanel->clear();
    bar.btnReplaceAll->click();
    QCOMPARE(ws.w->HintPanel->text(), note);
    ws.w->HintPanel->clear();
    bar.btnReplace->click();
    QCOMPARE(ws.w->HintPanel->text(), note);
    QCOMPARE(Text(grid.Grid()), pasted);
    for (const QByteArray& line : SplitLines(pasted)) QCOMPARE(line.count('\t'), 2);
    QCOMPARE(SplitLines(pasted).size(), 4);
  }

  void findAndReplace() {
    Workspace ws;
    EditPageGrid& grid = ShowSheet(ws, {{"data/global/excel/Small.txt", kSmall}});
    SheetFindBar& bar = *ws.w->EditActions->FindBar;
    QVERIFY(bar.isHidden());
    Key(Qt::Key_F, Qt::ControlModifier);
    QVERIFY(bar.isVisible());
    QCOMPARE(QApplication::focusWidget(), bar.edtFind);
    QCOMPARE(bar.edtFind->accessibleName(), QStringLiteral("Find"));
    QVERIFY(!bar.edtReplace->isVisible());

    QTest::keyClicks(bar.edtFind, QStringLiteral("RING"));
    Key(Qt::Key_Return);
    QCOMPARE(grid.CurrentCell().row, 3);  // "Ring Mail"; the current cell itself comes last
    Key(Qt::Key_F3);
    QCOMPARE(grid.CurrentCell().row, 1);
    QCOMPARE(ws.w->HintPanel->text(), QStringLiteral("Passed the end of the sheet, went on from the top."));
    bar.chkMatchCase->setChecked(true);
    Key(Qt::Key_F3);
    QCOMPARE(ws.w->HintPanel->text(), QStringLiteral("Cannot find \"RING\"."));
    // The header row is searched too: its column comes into view, marked.
    bar.chkMatchCase->setChecked(false);
    bar.chkWholeCell->setChecked(true);
    bar.edtFind->setText(QStringLiteral("level"));
    Key(Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(ws.w->HintPanel->text(), QStringLiteral("Found in the header row."));
    QCOMPARE(grid.CurrentCell().col, 2);
    QVERIFY(grid.model()->headerData(2, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());

    Key(Qt::Key_H, Qt::ControlModifier);
    QVERIFY(bar.edtReplace->isVisible());
    bar.chkWholeCell->setChecked(false);
    bar.edtFind->setText(QStringLiteral("r"));
    bar.edtReplace->setText(QStringLiteral("R"));
    bar.btnReplaceAll->click();
    QCOMPARE(ws.w->HintPanel->text(), QStringLiteral("Replace All changed 3 cells."));
    QCOMPARE(grid.Grid().Cell(0, 0), QByteArray("Name"));  // the fixed header is not written
    QCOMPARE(grid.Grid().Cell(1, 1), QByteArray("R1"));
    // The find field keeps its own Ctrl+Z; the button undoes the sheet.
    ws.w->EditActions->tbSheetUndo->click();
    QCOMPARE(Text(grid.Grid()), kSmall);
    // Replace writes the current cell when it matches, then finds the next.
    bar.edtFind->setText(QStringLiteral("amu"));
    bar.edtReplace->setText(QStringLiteral("AMU"));
    grid.setCurrentIndex(grid.model()->index(1, 1));
    bar.btnReplace->click();
    QCOMPARE(grid.Grid().Cell(1, 2), QByteArray("AMU"));
    QCOMPARE(grid.CurrentCell().col, 0);
    bar.btnReplace->click();
    QCOMPARE(grid.Grid().Cell(0, 2), QByteArray("AMUlet"));
    // Esc closes the bar and the focus goes back into the grid, which is not
    // entered afresh: an unanswered discard question would fail here.
    Key(Qt::Key_Escape);
    QVERIFY(bar.isHidden());
    QVERIFY(grid.isAncestorOf(QApplication::focusWidget()));
    ws.w->EditActions->tbSheetUndo->click();
    ws.w->EditActions->tbSheetUndo->click();
    QCOMPARE(Text(grid.Grid()), kSmall);
    // Ctrl+F belongs to the Edit page only.
    ws.w->PageControl->setCurrentWidget(ws.w->tbsFiles);
    ws.w->ListView->setFocus();
    Key(Qt::Key_F, Qt::ControlModifier);
    QVERIFY(bar.isHidden());
  }

  // Tab goes from Find to Replace With, then the buttons and options, and
  // comes round to Find; Shift+Tab goes back. Each stop has the focus, and a
  // button draws otherwise with it than without. Without the replace line
  // its controls are passed over.
  void findBarTabStops() {
    Workspace ws;
    ShowSheet(ws, {{"data/global/excel/Small.txt", kSmall}});
    SheetFindBar& bar = *ws.w->EditActions->FindBar;
    const QList<QWidget*> all = {bar.edtFind,         bar.edtReplace,   bar.btnFindNext,
                                 bar.btnFindPrevious, bar.btnReplace,   bar.btnReplaceAll,
                                 bar.chkMatchCase,    bar.chkWholeCell, bar.btnFindClose};
    auto tabRound = [&](const QList<QWidget*>& stops) {
      for (qsizetype i = 1; i <= stops.size(); ++i) {
        Key(Qt::Key_Tab);
        QWidget* stop = stops[i % stops.size()];
        QCOMPARE(QApplication::focusWidget(), stop);
        QVERIFY(stop->hasFocus());
        if (auto* button = qobject_cast<QAbstractButton*>(stop)) {
          const QImage focused = button->grab().toImage();
          button->clearFocus();
          QVERIFY2(button->grab().toImage() != focused, qPrintable(button->objectName()));
          button->setFocus(Qt::TabFocusReason);
        }
      }
      Key(Qt::Key_Tab, Qt::ShiftModifier);
      QCOMPARE(QApplication::focusWidget(), stops.last());
    };
    Key(Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), bar.edtFind);
    tabRound(all);
    if (QTest::currentTestFailed()) return;

    Key(Qt::Key_Escape);
    Key(Qt::Key_F, Qt::ControlModifier);
    QList<QWidget*> findOnly = all;
    for (QWidget* w : QList<QWidget*>{bar.edtReplace, bar.btnReplace, bar.btnReplaceAll})
      findOnly.removeOne(w);
    tabRound(findOnly);
  }

  void frozenFirstColumnStaysInViewAndEditable() {
    QF_REQUIRE_FIXTURES();
    Workspace ws;
    const QByteArray cube = fixtures::readAll(fixtures::modDir() + "/data/global/excel/cubemain.txt");
    EditPageGrid& grid = ShowSheet(ws, {{"data/global/excel/cubemain.txt", cube}});
    QToolButton* freeze = ws.w->EditActions->tbSheetFreezeColumn;
    QVERIFY(freeze->isCheckable());
    QVERIFY(!freeze->isChecked());
    freeze->click();
    QVERIFY(grid.FirstColumnFrozen());
    auto* frozen = grid.findChild<QTableView*>(QStringLiteral("StringGridFrozenColumn"));
    QVERIFY(frozen && frozen->isVisible());

    grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
    QCOMPARE(frozen->geometry().left(), grid.verticalHeader()->width() + grid.frameWidth());
    QCOMPARE(frozen->columnWidth(0), grid.columnWidth(0));
    // Column 0 is edited in place in the frozen view, the grid staying put.
    const int sideways = grid.horizontalScrollBar()->value();
    Go(grid, 0, 5);
    QVERIFY(frozen->isAncestorOf(Editor()));
    QCOMPARE(grid.horizontalScrollBar()->value(), sideways);
    QTest::keyClicks(Editor(), QStringLiteral("!"));
    QVERIFY(grid.Grid().Cell(0, 6).endsWith('!'));
    // Unfrozen while editing there: the editor moves into the grid, the edit
    // stays (no refill); frozen again, it moves back.
    freeze->click();
    QVERIFY(frozen->isHidden());
    QVERIFY(grid.viewport()->isAncestorOf(Editor()));
    QVERIFY(grid.Modified());
    freeze->click();
    QVERIFY(frozen->isAncestorOf(Editor()));
    // Tab goes on to column 1, in the grid itself.
    Key(Qt::Key_Tab);
    QCOMPARE(grid.CurrentCell().col, 1);
    QVERIFY(grid.viewport()->isAncestorOf(Editor()));
    Key(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!grid.Modified());
    freeze->click();
    QVERIFY(frozen->isHidden());
  }

  void duplicatedCubemainRowReachesTheArchive() {
    QF_REQUIRE_FIXTURES();
    Workspace ws;
    const QByteArray cube = fixtures::readAll(fixtures::modDir() + "/data/global/excel/cubemain.txt");
    EditPageGrid& grid = ShowSheet(ws, {{"data/global/excel/cubemain.txt", cube}});
    Go(grid, 3, 99);
    Key(Qt::Key_D, Qt::ControlModifier);
    const QString saved = ws.path("in/cubemain.txt");
    ws.ui.ConfirmFileDialog({saved});
    ws.w->tbSheetSave->click();
    ws.Update();
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));

    QTemporaryDir out;
    QProcess smpq;
    smpq.setWorkingDirectory(out.path());
    smpq.start(QStringLiteral("/usr/bin/smpq"), {"-x", ws.w->ModFileName});
    QVERIFY(smpq.waitForFinished(60000) && smpq.exitCode() == 0);
    LineList lines = SplitLines(cube);
    lines.insert(101, lines.at(100));
    QByteArray expected;
    for (const QByteArray& line : lines) expected += line + "\r\n";
    QCOMPARE(fixtures::readAll(out.filePath("data/global/excel/cubemain.txt")), expected);
  }
};

QTEST_MAIN(TestCmdSheetEdit)
#include "test_cmd_sheetedit.moc"

#include <QHeaderView>
#include <QLineEdit>
#include <QtTest>

#include "Fixtures.h"
#include "SheetCells.h"
#include "archive/SheetCodec.h"
#include "forms/edit/SheetGridModel.h"
#include "forms/edit/SheetGridView.h"
#include "platform/Ansi.h"
#include "platform/AppError.h"

class TestSheetGridView : public QObject {
  Q_OBJECT

  // A shown, focused view over the given sheet, its header row fixed as the
  // Edit page leaves it.
  std::unique_ptr<SheetGridView> ShownView(const LineList& lines) {
    auto view = std::make_unique<SheetGridView>();
    view->resize(640, 400);
    view->ChangeGrid([&](SheetGrid& grid) {
      grid.SetRowCount(2);
      grid.SetColCount(1);
      grid.SetFixedRows(1);
      LinesToGrid(lines, grid);
    });
    view->show();
    view->activateWindow();
    view->setFocus();
    if (!QTest::qWaitForWindowActive(view.get())) qWarning("window not active");
    // The editor opens once the focus move has settled.
    QCoreApplication::processEvents();
    return view;
  }

  // The open cell editor: it holds the focus inside the view.
  static QLineEdit* Editor(SheetGridView& view) {
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    return editor && view.isAncestorOf(editor) ? editor : nullptr;
  }

 private slots:
  // --- the model ---

  void fixedRowIsTheHeaderNotAModelRow() {
    SheetGrid grid;
    SheetGridModel model(&grid);
    LinesToGrid({"name\tvalue", "a\t1", "b\t2"}, grid);
    QCOMPARE(model.rowCount(), 3);
    grid.SetFixedRows(1);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("1"));
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("name"));
    // The row header gives each row's line number in the file.
    QCOMPARE(model.headerData(0, Qt::Vertical).toInt(), 2);
    QCOMPARE(model.headerData(1, Qt::Vertical).toInt(), 3);

    // Writing the header reaches row 0; no cell index does.
    QVERIFY(model.setHeaderData(1, Qt::Horizontal, QStringLiteral("VALUE")));
    QCOMPARE(grid.Cell(1, 0), QByteArray("VALUE"));
    QVERIFY(model.setData(model.index(0, 0), QStringLiteral("A")));
    QCOMPARE(grid.Cell(0, 1), QByteArray("A"));
    QCOMPARE(grid.Cell(0, 0), QByteArray("name"));
    QVERIFY(!model.index(2, 0).isValid());

    grid.SetFixedRows(0);
    QVERIFY(!model.setHeaderData(0, Qt::Horizontal, QStringLiteral("x")));
    QCOMPARE(grid.Cell(0, 0), QByteArray("name"));
    // Without a fixed row the first row is the file's first line.
    QCOMPARE(model.headerData(0, Qt::Vertical).toInt(), 1);
  }

  void everyByteRoundTripsThroughTheModel() {
    SheetGrid grid;
    grid.SetColCount(2);
    grid.SetRowCount(2);
    grid.SetFixedRows(1);
    SheetGridModel model(&grid);
    QByteArray all = AllBytes();
    for (char separator : {'\t', '\n', '\r'}) all.remove(all.indexOf(separator), 1);
    grid.SetCell(0, 1, all);
    const QString shown = model.index(0, 0).data().toString();
    QCOMPARE(shown.size(), 253);
    QCOMPARE(shown.at(0x80 - 3), QChar(0x20AC));  // shown as Windows-1252
    // An edit hands back what was shown: the bytes must be the same.
    QVERIFY(model.setData(model.index(0, 1), shown));
    QCOMPARE(grid.Cell(1, 1), all);
    QVERIFY(model.setHeaderData(0, Qt::Horizontal, model.index(0, 0).data()));
    QCOMPARE(grid.Cell(0, 0), all);
    // A TAB or a line end never gets into a cell, nor into the header.
    for (const QString bad : {"a\tb", "a\nb", "a\r"}) {
      QVERIFY(!model.setData(model.index(0, 1), bad));
      QVERIFY(!model.setHeaderData(1, Qt::Horizontal, bad));
    }
    QCOMPARE(grid.Cell(1, 1), all);
    QCOMPARE(grid.Cell(1, 0), QByteArray());
  }

  void editsSignalOnlyRealChanges() {
    SheetGrid grid;
    SheetGridModel model(&grid);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(model.setData(model.index(0, 0), QStringLiteral("x")));
    QVERIFY(model.setData(model.index(0, 0), QStringLiteral("x")));
    QCOMPARE(changed.count(), 1);
    // A character that has no byte is stored as '?'.
    QVERIFY(model.setData(model.index(0, 0), QString(QChar(0x03A9))));
    QCOMPARE(grid.Cell(0, 0), QByteArray("?"));
  }

  // --- the view ---

  void startsAsTheEditPageNeedsIt() {
    SheetGridView view;
    QCOMPARE(view.objectName(), QStringLiteral("StringGrid"));
    QCOMPARE(view.accessibleName(), QStringLiteral("Sheet grid"));
    QCOMPARE(view.model()->rowCount(), 1);
    QCOMPARE(view.model()->columnCount(), 1);
    QVERIFY(view.isEnabled());
    QVERIFY(view.horizontalHeader()->isHidden());
    QCOMPARE(view.columnWidth(0), 128);
    QCOMPARE(view.rowHeight(0), 18);
  }

  void headerShowsOnlyWithAFixedRow() {
    auto view = ShownView({"a\tb\tc", "1\t2\t3"});
    QVERIFY(view->horizontalHeader()->isVisible());
    QCOMPARE(view->model()->rowCount(), 1);
    // A single line is an ordinary, editable row.
    view->ChangeGrid([](SheetGrid& grid) {
      grid.SetRowCount(2);
      grid.SetFixedRows(1);
      LinesToGrid({"a\tb"}, grid);
    });
    QVERIFY(view->horizontalHeader()->isHidden());
    QCOMPARE(view->model()->rowCount(), 1);
    QCOMPARE(view->model()->index(0, 0).data().toString(), QStringLiteral("a"));
  }

  // Dragging the line between two header sections sizes the row or column.
  void rowsAndColumnsSizeWithTheMouse() {
    auto view = ShownView({"a\tb", "1\t2", "3\t4"});
    QHeaderView* rows = view->verticalHeader();
    QTest::mousePress(rows->viewport(), Qt::LeftButton, {}, QPoint(rows->width() / 2, 17));
    QTest::mouseMove(rows->viewport(), QPoint(rows->width() / 2, 40));
    QTest::mouseRelease(rows->viewport(), Qt::LeftButton, {}, QPoint(rows->width() / 2, 40));
    QCOMPARE(view->rowHeight(0), 41);
    QCOMPARE(view->rowHeight(1), 18);

    QHeaderView* cols = view->horizontalHeader();
    const int y = cols->height() / 2;
    QTest::mousePress(cols->viewport(), Qt::LeftButton, {}, QPoint(127, y));
    QTest::mouseMove(cols->viewport(), QPoint(60, y));
    QTest::mouseRelease(cols->viewport(), Qt::LeftButton, {}, QPoint(60, y));
    QCOMPARE(view->columnWidth(0), 61);
  }

  void focusedGridShowsTheEditorAndStoresEveryKeystroke() {
    auto view = ShownView({"h1\th2", "abc\tdef", "ghi\tjkl"});
    QLineEdit* editor = Editor(*view);
    QVERIFY(editor);
    QCOMPARE(view->currentIndex(), view->model()->index(0, 0));
    QCOMPARE(editor->text(), QStringLiteral("abc"));

    // Typing in the middle: each character lands in the cell at once, and the
    // caret stays where the user put it.
    editor->setCursorPosition(1);
    QTest::keyClicks(editor, QStringLiteral("X"));
    QCOMPARE(view->Grid().Cell(0, 1), QByteArray("aXbc"));
    QTest::keyClicks(editor, QStringLiteral("Y"));
    QCOMPARE(view->Grid().Cell(0, 1), QByteArray("aXYbc"));
    QCOMPARE(editor->cursorPosition(), 3);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QCOMPARE(view->Grid().Cell(0, 1), QByteArray("aXbc"));

    // Enter and Escape neither close the editor nor undo what was stored.
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClick(editor, Qt::Key_Escape);
    QCOMPARE(Editor(*view), editor);
    QVERIFY(editor->isVisible());
    QCOMPARE(view->Grid().Cell(0, 1), QByteArray("aXbc"));
  }

  void tabMovesToTheNextCell() {
    auto view = ShownView({"h1\th2", "abc\tdef", "ghi\tjkl"});
    QVERIFY(Editor(*view));
    QTest::keyClick(Editor(*view), Qt::Key_Tab);
    QCOMPARE(view->currentIndex(), view->model()->index(0, 1));
    QLineEdit* editor = Editor(*view);
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("def"));
    // At the end of a row, on to the first cell of the next.
    QTest::keyClick(editor, Qt::Key_Tab);
    QCOMPARE(view->currentIndex(), view->model()->index(1, 0));
    // Entering a cell by Tab selects its text, so typing replaces it.
    QTest::keyClicks(Editor(*view), QStringLiteral("Z"));
    QCOMPARE(view->Grid().Cell(0, 2), QByteArray("Z"));
    // The arrow keys move too, and the editor follows.
    QTest::keyClick(Editor(*view), Qt::Key_Up);
    QCOMPARE(view->currentIndex(), view->model()->index(0, 0));
    QCOMPARE(Editor(*view)->text(), QStringLiteral("abc"));
  }

  void editorKeepsLongAndHighByteCells() {
    const QByteArray longCell(40000, 'q');
    QByteArray high = AllBytes().mid(1);  // a sheet cell holds no NUL
    high.replace('\t', "");
    high.replace('\r', "");
    high.replace('\n', "");
    auto view = ShownView({"h\tg", longCell + "\t" + high});
    QLineEdit* editor = Editor(*view);
    QVERIFY(editor);
    QCOMPARE(editor->text().size(), 40000);
    QCOMPARE(view->Grid().Cell(0, 1), longCell);
    QTest::keyClick(editor, Qt::Key_Tab);
    QVERIFY(Editor(*view));
    QCOMPARE(ansi::fromDisplay(Editor(*view)->text()), high);
    QCOMPARE(view->Grid().Cell(1, 1), high);
  }

  void disabledGridTakesNoInput() {
    auto view = ShownView({"h", "x"});
    view->ChangeGrid([](SheetGrid& grid) {
      grid.SetColCount(0);
      grid.SetRowCount(0);
      grid.SetFixedRows(0);
      grid.SetEnabled(false);
    });
    QVERIFY(!view->isEnabled());
    QVERIFY(view->horizontalHeader()->isHidden());
    QVERIFY(!qobject_cast<QLineEdit*>(QApplication::focusWidget()));
    view->ChangeGrid([](SheetGrid& grid) { grid.SetEnabled(true); });
    QVERIFY(view->isEnabled());
  }

  void refillWhileEditingShowsTheNewSheet() {
    auto view = ShownView({"h1\th2", "abc\tdef"});
    QTest::keyClicks(Editor(*view), QStringLiteral("!"));
    view->ChangeGrid([](SheetGrid& grid) { LinesToGrid({"x", "fresh", "more"}, grid); });
    // The old editor's text went nowhere, and the editor is open in the new sheet.
    QCOMPARE(view->Grid().Cell(0, 1), QByteArray("fresh"));
    QLineEdit* editor = Editor(*view);
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("fresh"));
    QCOMPARE(view->currentIndex(), view->model()->index(0, 0));
  }

  void failedFillStillShowsTheGrid() {
    auto view = ShownView({"a\tb", "1\t2", "3\t4"});
    QCOMPARE(view->model()->rowCount(), 2);
    QString message;
    try {
      view->ChangeGrid([](SheetGrid& grid) { LinesToGrid({}, grid); });
    } catch (const AppError& e) {
      message = e.message();
    }
    QCOMPARE(message, QStringLiteral("List index out of bounds (0)"));
    QCOMPARE(view->model()->rowCount(), 1);
    QCOMPARE(view->model()->columnCount(), 1);
    QVERIFY(view->horizontalHeader()->isHidden());
  }

  void largestFixtureShows() {
    QF_REQUIRE_FIXTURES();
    auto view = ShownView(LoadFileLines(fixtures::modDir() + "/data/global/excel/cubemain.txt"));
    QCOMPARE(view->model()->rowCount(), 14289);
    QCOMPARE(view->model()->columnCount(), 105);
    QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("description"));
    QCOMPARE(view->rowHeight(14288), 18);
    view->scrollToBottom();
    QVERIFY(view->rowAt(view->viewport()->height() - 2) > 14000);
  }
};

QTEST_MAIN(TestSheetGridView)
#include "test_sheetgridview.moc"

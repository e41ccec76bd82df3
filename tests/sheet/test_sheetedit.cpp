// The sheet's edits as commands on one history, without a view: each command
// and its undo and redo, exact to the byte, on small sheets and on
// cubemain.txt; the header row kept; the clipboard text; find and replace.
// The model stands in as the sink, watched by Qt's model tester, so every
// change the commands report is one a view can follow.
#include <QAbstractItemModelTester>
#include <QtTest>

#include "Fixtures.h"
#include "SheetCells.h"
#include "archive/SheetCodec.h"
#include "archive/sheetedit/ClipboardText.h"
#include "archive/sheetedit/SheetEditor.h"
#include "forms/edit/SheetGridModel.h"

namespace {

// A grid filled as the Edit page fills it, its model, and its editor. The
// tester walks every cell at each change: small sheets only.
struct Sheet {
  SheetGrid grid;
  SheetGridModel model{&grid};
  std::unique_ptr<QAbstractItemModelTester> tester;
  SheetEditor editor{grid, model};

  explicit Sheet(const LineList& lines) {
    model.SetEditor(&editor);
    if (lines.size() < 100)
      tester = std::make_unique<QAbstractItemModelTester>(
          &model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    grid.SetRowCount(2);
    grid.SetColCount(1);
    grid.SetFixedRows(1);
    model.BeginGridChange();
    LinesToGrid(lines, grid);
    model.EndGridChange();
  }

  // What Save would write.
  QByteArray Text() const {
    QByteArray text;
    for (int r = 0; r < grid.RowCount(); ++r) {
      grid.AppendJoinedRow(r, text);
      text.append("\r\n");
    }
    return text;
  }
  int Steps() const { return editor.Stack().count(); }
  void UndoAll() {
    while (editor.Stack().canUndo()) editor.Undo();
  }
};

const LineList kSmall = {"h1\th2\th3", "a\tb\tc", "d\te\tf", "g\th\ti"};
const QByteArray kSmallText = "h1\th2\th3\r\na\tb\tc\r\nd\te\tf\r\ng\th\ti\r\n";

QString CubemainPath() {
  return fixtures::modDir() + "/data/global/excel/cubemain.txt";
}

}  // namespace

class TestSheetEdit : public QObject {
  Q_OBJECT
 private slots:
  // --- typing ---

  void typingIsOneStepPerCellAndSession() {
    Sheet s(kSmall);
    for (const char* typed : {"a", "aX", "aXY"})
      s.model.setData(s.model.index(0, 0), QString::fromLatin1(typed));
    QCOMPARE(s.Steps(), 1);
    QVERIFY(s.editor.Modified());
    QCOMPARE(s.editor.Undo().row, 1);
    QCOMPARE(s.Text(), kSmallText);
    QVERIFY(!s.editor.Modified());
    s.editor.Redo();
    QCOMPARE(s.grid.Cell(0, 1), QByteArray("aXY"));

    // Moving on ends the step; typing back to the start leaves no step.
    s.editor.EndTyping();
    s.model.setData(s.model.index(0, 0), QStringLiteral("aXYZ"));
    s.model.setData(s.model.index(0, 0), QStringLiteral("aXY"));
    QCOMPARE(s.Steps(), 1);
    // Another cell is another step; so is the same cell after a save.
    s.model.setData(s.model.index(1, 1), QStringLiteral("E"));
    s.editor.SetModified(false);
    s.model.setData(s.model.index(1, 1), QStringLiteral("EE"));
    QCOMPARE(s.Steps(), 3);
    s.editor.Undo();
    QVERIFY(!s.editor.Modified());
    QCOMPARE(s.grid.Cell(1, 2), QByteArray("E"));
    // An imported sheet differs from anything saved, even undone to its start.
    s.editor.SetModified(true);
    s.UndoAll();
    QVERIFY(s.editor.Modified());
    QCOMPARE(s.Text(), kSmallText);
  }

  // --- rows ---

  void rowCommandsUndoToTheSameBytes() {
    Sheet s(kSmall);
    // Above the header goes below it; past the last row appends.
    QCOMPARE(s.editor.InsertRow(0), 1);
    QCOMPARE(s.editor.InsertRow(99), 5);
    QCOMPARE(s.Text(), "h1\th2\th3\r\n\t\t\r\na\tb\tc\r\nd\te\tf\r\ng\th\ti\r\n\t\t\r\n");
    s.UndoAll();
    QCOMPARE(s.Text(), kSmallText);

    // Each row below itself; the header row is never copied or deleted.
    QVERIFY(s.editor.DuplicateRows({3, 0, 1, 3}));
    QCOMPARE(s.Text(), "h1\th2\th3\r\na\tb\tc\r\na\tb\tc\r\nd\te\tf\r\ng\th\ti\r\ng\th\ti\r\n");
    QVERIFY(!s.editor.DuplicateRows({0}));
    QVERIFY(!s.editor.DeleteRows({0, 7}));
    QVERIFY(s.editor.DeleteRows({0, 2, 3, 5}));
    QCOMPARE(s.Text(), "h1\th2\th3\r\na\tb\tc\r\ng\th\ti\r\n");
    QCOMPARE(s.Steps(), 2);
    s.editor.Undo();
    s.editor.Undo();
    QCOMPARE(s.Text(), kSmallText);
    s.editor.Redo();
    s.editor.Redo();
    QCOMPARE(s.Text(), "h1\th2\th3\r\na\tb\tc\r\ng\th\ti\r\n");
  }

  void deletingEveryRowUnderTheHeaderAndBack() {
    Sheet s(kSmall);
    QVERIFY(s.editor.DeleteRows({1, 2, 3}));
    // The header is the only row left, and the grid no longer fixes it.
    QCOMPARE(s.grid.RowCount(), 1);
    QCOMPARE(s.grid.FixedRows(), 0);
    QCOMPARE(s.model.rowCount(), 1);
    s.editor.Undo();
    QCOMPARE(s.grid.FixedRows(), 1);
    QCOMPARE(s.Text(), kSmallText);
  }

  void oneLineSheetTakesRowsBelow() {
    Sheet s({"a\tb"});
    QCOMPARE(s.grid.FixedRows(), 0);
    QCOMPARE(s.editor.InsertRow(0), 1);
    QVERIFY(!s.editor.DuplicateRows({0}));
    QVERIFY(!s.editor.DeleteRows({0}));
    // Its header is an ordinary row: it is typed into like any other.
    s.model.setData(s.model.index(0, 1), QStringLiteral("B"));
    QCOMPARE(s.Text(), "a\tB\r\n\t\r\n");
    s.UndoAll();
    QCOMPARE(s.Text(), "a\tb\r\n");
  }

  void cubemainEditedAndUndoneIsTheSameFile() {
    QF_REQUIRE_FIXTURES();
    const QByteArray original = fixtures::readAll(CubemainPath());
    Sheet s(LoadFileLines(CubemainPath()));
    const int rows = s.grid.RowCount();
    QCOMPARE(s.Text(), original);
    s.editor.InsertRow(5000);
    s.editor.DuplicateRows({1, 7000, rows});
    s.editor.DeleteRows({2, 3, 9000});
    s.model.setData(s.model.index(100, 104), QStringLiteral("typed"));
    s.editor.Paste(3, s.grid.RowCount() - 1, {"p\tq", "r"});
    s.editor.FillCells({{0, 10, 104, 12}}, {}, QStringLiteral("Delete"));
    s.editor.ReplaceAll(SheetFinder("Gambling Chit", {}), "Chip");
    QCOMPARE(s.grid.RowCount(), rows + 1 + 3 - 3 + 1);
    QCOMPARE(s.grid.Cell(3, rows + 1), QByteArray("r"));
    const QByteArray edited = s.Text();
    QVERIFY(edited != original);

    s.UndoAll();
    QCOMPARE(s.Text(), original);
    QVERIFY(!s.editor.Modified());
    while (s.editor.Stack().canRedo()) s.editor.Redo();
    QCOMPARE(s.Text(), edited);
  }

  void historyKeepsSharedRowsOnce() {
    QF_REQUIRE_FIXTURES();
    Sheet s(LoadFileLines(CubemainPath()));
    const qsizetype sheetBytes = fixtures::readAll(CubemainPath()).size();
    for (int i = 0; i < 100; ++i) s.editor.DuplicateRows({1 + 3 * i});
    // A copy shares its row's buffer; the history keeps row numbers only.
    QCOMPARE(s.grid.RowBytes(2).data(), s.grid.RowBytes(1).data());
    QVERIFY(s.editor.HistoryBytes() < 100 * 256);
    // Deleted rows are the history's alone until they come back.
    const qsizetype before = s.editor.HistoryBytes();
    s.editor.DeleteRows({5000, 5001, 5002});
    QVERIFY(s.editor.HistoryBytes() - before > 3 * 105);
    s.editor.Undo();
    QVERIFY(s.editor.HistoryBytes() - before < 300);
    QVERIFY(s.editor.HistoryBytes() < sheetBytes / 100);
  }

  // --- blocks ---

  void pasteRunsOffTheEdgesAndBack() {
    Sheet s(kSmall);
    // A block at the last row's middle cell: two rows added, one column dropped.
    const SheetEditor::PasteResult r = s.editor.Paste(1, 3, clipboardtext::Rows("1\t2\t3\r\n4\n\n5\t6"));
    QCOMPARE(r.rows, 4);
    QCOMPARE(r.addedRows, 3);
    QCOMPARE(r.droppedCols, 1);
    QCOMPARE(s.Text(), kSmallText.left(kSmallText.size() - 7) + "g\t1\t2\r\n\t4\t\r\n\t\t\r\n\t5\t6\r\n");
    QCOMPARE(s.Steps(), 1);
    s.editor.Undo();
    QCOMPARE(s.Text(), kSmallText);
    QCOMPARE(s.model.rowCount(), 3);
    // Nothing in the fixed row, nor past the grid.
    QCOMPARE(s.editor.Paste(0, 0, {"x"}).rows, 0);
    QCOMPARE(s.editor.Paste(3, 1, {"x"}).rows, 0);
  }

  void clipboardTextSplitsAsSpreadsheetsWriteIt() {
    QCOMPARE(clipboardtext::Rows("a\tb\r\nc\rd\ne"), (QList<QByteArray>{"a\tb", "c", "d", "e"}));
    QCOMPARE(clipboardtext::Rows("x\r\n"), QList<QByteArray>{"x"});
    QCOMPARE(clipboardtext::Rows("\n\r"), (QList<QByteArray>{"", ""}));
    QCOMPARE(clipboardtext::Rows(QByteArray("a\0b", 3)), QList<QByteArray>{QByteArray("a\0b", 3)});
    QVERIFY(clipboardtext::Rows("").isEmpty());
    const auto cells = clipboardtext::Cells("\tx\t");
    QCOMPARE(cells.size(), size_t(3));
    QCOMPARE(cells[1], QByteArrayView("x"));
    QVERIFY(cells[2].isEmpty());
  }

  void copiedBlockPastesBackEveryByte() {
    // Bytes 0-255 across a block: TAB, LF and CR stand between its cells and
    // rows, every other byte inside a cell.
    QByteArray inside = AllBytes();
    for (char separator : {'\t', '\n', '\r'}) inside.remove(inside.indexOf(separator), 1);
    Sheet s({"h\th\th", "x\ty\tz", "x\ty\tz"});
    s.editor.FillCells({{0, 1, 2, 2}}, {}, QStringLiteral("Delete"));
    s.grid.SetCell(0, 1, inside.left(100));
    s.grid.SetCell(2, 1, inside.mid(100, 100));
    s.grid.SetCell(1, 2, inside.mid(200));
    const QByteArray copied = clipboardtext::FromCells(s.grid, 0, 1, 2, 2);
    for (char separator : {'\t', '\n', '\r'}) QVERIFY(copied.contains(separator));

    const QByteArray before = s.Text();
    s.editor.FillCells({{0, 1, 2, 2}}, {}, QStringLiteral("Cut"));
    s.editor.Paste(0, 1, clipboardtext::Rows(copied));
    QCOMPARE(s.Text(), before);
    QCOMPARE(s.grid.Cell(1, 2), inside.mid(200));
  }

  void fillAndClearWriteOnlyWhatChanges() {
    Sheet s(kSmall);
    QCOMPARE(s.editor.FillCells({{1, 0, 2, 1}, {0, 3, 0, 3}}, "v", QStringLiteral("Paste")), 3);
    QCOMPARE(RowCells(s.grid, 0), (Cells{"h1", "h2", "h3"}));  // the fixed row stays
    QCOMPARE(RowCells(s.grid, 1), (Cells{"a", "v", "v"}));
    QCOMPARE(RowCells(s.grid, 3), (Cells{"v", "h", "i"}));
    QCOMPARE(s.editor.FillCells({{1, 1, 2, 1}}, "v", QStringLiteral("Paste")), 0);
    QCOMPARE(s.Steps(), 1);
    s.editor.Undo();
    QCOMPARE(s.Text(), kSmallText);
  }

  // --- find and replace ---

  void findWithItsOptions() {
    // Windows-1252 letters match in either case: \xe9 is é, \xc9 É.
    Sheet s({"Name\tCode", "ring\tR1", "Ring of Fire\tr1", "\xc9p\xe9\ttRING", "x\ty\textra RING"});
    using Hit = SheetFinder::Hit;
    auto next = [&](const QByteArray& text, FindOptions options, int col, int row) {
      const Hit hit = SheetFinder(text, options).Next(s.grid, col, row);
      return QList<int>{hit.col, hit.row, hit.wrapped};
    };
    QCOMPARE(next("RING", {}, 0, 1), (QList<int>{0, 2, 0}));
    QCOMPARE(next("RING", {true, false}, 0, 2), (QList<int>{1, 3, 0}));
    // Whole cell; then going round past the end, the cell itself last.
    QCOMPARE(next("ring", {false, true}, 0, 1), (QList<int>{0, 1, 1}));
    QCOMPARE(next("\xe9p\xc9", {}, 0, 1), (QList<int>{0, 3, 0}));
    QVERIFY(!SheetFinder("\xe9p\xc9", {true, false}).Next(s.grid, 0, 1).Found());
    // The header row is searched too, after the last row.
    QCOMPARE(next("code", {}, 1, 3), (QList<int>{1, 0, 1}));
    // Neither across the TAB between two cells, nor in the fields of a line
    // longer than the header (they are not cells).
    QVERIFY(!SheetFinder("e\tC", {}).Next(s.grid, 0, 0).Found());
    QVERIFY(!SheetFinder("extra", {}).Next(s.grid, 0, 0).Found());
    QVERIFY(!SheetFinder("", {}).Next(s.grid, 0, 0).Found());

    const SheetFinder r1("r1", {});
    const Hit back = r1.Previous(s.grid, 1, 2);
    QCOMPARE((QList<int>{back.col, back.row, back.wrapped}), (QList<int>{1, 1, 0}));
    const Hit round = r1.Previous(s.grid, 1, 1);
    QCOMPARE((QList<int>{round.col, round.row, round.wrapped}), (QList<int>{1, 2, 1}));
  }

  void replaceIsOneStepAndLeavesTheHeader() {
    Sheet s({"ab\tx", "ab\taB", "cab\tab", "abab\tq"});
    const SheetFinder ab("AB", {});
    QVERIFY(!s.editor.ReplaceInCell(0, 0, ab, "Z"));  // the fixed header
    QVERIFY(s.editor.ReplaceInCell(1, 1, ab, "Z"));
    QCOMPARE(s.grid.Cell(1, 1), QByteArray("Z"));
    QCOMPARE(s.editor.ReplaceAll(ab, "Z"), 4);
    QCOMPARE(s.Text(), "ab\tx\r\nZ\tZ\r\ncZ\tZ\r\nZZ\tq\r\n");
    QCOMPARE(s.editor.ReplaceAll(SheetFinder("cZ", {false, true}), "whole"), 1);
    QCOMPARE(s.Steps(), 3);
    s.editor.Undo();
    s.editor.Undo();
    QCOMPARE(s.grid.Cell(0, 2), QByteArray("cab"));
    QCOMPARE(s.grid.Cell(1, 1), QByteArray("Z"));
  }

  void replaceAllOnCubemainUndoesInOneStep() {
    QF_REQUIRE_FIXTURES();
    const QByteArray original = fixtures::readAll(CubemainPath());
    Sheet s(LoadFileLines(CubemainPath()));
    int cells = 0;
    for (const QByteArray& line : SplitLines(original)) cells += int(line.split('\t').count("100"));
    const SheetFinder whole100("100", {false, true});
    QCOMPARE(s.editor.ReplaceAll(whole100, "101"), cells);
    QVERIFY(!whole100.Next(s.grid, 0, 1).Found());
    QCOMPARE(s.Steps(), 1);
    s.editor.Undo();
    QCOMPARE(s.Text(), original);
  }
};

QTEST_MAIN(TestSheetEdit)
#include "test_sheetedit.moc"

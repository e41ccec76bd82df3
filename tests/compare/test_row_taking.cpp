// The other side's rows taken into this side's sheet: all of them give the
// other side's sheet; some of them change those rows and leave every other
// byte; columns the sides do not share; and the taking as one step of the
// sheet editor's history, undone and redone exactly.
#include <QtTest>

#include "CompareMods.h"
#include "Fixtures.h"
#include "archive/SheetCodec.h"
#include "archive/compare/RowTaking.h"
#include "archive/sheetedit/SheetEditor.h"

using namespace compare;

namespace {

struct NullSink : SheetChangeSink {
  int resets = 0;
  void CellsChanged(int, int, int, int) override {}
  void BeginInsertRows(int, int) override {}
  void EndInsertRows() override {}
  void BeginRemoveRows(int, int) override {}
  void EndRemoveRows() override {}
  void BeginReset() override { ++resets; }
  void EndReset() override {}
};

void Fill(SheetGrid& grid, const QByteArray& bytes) {
  grid.SetRowCount(2);
  grid.SetFixedRows(1);
  LinesToGrid(SplitLines(bytes), grid);
}

// The grid as lines ending in LF, as the test sheets are written.
QByteArray Text(const SheetGrid& grid) {
  QByteArray text;
  for (int r = 0; r < grid.RowCount(); ++r) {
    grid.AppendJoinedRow(r, text);
    text.append('\n');
  }
  return text;
}

std::vector<int> All(const SheetDiff& d) {
  std::vector<int> all(d.rows.size());
  for (size_t i = 0; i < all.size(); ++i) all[i] = int(i);
  return all;
}

// The index of the row change labelled label.
int Find(const SheetDiff& d, const QByteArray& label) {
  for (size_t i = 0; i < d.rows.size(); ++i)
    if (d.RowLabel(d.rows[i]) == label) return int(i);
  return -1;
}

}  // namespace

class TestRowTaking : public QObject {
  Q_OBJECT

 private slots:
  // Every row taken: changed cells, the row put in, the row taken out and
  // the moved row make this side's sheet the other side's, byte for byte.
  void takeEverything() {
    QF_REQUIRE_FIXTURES();
    const QByteArray here = fixtures::readAll(fixtures::modDir() + "/data/global/excel/weapons.txt");
    const QByteArray there = comparemods::EditedWeapons(here);
    const SheetDiff d = DiffSheets(comparemods::kWeapons, here, there);
    SheetGrid grid;
    Fill(grid, here);
    QCOMPARE(TakeRows(grid, d, All(d)), int(d.rows.size()));
    QCOMPARE(Text(grid), there);
    // Nothing left to take.
    QVERIFY(DiffSheets(comparemods::kWeapons, Text(grid), there).CellsSame());
  }

  // Some rows taken: only those change; every other line stays as it was.
  void takeSome() {
    QF_REQUIRE_FIXTURES();
    const QByteArray here = fixtures::readAll(fixtures::modDir() + "/data/global/excel/weapons.txt");
    const SheetDiff d = DiffSheets(comparemods::kWeapons, here, comparemods::EditedWeapons(here));
    SheetGrid grid;
    Fill(grid, here);
    QCOMPARE(TakeRows(grid, d, {Find(d, "Quill Blade"), Find(d, "Axe#2"), Find(d, "Ancient Bow")}), 3);

    QList<QByteArray> lines = here.split('\n');
    lines.removeLast();
    QList<QByteArray> blade = lines.at(1).split('\t');
    blade[0] = "Quill Blade";
    blade[10] = "5";  // copied from the edited Hand Axe
    qsizetype bow = -1, axe = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
      if (lines.at(i).startsWith("Ancient Bow\t")) bow = i;
      if (lines.at(i).startsWith("Axe\t")) axe = i;
    }
    QList<QByteArray> axeCells = lines.at(axe).split('\t');
    axeCells[11] = "24";
    lines[axe] = axeCells.join('\t');
    lines.append(lines.takeAt(bow));
    lines.insert(2, blade.join('\t'));
    QCOMPARE(Text(grid), lines.join('\n') + '\n');

    // The row only here taken: it goes, and nothing else does.
    SheetGrid other;
    Fill(other, here);
    QCOMPARE(TakeRows(other, d, {Find(d, "Ahab Spear"), -1, 999}), 1);
    QCOMPARE(other.RowCount(), grid.RowCount() - 2);
  }

  // Sides with other columns: a changed row takes the cells of the columns
  // both have and keeps its own; a row put in gets this side's columns.
  void otherColumns() {
    const QByteArray here = "id\ta\tmine\tb\r\n1\tx\tm1\ty\r\n2\tz\tm2\tw\r\n";
    const QByteArray there = "id\tb\tnew\ta\r\n1\ty\tq\tx\r\n2\tW\tq\tZ\r\n3\tB\tq\tA\r\n";
    const SheetDiff d = DiffSheets("s.txt", here, there);
    SheetGrid grid;
    Fill(grid, here);
    QCOMPARE(TakeRows(grid, d, All(d)), 2);
    QCOMPARE(Text(grid), "id\ta\tmine\tb\n1\tx\tm1\ty\n2\tZ\tm2\tW\n3\tA\t\tB\n");
  }

  // Taken through the sheet editor: one step; undo gives back the exact
  // bytes, redo the taken ones; the view is told to take the sheet afresh.
  void oneStepOfTheHistory() {
    const QByteArray here = "k\tv\na\t1\nb\t2\nc\t3\n";
    const QByteArray there = "k\tv\na\t9\nc\t3\nd\t4\n";
    const SheetDiff d = DiffSheets("s.txt", here, there);
    SheetGrid grid;
    Fill(grid, here);
    NullSink sink;
    SheetEditor editor(grid, sink);
    editor.TypeCell(1, 3, "33");
    const QByteArray typed = Text(grid);
    editor.ChangeSheet("Take Selected Rows", {0, 1}, [&](SheetGrid& g) { TakeRows(g, d, All(d)); });
    QCOMPARE(editor.Stack().count(), 2);
    QCOMPARE(Text(grid), "k\tv\na\t9\nc\t33\nd\t4\n");
    QCOMPARE(editor.Undo().row, 1);
    QCOMPARE(Text(grid), typed);
    editor.Redo();
    QCOMPARE(Text(grid), "k\tv\na\t9\nc\t33\nd\t4\n");
    QVERIFY(sink.resets >= 3);
    editor.Undo();
    editor.Undo();
    QCOMPARE(Text(grid), here);
    QVERIFY(editor.HistoryBytes() > 0);
  }
};

QTEST_GUILESS_MAIN(TestRowTaking)
#include "test_row_taking.moc"

// Two versions of a sheet compared by cell: the fixture's weapons.txt against
// its edited copy (changed cells under a unique and a repeated key, a row
// taken out, one put in, one moved), an added column, rows by position, the
// key column's provider, and versions whose cells agree.
#include <QtTest>

#include "CompareMods.h"
#include "Fixtures.h"
#include "archive/compare/ByteDifference.h"
#include "archive/compare/EntryKind.h"
#include "archive/compare/SheetDiff.h"

using namespace compare;

namespace {

QByteArray Weapons() {
  return fixtures::readAll(fixtures::modDir() + "/data/global/excel/weapons.txt");
}

// One line per change, as a reader would check it.
QStringList Described(const SheetDiff& d) {
  QStringList out;
  for (const RowChange& row : d.rows) {
    const QString label = QString::fromLatin1(d.RowLabel(row));
    switch (row.state) {
      case RowState::OnlyHere:
        out << "- " + label;
        break;
      case RowState::OnlyThere:
        out << "+ " + label;
        break;
      case RowState::Changed:
        if (row.moved) out << "moved " + label;
        for (const CellChange& cell : row.cells)
          out << QStringLiteral("%1:%2: %3 -> %4")
                     .arg(label, QString::fromLatin1(d.headerHere.at(cell.colHere)),
                          QString::fromLatin1(cell.before), QString::fromLatin1(cell.after));
        break;
    }
  }
  return out;
}

}  // namespace

class TestSheetDiff : public QObject {
  Q_OBJECT

 private slots:
  // Every known change of the edited weapons.txt, and nothing else: the
  // repeated key "Axe" matched occurrence by occurrence.
  void weaponsByKey() {
    QF_REQUIRE_FIXTURES();
    const QByteArray here = Weapons();
    const SheetDiff d = DiffSheets(comparemods::kWeapons, here, comparemods::EditedWeapons(here));
    QCOMPARE(d.keyHere, 0);
    QVERIFY(d.columnsOnlyHere.empty());
    QVERIFY(d.columnsOnlyThere.empty());
    QCOMPARE(Described(d), (QStringList{"Hand Axe:mindam: 2 -> 5", "+ Quill Blade", "- Ahab Spear",
                                        "moved Ancient Bow", "Axe#2:maxdam: 22 -> 24"}));
    QCOMPARE(d.ChangedCells(), 2);
    // Row numbers point at the lines on each side.
    const RowChange& axe = d.rows[4];
    QCOMPARE(d.LinesHere()[size_t(axe.rowHere)].sliced(0, 4), "Axe\t");
    QCOMPARE(d.LinesThere()[size_t(axe.rowThere)].sliced(0, 4), "Axe\t");
    QVERIFY(axe.rowHere > 400);
    // The row put in stands after Hand Axe's row here.
    QCOMPARE(d.rows[1].anchorHere, 1);
  }

  // The provider's key column is used: weapons by code, where "Axe" is no
  // longer a repeated key and Hand Axe's rows are told apart by code.
  void keyColumnProvider() {
    QF_REQUIRE_FIXTURES();
    QByteArray askedFor;
    const KeyColumnProvider byCode = [&](const QByteArray& sheet, const QList<QByteArray>& header) {
      askedFor = sheet;
      return int(header.indexOf("code"));
    };
    const QByteArray here = Weapons();
    const SheetDiff d = DiffSheets(comparemods::kWeapons, here, comparemods::EditedWeapons(here), byCode);
    QCOMPARE(askedFor, comparemods::kWeapons);
    QCOMPARE(d.keyHere, 3);
    QCOMPARE(Described(d),
             (QStringList{"hax:mindam: 2 -> 5", "+ hax#2", "- 0gl", "moved 1lw", "p02:maxdam: 22 -> 24"}));
  }

  // Columns match by header name wherever they stand; one only there (or
  // only here) is reported as a column, not as a change in every row.
  void columns() {
    const QByteArray here = "id\ta\tb\r\n1\tx\ty\r\n2\tz\tw\r\n";
    const QByteArray there = "id\tb\tnew\ta\r\n1\ty\tq\tx\r\n2\tW\tq\tz\r\n";
    const SheetDiff d = DiffSheets("s.txt", here, there);
    QVERIFY(d.columnsOnlyHere.empty());
    QCOMPARE(d.columnsOnlyThere, std::vector<int>{2});
    QCOMPARE(Described(d), QStringList{"2:b: w -> W"});
    QCOMPARE(d.rows[0].cells[0].colThere, 1);

    const SheetDiff back = DiffSheets("s.txt", there, here);
    QCOMPARE(back.columnsOnlyHere, std::vector<int>{2});
    QVERIFY(back.columnsOnlyThere.empty());
    QVERIFY(!back.CellsSame());
  }

  // No key column (or none the other side has): rows by position; empty
  // keys and key repeats fall back to the order within their group.
  void byPosition() {
    const KeyColumnProvider none = [](const QByteArray&, const QList<QByteArray>&) { return -1; };
    const SheetDiff d = DiffSheets("s.txt", "a\tb\n1\t2\n3\t4\n", "a\tb\n1\t2\n3\t5\n6\t7\n", none);
    QCOMPARE(d.keyHere, -1);
    QCOMPARE(Described(d), (QStringList{"row 3:b: 4 -> 5", "+ row 4"}));

    // The key column renamed there: no key to match by.
    const SheetDiff renamed = DiffSheets("s.txt", "k\tv\nx\t1\ny\t2\n", "key\tv\ny\t2\nx\t1\n");
    QCOMPARE(renamed.keyHere, -1);

    // Repeated and empty keys pair in order within their group.
    const SheetDiff repeats = DiffSheets("s.txt", "k\tv\nx\t1\n\t2\nx\t3\n", "k\tv\nx\t1\n\t9\nx\t4\nx\t5\n");
    QCOMPARE(Described(repeats), (QStringList{"row 3:v: 2 -> 9", "x#2:v: 3 -> 4", "+ x#3"}));
  }

  // Versions that differ only where no cell shows it: line ends, fields past
  // the header's last column, a missing last line end.
  void cellsAgree() {
    QCOMPARE(DiffSheets("s.txt", "a\tb\n1\t2\n", "a\tb\r\n1\t2").CellsSame(), true);
    QCOMPARE(DiffSheets("s.txt", "a\tb\n1\t2\n", "a\tb\n1\t2\textra\n").CellsSame(), true);
    QCOMPARE(DiffSheets("s.txt", "a\tb\n1\t2\n", "a\tb\n1\t2\n").CellsSame(), true);
    QCOMPARE(DiffSheets("s.txt", "a\tb\n1\t\n", "a\tb\n1\n").CellsSame(), true);
    // An empty version: every row and column only on the other side.
    const SheetDiff empty = DiffSheets("s.txt", "", "a\tb\n1\t2\n");
    QCOMPARE(empty.columnsOnlyThere.size(), size_t(2));
    QCOMPARE(Described(empty), QStringList{"+ row 2"});
  }

  void bytesAndKinds() {
    QCOMPARE(CompareBytes("abcd", "abXd").firstDifference, 2);
    QCOMPARE(CompareBytes("abcd", "abc").firstDifference, 3);
    QCOMPARE(CompareBytes("abc", "abc").firstDifference, -1);
    QCOMPARE(CompareBytes("", "x").sizeThere, 1);
    QCOMPARE(KindOf("data\\global\\excel\\Weapons.TXT"), EntryKind::Sheet);
    QCOMPARE(KindOf("data\\local\\lng\\eng\\string.tbl"), EntryKind::StringTable);
    QCOMPARE(KindOf("data\\excel.txt\\readme"), EntryKind::Bytes);
    QCOMPARE(KindOf("data\\global\\ui\\panel\\overlap.DC6"), EntryKind::Bytes);
  }
};

QTEST_GUILESS_MAIN(TestSheetDiff)
#include "test_sheet_diff.moc"

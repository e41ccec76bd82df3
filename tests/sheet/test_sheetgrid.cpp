#include <QtTest>

#include "SheetCells.h"
#include "archive/SheetGrid.h"
#include "platform/AppError.h"

namespace {

QByteArray Joined(const SheetGrid& grid, int row) {
  QByteArray out;
  grid.AppendJoinedRow(row, out);
  return out;
}

// Cell (c, r) holds "r.c".
void FillNumbered(SheetGrid& grid) {
  for (int r = 0; r < grid.RowCount(); ++r)
    for (int c = 0; c < grid.ColCount(); ++c)
      grid.SetCell(c, r, QByteArray::number(r) + '.' + QByteArray::number(c));
}

}  // namespace

class TestSheetGrid : public QObject {
  Q_OBJECT
 private slots:
  void startsAsOneEmptyEnabledCell() {
    SheetGrid grid;
    QCOMPARE(grid.ColCount(), 1);
    QCOMPARE(grid.RowCount(), 1);
    QCOMPARE(grid.FixedRows(), 0);
    QVERIFY(grid.Enabled());
    QCOMPARE(grid.Cell(0, 0), QByteArray());
    QCOMPARE(Joined(grid, 0), QByteArray());
  }

  void countsBelowOneGiveOne() {
    SheetGrid grid;
    grid.SetColCount(7);
    grid.SetRowCount(9);
    grid.SetColCount(0);
    grid.SetRowCount(-3);
    QCOMPARE(grid.ColCount(), 1);
    QCOMPARE(grid.RowCount(), 1);
  }

  void fixedRowsStayBelowRowCount() {
    SheetGrid grid;
    grid.SetRowCount(2);
    grid.SetColCount(1);
    grid.SetFixedRows(1);
    grid.SetRowCount(1);  // a single-line sheet: the header becomes an ordinary row
    QCOMPARE(grid.FixedRows(), 0);

    grid.SetRowCount(6);
    grid.SetFixedRows(4);
    grid.SetRowCount(5);  // still greater than FixedRows
    QCOMPARE(grid.FixedRows(), 4);
    grid.SetRowCount(3);
    QCOMPARE(grid.FixedRows(), 2);
    grid.SetRowCount(0);
    QCOMPARE(grid.RowCount(), 1);
    QCOMPARE(grid.FixedRows(), 0);
  }

  void invalidFixedRowsRaiseAndChangeNothing() {
    SheetGrid grid;
    grid.SetRowCount(3);
    grid.SetFixedRows(1);
    for (int bad : {3, 4, -1}) {
      try {
        grid.SetFixedRows(bad);
        QFAIL("no error raised");
      } catch (const AppError& e) {
        QVERIFY(!e.message().isEmpty());
      }
      QCOMPARE(grid.FixedRows(), 1);
    }
    try {
      grid.SetFixedRows(3);
    } catch (const AppError& e) {
      QCOMPARE(e.message(), QStringLiteral("Fixed row count must be less than row count"));
    }
  }

  void resizingKeepsWhatFitsAndClearsNewCells() {
    SheetGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(3);
    FillNumbered(grid);

    grid.SetColCount(5);
    grid.SetRowCount(4);
    QCOMPARE(RowCells(grid, 1), (Cells{"1.0", "1.1", "1.2", "", ""}));
    QCOMPARE(RowCells(grid, 3), (Cells{"", "", "", "", ""}));
    QCOMPARE(Joined(grid, 2), QByteArray("2.0\t2.1\t2.2\t\t"));

    grid.SetColCount(2);
    grid.SetRowCount(2);
    QCOMPARE(RowCells(grid, 0), (Cells{"0.0", "0.1"}));
    QCOMPARE(RowCells(grid, 1), (Cells{"1.0", "1.1"}));

    // What was cut off does not come back when the grid grows again.
    grid.SetColCount(3);
    grid.SetRowCount(3);
    QCOMPARE(RowCells(grid, 1), (Cells{"1.0", "1.1", ""}));
    QCOMPARE(RowCells(grid, 2), (Cells{"", "", ""}));
  }

  void rowsAddedToAWideGridTakeCellsOneByOne() {
    // Rows added after the columns start empty, their TABs not yet in the
    // buffer: each cell written alone must still land in its own place.
    SheetGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(2);
    grid.SetCell(1, 1, "b");
    grid.SetCell(0, 1, "a");
    grid.SetCell(2, 1, "c");
    QCOMPARE(RowCells(grid, 1), (Cells{"a", "b", "c"}));
    QCOMPARE(Joined(grid, 1), QByteArray("a\tb\tc"));
    grid.SetRowCells(1, 0, {QByteArrayView("x"), QByteArrayView("y")});
    QCOMPARE(Joined(grid, 1), QByteArray("x\ty\tc"));
  }

  void outsideTheGridNothingIsStored() {
    SheetGrid grid;
    grid.SetColCount(2);
    grid.SetRowCount(2);
    FillNumbered(grid);
    QVERIFY(!grid.SetCell(2, 0, "x"));
    QVERIFY(!grid.SetCell(0, 2, "x"));
    QVERIFY(!grid.SetCell(-1, 0, "x"));
    QCOMPARE(grid.Cell(2, 0), QByteArray());
    QCOMPARE(grid.Cell(0, -1), QByteArray());
    grid.SetColCount(3);
    grid.SetRowCount(3);
    QCOMPARE(grid.Cell(2, 0), QByteArray());
    QCOMPARE(grid.Cell(0, 2), QByteArray());
  }

  void fillRowFromLine_data() {
    QTest::addColumn<int>("cols");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<Cells>("cells");
    QTest::addColumn<QByteArray>("joined");
    QTest::newRow("exact") << 3 << QByteArray("a\tb\tc") << Cells{"a", "b", "c"} << QByteArray("a\tb\tc");
    QTest::newRow("short row padded")
        << 3 << QByteArray("1\t2") << Cells{"1", "2", ""} << QByteArray("1\t2\t");
    QTest::newRow("long row cut") << 3 << QByteArray("1\t2\t3\t4\t5") << Cells{"1", "2", "3"}
                                  << QByteArray("1\t2\t3");
    QTest::newRow("empty line") << 3 << QByteArray() << Cells{"", "", ""} << QByteArray("\t\t");
    QTest::newRow("adjacent tabs") << 4 << QByteArray("\t\tx\t") << Cells{"", "", "x", ""}
                                   << QByteArray("\t\tx\t");
    QTest::newRow("trailing tab ends short")
        << 3 << QByteArray("a\t") << Cells{"a", "", ""} << QByteArray("a\t\t");
    QTest::newRow("one column keeps first field")
        << 1 << QByteArray("only\tmore") << Cells{"only"} << QByteArray("only");
    QTest::newRow("high bytes") << 2 << QByteArray("\xff\x80\t\x01") << Cells{"\xff\x80", "\x01"}
                                << QByteArray("\xff\x80\t\x01");
  }
  void fillRowFromLine() {
    QFETCH(int, cols);
    QFETCH(QByteArray, line);
    QFETCH(Cells, cells);
    QFETCH(QByteArray, joined);
    SheetGrid grid;
    grid.SetColCount(cols);
    grid.SetRowCount(2);
    grid.SetCell(0, 0, "stale");
    grid.FillRowFromLine(0, line);
    QCOMPARE(RowCells(grid, 0), cells);
    QCOMPARE(Joined(grid, 0), joined);
    QCOMPARE(grid.JoinedRowSize(0), joined.size());
    QCOMPARE(RowCells(grid, 1), Cells(cols));
  }

  // Edits rewrite a row; the cells around the edited one must survive that,
  // whatever shape the row had (shared line, short, long, grown).
  void editingKeepsTheNeighbours_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("growTo");
    QTest::addColumn<int>("col");
    QTest::addColumn<Cells>("cells");
    QTest::newRow("exact line") << QByteArray("a\tb\tc") << 3 << 1 << Cells{"a", "NEW", "c"};
    QTest::newRow("long line") << QByteArray("a\tb\tc\td") << 3 << 2 << Cells{"a", "b", "NEW"};
    QTest::newRow("short line") << QByteArray("a") << 3 << 2 << Cells{"a", "", "NEW"};
    QTest::newRow("grown row") << QByteArray("a\tb\tc") << 5 << 4 << Cells{"a", "b", "c", "", "NEW"};
    QTest::newRow("first cell") << QByteArray("a\tb\tc") << 3 << 0 << Cells{"NEW", "b", "c"};
  }
  void editingKeepsTheNeighbours() {
    QFETCH(QByteArray, line);
    QFETCH(int, growTo);
    QFETCH(int, col);
    QFETCH(Cells, cells);
    SheetGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(2);
    grid.FillRowFromLine(0, line);
    grid.FillRowFromLine(1, "x\ty\tz");
    grid.SetColCount(growTo);
    QVERIFY(grid.SetCell(col, 0, "NEW"));
    QCOMPARE(RowCells(grid, 0), cells);
    QCOMPARE(Joined(grid, 0), cells.join('\t'));
    QCOMPARE(grid.Cell(1, 1), QByteArray("y"));
    // Emptying a cell again.
    QVERIFY(grid.SetCell(col, 0, QByteArray()));
    QCOMPARE(grid.Cell(col, 0), QByteArray());
  }

  void editDoesNotReachTheSharedLine() {
    QByteArray line("a\tb");
    const QByteArray before = line;
    SheetGrid grid;
    grid.SetColCount(2);
    grid.FillRowFromLine(0, line);
    grid.SetCell(0, 0, "zz");
    QCOMPARE(line, before);
  }

  void everyByteValueRoundTrips() {
    QByteArray all = AllBytes();
    for (char separator : {'\t', '\n', '\r'}) all.remove(all.indexOf(separator), 1);
    SheetGrid grid;
    grid.SetColCount(3);
    QVERIFY(grid.SetCell(1, 0, all));
    QCOMPARE(grid.Cell(1, 0), all);
    QCOMPARE(grid.Cell(0, 0), QByteArray());
    QCOMPARE(grid.Cell(2, 0), QByteArray());
    QCOMPARE(Joined(grid, 0), '\t' + all + '\t');
  }

  // A cell with a TAB or a line end would be saved as a shifted row: the
  // store takes none (what it does when handed one: test_sheetgrid_posix).
  void separatorsAreNoCellText() {
    QVERIFY(SheetGrid::CanHold(QByteArray("a\0b\x7f\x01", 5)));
    for (const QByteArray bad : {"a\tb", "a\r", "\nb"}) QVERIFY(!SheetGrid::CanHold(bad));
  }

  void oversizedGridRaisesAndChangesNothing() {
    SheetGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(1 << 14);
    grid.SetCell(2, 5, "kept");
    try {
      grid.SetColCount(1 << 16);
      QFAIL("no error raised");
    } catch (const AppError& e) {
      QVERIFY(e.message().startsWith(QStringLiteral("Sheet too large")));
    }
    QVERIFY_THROWS_EXCEPTION(AppError, grid.SetRowCount(1 << 27));
    QCOMPARE(grid.ColCount(), 3);
    QCOMPARE(grid.RowCount(), 1 << 14);
    QCOMPARE(grid.Cell(2, 5), QByteArray("kept"));
  }

  // Rows taken out and put back (by the edit history) come back cell for
  // cell and byte for byte, also rows whose TABs do not give their cells.
  void keptRowsComeBackExactly() {
    SheetGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(5);
    grid.FillRowFromLine(0, "a\tb\tc");
    grid.FillRowFromLine(1, "short\t2");
    grid.FillRowFromLine(2, "1\t2\t3\t4 dropped");
    grid.FillRowFromLine(3, "x\tlong\tline\tmore");
    const QList<Cells> cells{RowCells(grid, 0), RowCells(grid, 1), RowCells(grid, 2), RowCells(grid, 3)};
    const QList<QByteArray> joined{Joined(grid, 0), Joined(grid, 1), Joined(grid, 2), Joined(grid, 3)};
    QVERIFY(grid.SaveRow(0).next.empty());  // its TABs give its offsets
    QVERIFY(!grid.SaveRow(3).next.empty());

    const std::vector<SheetGrid::RowData> taken = grid.RemoveRows(0, 4);
    QCOMPARE(grid.RowCount(), 1);
    QVERIFY_THROWS_EXCEPTION(AppError, grid.RemoveRows(0, 1));  // one row always stays
    grid.InsertRows(0, taken);
    grid.InsertRows(5, {SheetGrid::RowData{}});
    for (int r = 0; r < 4; ++r) {
      QCOMPARE(RowCells(grid, r), cells[r]);
      QCOMPARE(Joined(grid, r), joined[r]);
      QCOMPARE(grid.JoinedRowSize(r), joined[r].size());
    }
    QCOMPARE(RowCells(grid, 5), (Cells{"", "", ""}));
    QCOMPARE(grid.RowCount(), 6);

    // A run of cells rewritten in one pass; texts past the last column dropped.
    grid.SetRowCells(0, 1, {"B", "C", "D"});
    QCOMPARE(Joined(grid, 0), QByteArray("a\tB\tC"));
    QCOMPARE(grid.CellView(2, 3), QByteArrayView("line"));
  }

  // Rows that growing the row count adds are empty cells joined by TABs,
  // and a cell written into one lands in its column.
  void rowsAddedByRowCountHoldTheirTabs() {
    SheetGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(3);
    QCOMPARE(Joined(grid, 2), QByteArray("\t\t"));
    QCOMPARE(grid.JoinedRowSize(2), 2);
    QVERIFY(grid.SetCell(1, 2, "x"));
    QCOMPARE(Joined(grid, 2), QByteArray("\tx\t"));
    QCOMPARE(RowCells(grid, 2), (Cells{"", "x", ""}));
  }

  // The header stays fixed when every row under it goes, and the fixed rows
  // themselves are never taken out.
  void removingRowsKeepsTheFixedRows() {
    SheetGrid grid;
    grid.SetColCount(2);
    grid.SetRowCount(3);
    grid.FillRowFromLine(0, "h1\th2");
    grid.SetFixedRows(1);
    grid.RemoveRows(1, 2);
    QCOMPARE(grid.RowCount(), 1);
    QCOMPARE(grid.FixedRows(), 1);
    QVERIFY_THROWS_EXCEPTION(AppError, grid.RemoveRows(0, 1));
    grid.InsertRows(1, {SheetGrid::RowData{}});
    QCOMPARE(grid.FixedRows(), 1);
    QCOMPARE(Joined(grid, 0), QByteArray("h1\th2"));
  }

  // Rows that take their cells from one buffer share it: they read as
  // copies would, an edit of one leaves the buffer and the others alone, and
  // cells that do not lie one separator apart are refused, nothing changed.
  void rowsShareOneBuffer() {
    QByteArray buffer("hdr\0k1\0text one\0k2\0\0k3\ttab\0", 27);
    const QByteArray before = buffer;
    const char* at = buffer.constData();
    const auto view = [&](qsizetype from, qsizetype size) { return QByteArrayView(at + from, size); };
    SheetGrid grid;
    grid.SetFreeText(true);
    grid.SetColCount(2);
    grid.SetRowCount(4);
    grid.SetCell(0, 3, "kept");
    QVERIFY(grid.ShareRowCells(0, buffer, {view(4, 2), view(7, 8)}));
    QVERIFY(grid.ShareRowCells(1, buffer, {view(16, 2), view(19, 0)}));
    QVERIFY(grid.ShareRowCells(2, buffer, {view(20, 2), view(23, 3)}));  // a TAB separator
    QCOMPARE(RowCells(grid, 0), (Cells{"k1", "text one"}));
    QCOMPARE(RowCells(grid, 1), (Cells{"k2", ""}));
    QCOMPARE(Joined(grid, 0), QByteArray("k1\ttext one"));
    QCOMPARE(Joined(grid, 2), QByteArray("k3\ttab"));
    QCOMPARE(grid.JoinedRowSize(2), 6);
    QCOMPARE(grid.RowBytes(0).data(), at + 4);  // no copy

    // Not one separator apart, past the buffer, no NUL after the last cell,
    // not every cell, or outside the grid.
    const std::vector<std::vector<QByteArrayView>> refused{{view(4, 2), view(8, 7)},
                                                           {view(20, 2), view(23, 9)},
                                                           {view(4, 2), view(7, 4)},
                                                           {view(4, 2)},
                                                           {QByteArrayView("k1"), view(7, 8)}};
    for (const auto& cells : refused) QVERIFY(!grid.ShareRowCells(3, buffer, cells));
    QVERIFY(!grid.ShareRowCells(4, buffer, {view(4, 2), view(7, 8)}));
    QCOMPARE(RowCells(grid, 3), (Cells{"kept", ""}));

    grid.SetCell(1, 0, "edited");
    buffer[5] = 'X';  // the owner's change detaches it from the rows
    QCOMPARE(RowCells(grid, 0), (Cells{"k1", "edited"}));
    QCOMPARE(RowCells(grid, 1), (Cells{"k2", ""}));
    QCOMPARE(RowCells(grid, 2), (Cells{"k3", "tab"}));

    // A sheet's grid takes no line end from a shared buffer either.
    SheetGrid sheet;
    sheet.SetColCount(2);
    const QByteArray lines("a\0b\nc", 5);
    QVERIFY(!sheet.ShareRowCells(
        0, lines, {QByteArrayView(lines.constData(), 1), QByteArrayView(lines.constData() + 2, 3)}));

    // Into raw data the rows take no reference: they read its bytes where
    // they lie, and a row kept (for the history) is a copy that outlives them.
    QByteArray owner(before.constData(), before.size());  // not shared: changed in place
    SheetGrid raw;
    raw.SetFreeText(true);
    raw.SetColCount(2);
    const QByteArray rawBuffer = QByteArray::fromRawData(owner.constData(), owner.size());
    QVERIFY(raw.ShareRowCells(
        0, rawBuffer, {QByteArrayView(owner.constData() + 4, 2), QByteArrayView(owner.constData() + 7, 8)}));
    QCOMPARE(raw.RowBytes(0).data(), owner.constData() + 4);
    const SheetGrid::RowData kept = raw.SaveRow(0);
    owner.fill('?');
    QCOMPARE(RowCells(raw, 0), (Cells{"??", "????????"}));
    raw.RestoreRow(0, kept);
    QCOMPARE(RowCells(raw, 0), (Cells{"k1", "text one"}));

    // Rows sharing one large buffer count it once.
    QByteArray large;
    for (int i = 0; i < 1000; ++i) large += "key" + QByteArray::number(i) + '\0' + QByteArray(40, 't') + '\0';
    SheetGrid many;
    many.SetFreeText(true);
    many.SetColCount(2);
    many.SetRowCount(1000);
    for (qsizetype r = 0, from = 0; r < 1000; ++r) {
      const qsizetype key = large.indexOf('\0', from) - from;
      QVERIFY(many.ShareRowCells(int(r), large,
                                 {QByteArrayView(large.constData() + from, key),
                                  QByteArrayView(large.constData() + from + key + 1, 40)}));
      from += key + 42;
    }
    QVERIFY2(many.StoreBytes() < 4 * large.size(), qPrintable(QString::number(many.StoreBytes())));
  }

  void storeStaysCompact() {
    // 10,000 rows of 20 short cells: no object per cell.
    QByteArray line;
    for (int c = 0; c < 20; ++c) line += (c ? "\t" : "") + QByteArray::number(c * 7);
    SheetGrid grid;
    grid.SetColCount(20);
    grid.SetRowCount(10000);
    for (int r = 0; r < grid.RowCount(); ++r)
      grid.FillRowFromLine(r, QByteArray(line.constData(), line.size()));
    const qsizetype sheetBytes = (line.size() + 2) * 10000;
    QVERIFY2(grid.StoreBytes() < 10 * sheetBytes, qPrintable(QString::number(grid.StoreBytes())));
    QVERIFY(grid.StoreBytes() > sheetBytes);
  }
};

QTEST_GUILESS_MAIN(TestSheetGrid)
#include "test_sheetgrid.moc"

#include <QtTest>

#include "Fixtures.h"
#include "SheetCells.h"
#include "archive/SheetCodec.h"
#include "platform/AppError.h"

namespace {

QString ErrorOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const AppError& e) {
    return e.message();
  }
  return QString();
}

// What saving a sheet must produce, worked out straight from the file's
// bytes: text after a NUL gone, CR / LF / CR LF line ends, every row cut or
// padded to the header's field count, CR LF after every row.
QByteArray ExpectedSave(QByteArray text) {
  const int nul = text.indexOf('\0');
  if (nul >= 0) text.truncate(nul);
  text.replace("\r\n", "\n");
  text.replace('\r', '\n');
  if (text.endsWith('\n')) text.chop(1);
  if (text.isEmpty()) return text;
  QList<QByteArray> lines = text.split('\n');
  const qsizetype fields = lines.first().split('\t').size();
  QByteArray out;
  for (const QByteArray& line : lines) {
    QList<QByteArray> parts = line.split('\t');
    parts.resize(fields);
    out += parts.join('\t') + "\r\n";
  }
  return out;
}

// A sheet that needs no normalising is saved back byte for byte.
bool IsCanonical(QByteArray text) {
  if (text.contains('\0') || !text.endsWith("\r\n")) return false;
  const qsizetype ends = text.count("\r\n");
  if (text.count('\r') != ends || text.count('\n') != ends) return false;
  text.chop(2);
  const QList<QByteArray> lines = text.split('\n');
  const qsizetype tabs = lines.first().count('\t');
  for (const QByteArray& line : lines)
    if (line.count('\t') != tabs) return false;
  return true;
}

}  // namespace

class TestSheetCodec : public QObject {
  Q_OBJECT

  QTemporaryDir scratch_;
  QString Scratch(const QString& name) const { return scratch_.filePath(name); }

  QByteArray SaveLines(const LineList& lines, const QString& name = QStringLiteral("out.txt")) {
    SheetGrid grid;
    LinesToGrid(lines, grid);
    GridToFile(Scratch(name), grid);
    return fixtures::readAll(Scratch(name));
  }

  // Reads a sheet from disk, saves it, checks the result against the
  // independent expectation, then reads the saved file and saves it again:
  // it must give the same cells and the same bytes.
  void CheckRoundTrip(const QString& source, const QString& label) {
    const QByteArray original = fixtures::readAll(source);
    SheetGrid grid;
    LinesToGrid(LoadFileLines(source), grid);
    const QString saved = Scratch(QStringLiteral("saved.txt"));
    GridToFile(saved, grid);
    const QByteArray out = fixtures::readAll(saved);
    QVERIFY2(out == ExpectedSave(original), qPrintable(label));
    if (IsCanonical(original)) QVERIFY2(out == original, qPrintable(label));

    SheetGrid again;
    LinesToGrid(LoadFileLines(saved), again);
    QCOMPARE(again.RowCount(), grid.RowCount());
    QCOMPARE(again.ColCount(), grid.ColCount());
    for (int r = 0; r < grid.RowCount(); ++r) QCOMPARE(RowCells(again, r), RowCells(grid, r));
    const QString resaved = Scratch(QStringLiteral("resaved.txt"));
    GridToFile(resaved, again);
    QVERIFY2(fixtures::readAll(resaved) == out, qPrintable(label));
  }

 private slots:
  void initTestCase() { QVERIFY(scratch_.isValid()); }

  void fixtureSheetsRoundTrip() {
    QF_REQUIRE_FIXTURES();
    int sheets = 0, canonical = 0;
    for (const QString& path : fixtures::allFiles()) {
      if (!path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive)) continue;
      ++sheets;
      canonical += IsCanonical(fixtures::readAll(path));
      CheckRoundTrip(path, path);
    }
    // The fixtures hold both kinds; the test would prove little otherwise.
    QVERIFY(sheets >= 5);
    QVERIFY(canonical >= 1);
    QVERIFY(canonical < sheets);
  }

  // Variants the fixtures lack, built from them: CR-only ends, no final line
  // end, a NUL part-way, ragged rows.
  void derivedSheetsRoundTrip() {
    QF_REQUIRE_FIXTURES();
    const QByteArray source = fixtures::readAll(fixtures::modDir() + "/data/global/excel/weapons.txt");
    QVERIFY(!source.isEmpty());
    QByteArray lf = source;
    lf.replace("\r\n", "\n");
    QByteArray crOnly = lf;
    crOnly.replace('\n', '\r');
    QByteArray noFinalEnd = lf;
    noFinalEnd.chop(1);
    QByteArray withNul = source;
    withNul.insert(source.size() / 2, '\0');
    QByteArray ragged;
    int n = 0;
    for (QByteArray line : lf.split('\n')) {
      if (++n % 3 == 0) line.truncate(line.indexOf('\t', line.size() / 3));
      if (n % 5 == 0) line += "\textra\tfields";
      ragged += line + (n % 2 ? "\r\n" : "\n");
    }
    // (No file is named "nul.txt": on Windows that is the NUL device.)
    const QList<std::pair<const char*, QByteArray>> variants = {
        {"cr-only", crOnly}, {"no-final-end", noFinalEnd}, {"nul-part-way", withNul}, {"ragged", ragged}};
    for (const auto& [name, bytes] : variants) {
      const QString path = Scratch(QString::fromLatin1(name) + ".txt");
      QVERIFY(fixtures::writeAll(path, bytes));
      CheckRoundTrip(path, QString::fromLatin1(name));
    }
  }

  void largestFixtureFillsEveryCell() {
    QF_REQUIRE_FIXTURES();
    SheetGrid grid;
    grid.SetRowCount(2);
    grid.SetFixedRows(1);
    LinesToGrid(LoadFileLines(fixtures::modDir() + "/data/global/excel/cubemain.txt"), grid);
    QCOMPARE(grid.RowCount(), 14290);
    QCOMPARE(grid.ColCount(), 105);
    QCOMPARE(grid.FixedRows(), 1);
    QCOMPARE(grid.Cell(0, 0), QByteArray("description"));
  }

  void linesToGrid_data() {
    QTest::addColumn<LineList>("lines");
    QTest::addColumn<int>("fixedRows");
    QTest::addColumn<QList<Cells>>("rows");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("header and row") << LineList{"a\tb\tc", "1\t2\t3"} << 1
                                    << QList<Cells>{{"a", "b", "c"}, {"1", "2", "3"}}
                                    << QByteArray("a\tb\tc\r\n1\t2\t3\r\n");
    QTest::newRow("single line has no fixed row")
        << LineList{"a\tb"} << 0 << QList<Cells>{{"a", "b"}} << QByteArray("a\tb\r\n");
    QTest::newRow("header without tab") << LineList{"h", "x\ty", "z"} << 1
                                        << QList<Cells>{{"h"}, {"x"}, {"z"}} << QByteArray("h\r\nx\r\nz\r\n");
    QTest::newRow("trailing tab is a column")
        << LineList{"a\tb\t", "1\t2\t3"} << 1 << QList<Cells>{{"a", "b", ""}, {"1", "2", "3"}}
        << QByteArray("a\tb\t\r\n1\t2\t3\r\n");
    QTest::newRow("short row") << LineList{"a\tb\tc", "1\t2"} << 1
                               << QList<Cells>{{"a", "b", "c"}, {"1", "2", ""}}
                               << QByteArray("a\tb\tc\r\n1\t2\t\r\n");
    QTest::newRow("long row") << LineList{"a\tb\tc", "1\t2\t3\t4"} << 1
                              << QList<Cells>{{"a", "b", "c"}, {"1", "2", "3"}}
                              << QByteArray("a\tb\tc\r\n1\t2\t3\r\n");
    QTest::newRow("empty line") << LineList{"a\tb\tc", "", "x"} << 1
                                << QList<Cells>{{"a", "b", "c"}, {"", "", ""}, {"x", "", ""}}
                                << QByteArray("a\tb\tc\r\n\t\t\r\nx\t\t\r\n");
    QTest::newRow("one empty cell") << LineList{""} << 0 << QList<Cells>{{""}} << QByteArray("\r\n");
  }
  void linesToGrid() {
    QFETCH(LineList, lines);
    QFETCH(int, fixedRows);
    QFETCH(QList<Cells>, rows);
    QFETCH(QByteArray, saved);
    SheetGrid grid;
    // As the Edit page leaves the grid before filling it.
    grid.SetRowCount(2);
    grid.SetColCount(1);
    grid.SetFixedRows(1);
    LinesToGrid(lines, grid);
    QCOMPARE(grid.RowCount(), rows.size());
    QCOMPARE(grid.FixedRows(), fixedRows);
    for (int r = 0; r < rows.size(); ++r) QCOMPARE(RowCells(grid, r), rows.at(r));
    GridToFile(Scratch(QStringLiteral("case.txt")), grid);
    QCOMPARE(fixtures::readAll(Scratch(QStringLiteral("case.txt"))), saved);
  }

  void lfTextReadsLikeItsCrlfForm() {
    const QByteArray lf("a\tb\n1\t2\n3\t4");
    QCOMPARE(SplitLines(lf), SplitLines(QByteArray("a\tb\r\n1\t2\r\n3\t4\r\n")));
    QCOMPARE(SaveLines(SplitLines(lf)), QByteArray("a\tb\r\n1\t2\r\n3\t4\r\n"));
    // Text after a NUL is not part of the sheet.
    QCOMPARE(SaveLines(SplitLines(QByteArray("a\tb\n1\t2\0junk\n", 13))), QByteArray("a\tb\r\n1\t2\r\n"));
  }

  void refillLeavesNothingOfTheLastSheet() {
    SheetGrid grid;
    LinesToGrid({"a\tb\tc\td", "1\t2\t3\t4", "5\t6\t7\t8"}, grid);
    grid.SetCell(1, 1, "edited");
    LinesToGrid({"x\ty", "z"}, grid);
    QCOMPARE(grid.ColCount(), 2);
    QCOMPARE(grid.RowCount(), 2);
    QCOMPARE(RowCells(grid, 1), (Cells{"z", ""}));
    grid.SetColCount(4);
    grid.SetRowCount(3);
    QCOMPARE(RowCells(grid, 1), (Cells{"z", "", "", ""}));
    QCOMPARE(RowCells(grid, 2), (Cells{"", "", "", ""}));
  }

  void emptyListRaisesAfterSizingTheGrid() {
    SheetGrid grid;
    LinesToGrid({"kept\tb", "1\t2", "3\t4"}, grid);
    grid.SetFixedRows(1);
    QCOMPARE(ErrorOf([&] { LinesToGrid({}, grid); }), QStringLiteral("List index out of bounds (0)"));
    QCOMPARE(grid.RowCount(), 1);
    QCOMPARE(grid.ColCount(), 1);
    QCOMPARE(grid.FixedRows(), 0);
    // No cell was written: the one left keeps what it held.
    QCOMPARE(grid.Cell(0, 0), QByteArray("kept"));
    // An empty file and a text that begins with NUL are empty sheets.
    QVERIFY(fixtures::writeAll(Scratch(QStringLiteral("empty.txt")), {}));
    QCOMPARE(LoadFileLines(Scratch(QStringLiteral("empty.txt"))), LineList());
    QCOMPARE(SplitLines(QByteArray("\0a\tb", 4)), LineList());
  }

  void savingOverALongerFileLeavesOnlyTheNewText() {
    const QString path = Scratch(QStringLiteral("longer.txt"));
    QVERIFY(fixtures::writeAll(path, QByteArray(5000, 'x')));
    SheetGrid grid;
    LinesToGrid({"a\tb"}, grid);
    GridToFile(path, grid);
    QCOMPARE(fixtures::readAll(path), QByteArray("a\tb\r\n"));
  }

  void cannotCreateFile() {
    QTemporaryDir dir;
    SheetGrid grid;
    LinesToGrid({"a\tb"}, grid);
    const QString missing = dir.filePath(QStringLiteral("no-such-folder/sheet.txt"));
    QCOMPARE(ErrorOf([&] { GridToFile(missing, grid); }), "Cannot create file " + missing);
    QVERIFY(!QFileInfo::exists(missing));

    // Read-only stays read-only, also for a superuser.
    const QString readOnly = dir.filePath(QStringLiteral("read-only.txt"));
    QVERIFY(fixtures::writeAll(readOnly, "original\r\n"));
    QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QCOMPARE(ErrorOf([&] { GridToFile(readOnly, grid); }), "Cannot create file " + readOnly);
    QCOMPARE(fixtures::readAll(readOnly), QByteArray("original\r\n"));

    const QString folder = dir.path();
    QCOMPARE(ErrorOf([&] { GridToFile(folder, grid); }), "Cannot create file " + folder);
    // No temporary file is left behind by any of these.
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("read-only.txt")});
  }

  void loadFileLines() {
    const QString path = Scratch(QStringLiteral("load.txt"));
    QVERIFY(fixtures::writeAll(path, "a\tb\r\n1\r2\n\n"));
    QCOMPARE(LoadFileLines(path), (LineList{"a\tb", "1", "2", ""}));
    const QString missing = Scratch(QStringLiteral("missing.txt"));
    QCOMPARE(ErrorOf([&] { LoadFileLines(missing); }), "Cannot open file " + missing);
    QCOMPARE(ErrorOf([&] { LoadFileLines(scratch_.path()); }), "Cannot open file " + scratch_.path());
    QFile::remove(path);
  }
};

QTEST_GUILESS_MAIN(TestSheetCodec)
#include "test_sheetcodec.moc"

// Disk files the user or another program left behind: a preferences file full
// of garbage, and sheets that are empty or begin with a NUL. Reading them
// gives defaults or the fixed error, and writing changes only what it must.
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "Fixtures.h"
#include "archive/SheetCodec.h"
#include "forms/widgets/FolderEdit.h"
#include "forms/preferences/untPreferences.h"
#include "platform/AppError.h"
#include "platform/Profile.h"

namespace {

QByteArray Garbage(int size, quint32 seed) {
  QRandomGenerator random(seed);
  QByteArray bytes(size, Qt::Uninitialized);
  for (char& c : bytes) c = char(random.bounded(256));
  return bytes;
}

}  // namespace

class TestHostileFiles : public QObject {
  Q_OBJECT

  QTemporaryDir scratch_;
  QString Path(const QString& name) const { return scratch_.filePath(name); }

 private slots:
  void garbageProfiles_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("input");  // what ReadString finds for Files/Input
    const QByteArray junk = Garbage(4096, 3).replace('[', '(').replace('=', '-');
    QTest::newRow("binary junk") << junk << QByteArray("default");
    QTest::newRow("junk around the key")
        << junk.left(900) + "\r\n[Files]\r\nInput=C:\\mods\r\n" + junk.mid(900) << QByteArray("C:\\mods");
    QTest::newRow("NUL inside the value") << QByteArray("[Files]\nInput=a\0b\nOutput=o\n", 26)
                                          << QByteArray("a\0b", 3);
    QTest::newRow("section never closed") << QByteArray("[Files\nInput=x\n") << QByteArray("x");
    QTest::newRow("key without a value sign") << QByteArray("[Files]\nInput\nInput=y\n") << QByteArray("y");
    QTest::newRow("one megabyte line") << QByteArray(1 << 20, 'q') << QByteArray("default");
    QTest::newRow("lone CRs") << QByteArray("\r\r[Files]\rInput=z\r\r") << QByteArray("z");
  }
  void garbageProfiles() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, input);
    const QString path = Path(QStringLiteral("QUILL.INI"));
    QVERIFY(fixtures::writeAll(path, before));
    const Profile ini(path);
    QCOMPARE(ini.ReadString("Files", "Input", "default"), input);

    // Writing the other key keeps every byte of the garbage and reads back.
    QVERIFY(ini.WriteString("Files", "Output", "/home/user/out"));
    const QByteArray after = fixtures::readAll(path);
    QCOMPARE(ini.ReadString("Files", "Output", "none"), QByteArray("/home/user/out"));
    QCOMPARE(ini.ReadString("Files", "Input", "default"), input);
    if (!before.contains("Output=")) {
      // Nothing was replaced, so the old bytes all stand, in order, in the new file.
      qsizetype at = 0;
      for (char c : before) {
        at = after.indexOf(c, at);
        QVERIFY2(at >= 0, "a byte of the old file is gone");
        ++at;
      }
    }
  }

  void preferencesFromAGarbageProfile() {
    const QString path = Path(QStringLiteral("prefs.INI"));
    QVERIFY(fixtures::writeAll(path, Garbage(2048, 5) + "\n[Files]\nOutput=/srv/mods\n"));
    TfrmPreferences::SetIniFileNameForTesting(path);
    {
      TfrmPreferences prefs(nullptr);
      QCOMPARE(prefs.edtOutputPath->text(), QStringLiteral("/srv/mods"));
    }
    TfrmPreferences::SetIniFileNameForTesting({});
  }

  void emptyAndNulLedSheets_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("0 bytes") << QByteArray();
    QTest::newRow("NUL first") << QByteArray("\0a\tb\r\n1\t2\r\n", 11);
    QTest::newRow("NUL only") << QByteArray(1, '\0');
  }
  void emptyAndNulLedSheets() {
    QFETCH(QByteArray, bytes);
    const QString path = Path(QStringLiteral("sheet.txt"));
    QVERIFY(fixtures::writeAll(path, bytes));
    const LineList lines = LoadFileLines(path);
    QVERIFY(lines.isEmpty());
    SheetGrid grid;
    grid.SetColCount(4);
    grid.SetRowCount(3);
    grid.SetFixedRows(1);
    QString error;
    try {
      LinesToGrid(lines, grid);
    } catch (const AppError& e) {
      error = e.message();
    }
    QCOMPARE(error, QStringLiteral("List index out of bounds (0)"));
    QCOMPARE(grid.RowCount(), 1);
    QCOMPARE(grid.ColCount(), 1);
    QCOMPARE(grid.FixedRows(), 0);
    QCOMPARE(fixtures::readAll(path), bytes);
  }
};

QTEST_MAIN(TestHostileFiles)
#include "test_hostile_files.moc"

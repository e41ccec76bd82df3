// The mod information record: its bytes, decoding of short and hostile
// records, and the temporary file it travels in.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <climits>
#include <csignal>

#include "Fixtures.h"
#include "Links.h"
#include "archive/ModInfo.h"
#include "platform/AppError.h"

Q_DECLARE_METATYPE(ModInfo)

namespace {

ModInfo Info(std::initializer_list<QByteArray> texts) {
  ModInfo info;
  int i = 0;
  for (const QByteArray& t : texts) info.texts[i++] = t;
  return info;
}

QByteArray Header(std::initializer_list<qint32> lengths, quint32 reserved = 0) {
  QByteArray h(ModInfoHeader::kSize, '\0');
  int i = 0;
  for (qint32 n : lengths) qToLittleEndian<qint32>(n, h.data() + 4 * i++);
  for (int w = 6; w < 10; ++w) qToLittleEndian<quint32>(reserved, h.data() + 4 * w);
  return h;
}

QList<QByteArray> Texts(const ModInfo& info) {
  return QList<QByteArray>(info.texts, info.texts + 6);
}

// Points the temporary folder somewhere else for the life of the object.
class TempFolderOverride {
 public:
  explicit TempFolderOverride(const QString& dir) : old_(qgetenv("TMPDIR")) {
    qputenv("TMPDIR", dir.toLocal8Bit());
  }
  ~TempFolderOverride() { qputenv("TMPDIR", old_); }

 private:
  QByteArray old_;
};

}  // namespace

class TestModInfo : public QObject {
  Q_OBJECT
 private slots:
  void encoding_data() {
    QTest::addColumn<ModInfo>("info");
    QTest::addColumn<QByteArray>("record");
    QTest::newRow("six empty texts") << ModInfo{} << QByteArray(40, '\0');
    QTest::newRow("title abc") << Info({"abc"}) << Header({3}) + "abc";
    QTest::newRow("description a CR LF b") << Info({"", "", "", "", "", "a\r\nb"})
                                           << Header({0, 0, 0, 0, 0, 4}) + QByteArray("\x61\x0d\x0a\x62");
    QTest::newRow("all six in record order") << Info({"T", "Au", "1.10", "http://x", "v2", "d\xe9\xff"})
                                             << Header({1, 2, 4, 8, 2, 3}) + "TAu1.10http://xv2d\xe9\xff";
  }
  void encoding() {
    QFETCH(ModInfo, info);
    QFETCH(QByteArray, record);
    QCOMPARE(EncodeModInfo(info), record);
    QCOMPARE(Texts(DecodeModInfo(record)), Texts(info));
  }

  void decodingTolerates_data() {
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QList<QByteArray>>("texts");
    using L = QList<QByteArray>;
    const L none(6);
    QTest::newRow("0 bytes") << QByteArray() << none;
    QTest::newRow("header cut short") << Header({3}).left(3) << none;
    QTest::newRow("only the title's length") << Header({2}).left(4) << none;
    QTest::newRow("reserved words and trailing bytes ignored")
        << Header({2}, 0xDEADBEEF) + "hi" + "trailing" << L{"hi", "", "", "", "", ""};
    QTest::newRow("text cut at its NUL, the next text unshifted")
        << Header({5, 2}) + QByteArray("ab\0cdXY", 7) << L{"ab", "XY", "", "", "", ""};
    QTest::newRow("length past the end takes what remains")
        << Header({2, 1000}) + "abcde" << L{"ab", "cde", "", "", "", ""};
    QTest::newRow("negative length takes nothing") << Header({-1, 2}) + "xy" << L{"", "xy", "", "", "", ""};
    QTest::newRow("INT_MIN and INT_MAX")
        << Header({INT_MIN, INT_MAX, INT_MAX}) + "zz" << L{"", "zz", "", "", "", ""};
    QTest::newRow("sum of lengths overflows 32 bits")
        << Header({INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX}) + "q" << L{"q", "", "", "", "", ""};
  }
  void decodingTolerates() {
    QFETCH(QByteArray, record);
    QFETCH(QList<QByteArray>, texts);
    // A copy exactly as long as the record, so a read past it shows up in a
    // memory checker.
    const QByteArray exact(record.constData(), record.size());
    QCOMPARE(Texts(DecodeModInfo(exact)), texts);
  }

  void tempFileHoldsTheRecord() {
    const ModInfo info = Info({"Title", "", "", "", "", "line1\r\nline2"});
    const QString first = WriteModInfoFile(info);
    const QString second = WriteModInfoFile(info);
    QVERIFY(first != second);
    QVERIFY(QFileInfo(first).fileName().startsWith("ModInfo."));
    QVERIFY(first.endsWith(".dat"));
    QCOMPARE(QFileInfo(first).absolutePath(), QFileInfo(QDir::tempPath() + "/x").absolutePath());
    QCOMPARE(fixtures::readAll(first), EncodeModInfo(info));
    QCOMPARE(fixtures::readAll(second), EncodeModInfo(info));
#ifndef Q_OS_WIN
    // Not readable by other users of a shared folder (Windows' temporary
    // folder is the user's own, and Qt shows no permissions of others there).
    QCOMPARE(QFileInfo(first).permissions() & (QFile::ReadOther | QFile::WriteOther), QFile::Permissions());
#endif
    QFile::remove(first);
    QFile::remove(second);
  }

  void plantedLinksAreNotFollowed() {
    QTemporaryDir shared, elsewhere;
    const TempFolderOverride tmp(shared.path());
    const QString victim = elsewhere.filePath("victim");
    QVERIFY(fixtures::writeAll(victim, "precious"));
    // Links planted at the names a fixed-name scheme would use.
    for (const QString& name : {QString("ModInfo.dat"), QString("ModInfo.Dat")})
      QVERIFY(fixtures::makeLink(victim, shared.filePath(name)));
    const QString written = WriteModInfoFile(Info({"abc"}));
    QCOMPARE(QFileInfo(written).dir(), QDir(shared.path()));
    QVERIFY(!QFileInfo(written).isSymLink());
    QCOMPARE(fixtures::readAll(victim), QByteArray("precious"));
    QCOMPARE(fixtures::readAll(written), Header({3}) + "abc");
  }

};

QTEST_GUILESS_MAIN(TestModInfo)
#include "test_modinfo.moc"

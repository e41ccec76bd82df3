// Every input the fuzzers once crashed or hung on (fuzz/regressions), read the
// way Open and the Edit page read a mod. Each must come back, within the
// test's time limit, with reads that either fail writing nothing or deliver
// no more than the entry's size; and the damaged entry each one was kept for
// must read as missing.
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QtTest>

#include "archive/ArchiveReader.h"

class TestFuzzFindings : public QObject {
  Q_OBJECT

  // Bytes read from the entry, or nothing when the read failed.
  static std::optional<QByteArray> Read(const QString& path, const QByteArray& name) {
    const qint32 size = EntrySize(path, name);
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    const bool read = ReadEntryToStream(path, name, stream);
    if (!read) {
      if (stream.size() != 0) qWarning("a failed read of %s wrote bytes", name.constData());
      return stream.size() == 0 ? std::nullopt : std::optional<QByteArray>(stream.data());
    }
    if (stream.size() > qint64(quint32(size))) qWarning("read more than the size of %s", name.constData());
    return stream.data();
  }

 private slots:
  void findingsComeBackAndReadNothingOutside_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("damaged");
    const QDir dir(QStringLiteral(QF_FUZZ_REGRESSIONS));
    const QStringList files = dir.entryList({QStringLiteral("*.QLM")}, QDir::Files, QDir::Name);
    QVERIFY2(files.size() >= 2, "the fuzz findings are missing");
    // The entry each finding damages.
    const QHash<QString, QByteArray> damaged = {
        {QStringLiteral("archive-bzip2-endless.QLM"), "data/lowqualityitems.txt"},
        {QStringLiteral("archive-sector-table-overread.QLM"), "(listfile)"},
        {QStringLiteral("archive-checksums-overflow.QLM"), "data/ruins.ds1"},
        {QStringLiteral("archive-huffman-null-tree.QLM"), "data/Arena.txt"},
        {QStringLiteral("archive-one-piece-overflow.QLM"), ""},
    };
    for (const QString& file : files)
      QTest::newRow(qPrintable(file)) << dir.filePath(file) << damaged.value(file);
  }
  void findingsComeBackAndReadNothingOutside() {
    QFETCH(QString, path);
    QFETCH(QByteArray, damaged);
    QElapsedTimer clock;
    clock.start();
    LineList names;
    const bool listed = ReadEntryLines(path, "(listfile)", names);
    for (const QByteArray& name : names) {
      const std::optional<QByteArray> bytes = Read(path, name);
      if (bytes) QVERIFY(bytes->size() <= EntrySize(path, name));
    }
    if (!damaged.isEmpty()) {
      QVERIFY2(!Read(path, damaged), damaged.constData());
    }
    ReleaseArchiveState();
    qInfo("%s: listing %s, %lld names, %lld ms", qPrintable(QFileInfo(path).fileName()), listed ? "read" : "refused",
          qlonglong(names.size()), qlonglong(clock.elapsed()));
  }
};

QTEST_GUILESS_MAIN(TestFuzzFindings)
#include "test_fuzz_findings.moc"

// How ARCHWRIT commits: appended after the archive's end with the header
// rewritten last, packed into a new file once a quarter of it is waste, and
// what it stores: PKWARE DCL sectors only, the same bytes at every run.
// Everything is read back through StormLib.
#include <StormLib.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "ArchiveProbe.h"
#include "Fixtures.h"
#include "archwrit.h"

using probe::Change;
using Contents = QMap<QByteArray, QByteArray>;

namespace {

// Every listed entry read through one open StormLib handle.
Contents readThrough(HANDLE mpq, const QByteArrayList& names) {
  Contents entries;
  for (const QByteArray& name : names) {
    HANDLE file = nullptr;
    QByteArray bytes;
    if (SFileOpenFileEx(mpq, name.constData(), SFILE_OPEN_FROM_MPQ, &file)) {
      bytes.resize(SFileGetFileSize(file, nullptr));
      DWORD got = 0;
      if (!bytes.isEmpty() && (!SFileReadFile(file, bytes.data(), DWORD(bytes.size()), &got, nullptr) ||
                               got != DWORD(bytes.size())))
        bytes = "<unreadable>";
      SFileCloseFile(file);
    } else {
      bytes = "<missing>";
    }
    entries.insert(name, bytes);
  }
  return entries;
}

quint32 hashTableSize(const QString& archive) {
  HANDLE mpq = nullptr;
  DWORD size = 0;
  if (SFileOpenArchive(QFile::encodeName(archive).constData(), 0, STREAM_FLAG_READ_ONLY | STREAM_FLAG_WRITE_SHARE,
                       &mpq)) {
    SFileGetFileInfo(mpq, SFileMpqHashTableSize, &size, sizeof size, nullptr);
    SFileCloseArchive(mpq);
  }
  return size;
}

}  // namespace

class TestArchwritCommit : public QObject, probe::Scratch {
  Q_OBJECT

  // Bytes that do not compress, then bytes that compress a little: sectors stored both ways.
  QByteArray mixedBytes() const {
    QByteArray bytes(64 * 1024, '\0');
    QRandomGenerator random(7);
    for (char& c : bytes) c = char(random.bounded(256));
    for (qsizetype i = 32 * 1024; i < bytes.size(); i += 3) bytes[i] = 'x';
    return bytes;
  }

 private slots:
  void init() { QF_REQUIRE_FIXTURES(); }

  void appendsAndReadersOfTheOldArchiveKeepReadingIt() {
    const QString archive = path("append.QLM");
    QCOMPARE(probe::update(archive, 9, probe::fixtureChanges()), 1);
    const Contents before = probe::contents(archive);
    const QByteArray oldBytes = fixtures::readAll(archive);
    HANDLE opened = nullptr;
    // A reader that lets the update write meanwhile (where the system asks).
    QVERIFY(SFileOpenArchive(QFile::encodeName(archive).constData(), 0, STREAM_FLAG_READ_ONLY | STREAM_FLAG_WRITE_SHARE,
                             &opened));

    // A small change: appended, the file keeps every byte but its header.
    const QList<Change> small = {{"data\\global\\excel\\Arena.txt", source("arena", "changed")},
                                 {"data\\global\\excel\\lowqualityitems.txt", {}},
                                 {"data\\new.txt", source("new", "new entry")}};
    MPQHANDLE h = MpqOpenArchiveForUpdate(QFile::encodeName(archive).constData(), 5, 1000);
    QVERIFY(h);
    QCOMPARE(MpqAddFileToArcive(h, QFile::encodeName(small[0].source).constData(), small[0].name, 0x10201),
             1);
    QCOMPARE(MpqDeleteFile(h, small[1].name), 1);
    QCOMPARE(MpqAddFileToArcive(h, QFile::encodeName(small[2].source).constData(), small[2].name, 0x10200),
             1);
    QCOMPARE(readThrough(opened, before.keys()), before);  // while the update is under way
    QCOMPARE(MpqCloseUpdatedArchive(h, 0), 1);
    const QByteArray newBytes = fixtures::readAll(archive);
    QVERIFY(newBytes.size() > oldBytes.size());
    QCOMPARE(newBytes.mid(32, oldBytes.size() - 32), oldBytes.mid(32));
    QVERIFY(newBytes.left(32) != oldBytes.left(32));
    QCOMPARE(probe::contents(archive), probe::expectedContents(small, before));
    QCOMPARE(readThrough(opened, before.keys()), before);

    // Removing most of it leaves more than a quarter unused: packed.
    QList<Change> removals;
    for (const QByteArray& name : before.keys())
      if (name.contains("excel\\") && !name.endsWith("Arena.txt")) removals.append({name, {}});
    QCOMPARE(probe::update(archive, 5, removals), 1);
    const Contents after = probe::expectedContents(removals, probe::expectedContents(small, before));
    QCOMPARE(probe::contents(archive), after);
    QVERIFY(QFileInfo(archive).size() < newBytes.size() / 2);
    QCOMPARE(QFileInfo(archive).size(), probe::usedBytes(archive));
#ifndef Q_OS_WIN
    // Windows renames nothing over an open file, so there the archive is
    // packed in its own file, and a reader from before reads moved bytes.
    QCOMPARE(readThrough(opened, before.keys()), before);
#endif
    SFileCloseArchive(opened);
    QCOMPARE(probe::folderEntries(scratchFolder()).filter("append.QLM"), QStringList{"append.QLM"});
  }

  void wasteStaysUnderAQuarter() {
    const QString archive = path("waste.QLM");
    QCOMPARE(probe::update(archive, 9, probe::fixtureChanges()), 1);
    const QByteArray sheet = fixtures::readAll(fixtures::modDir() + "/data/global/excel/misc.txt");
    const QByteArray name = "data\\global\\excel\\misc.txt";
    int packings = 0, appends = 0;
    for (int i = 0; i < 12; ++i) {
      const QString edited = source("edit" + QString::number(i), sheet + "edit\t" + QByteArray::number(i));
      QCOMPARE(probe::update(archive, 5, {{name, edited}}, 0x10201), 1);
      const qint64 size = QFileInfo(archive).size(), used = probe::usedBytes(archive);
      QVERIFY2(size - used <= size / 4,
               qPrintable(QString("%1 of %2 bytes unused").arg(size - used).arg(size)));
      // Packing leaves no byte unused; an append leaves at least the edited
      // entry's old copy.
      if (size == used) {
        ++packings;
      } else {
        ++appends;
      }
      QCOMPARE(probe::contents(archive).value(name), fixtures::readAll(edited));
    }
    qInfo("%d updates appended, %d packed the archive", appends, packings);
    QVERIFY(packings > 0 && appends > packings);
  }

  void storesPkwareSectorsOnly() {
    const QString archive = path("sectors.QLM");
    QList<Change> changes = probe::fixtureChanges();
    changes.append({"data\\mixed.bin", source("mixed", mixedBytes())});
    QCOMPARE(probe::update(archive, 9, changes), 1);
    int packed = 0, raw = 0;
    QCOMPARE(probe::sectorFaults(archive, &packed, &raw), QByteArrayList());
    QVERIFY(packed > 0 && raw > 0);
    // An appended update, and the packed file after it, the same.
    QCOMPARE(probe::update(archive, 5, {{"data\\more.bin", source("more", mixedBytes() + "more")}}), 1);
    QCOMPARE(probe::sectorFaults(archive), QByteArrayList());
    QList<Change> removals;
    for (const Change& c : probe::fixtureChanges()) removals.append({c.name, {}});
    QCOMPARE(probe::update(archive, 5, removals), 1);
    QCOMPARE(QFileInfo(archive).size(), probe::usedBytes(archive));
    QCOMPARE(probe::sectorFaults(archive), QByteArrayList());
  }

  void sameInputSameBytes() {
    QList<Change> changes = probe::fixtureChanges();
    changes.append({"data\\mixed.bin", source("mixed", mixedBytes())});
    QCOMPARE(probe::update(path("one.QLM"), 9, changes), 1);
    QCOMPARE(probe::update(path("two.QLM"), 9, changes), 1);
    QCOMPARE(fixtures::readAll(path("one.QLM")), fixtures::readAll(path("two.QLM")));
  }

  void growsPastTheHashTableInPlace() {
    const QString archive = path("grow.QLM");
    QCOMPARE(probe::update(archive, 9, {{"first", source("first", "1")}}), 1);
    QCOMPARE(hashTableSize(archive), 1024u);
    QList<Change> changes;
    for (int i = 0; i < 1500; ++i)
      changes.append(
          {"data\\grow\\" + QByteArray::number(i) + ".txt", source("g" + QString::number(i % 5), "g")});
    QList<int> results;
    QCOMPARE(probe::update(archive, 5, changes, 0x10200, &results), 1);
    QCOMPARE(results.count(1), 1500);
    QVERIFY(hashTableSize(archive) >= 2048u);
    QCOMPARE(probe::contents(archive), probe::expectedContents(changes, {{"first", "1"}}));
  }
};

QTEST_GUILESS_MAIN(TestArchwritCommit)
#include "test_archwrit_commit.moc"

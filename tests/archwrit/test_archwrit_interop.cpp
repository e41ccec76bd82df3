// Archives ARCHWRIT writes are read by smpq, and archives smpq writes are updated by ARCHWRIT.
#include <StormLib.h>

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "ArchiveProbe.h"
#include "Fixtures.h"

using probe::Change;
using Contents = QMap<QByteArray, QByteArray>;

namespace {

const QString kSmpq = QStringLiteral("/usr/bin/smpq");

// Runs smpq in folder; its standard output, or a null array when it failed.
QByteArray smpq(const QStringList& args, const QString& folder) {
  QProcess p;
  p.setWorkingDirectory(folder);
  p.start(kSmpq, args);
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return {};
  const QByteArray out = p.readAllStandardOutput();
  return out.isNull() ? QByteArray("") : out;
}

}  // namespace

class TestArchwritInterop : public QObject {
  Q_OBJECT
  QTemporaryDir scratch;

  void checkWithSmpq(const QString& archive, const Contents& expected, const QString& stage) {
    const QByteArray listing = smpq({"-l", archive}, scratch.path());
    QVERIFY(!listing.isNull());
    const QString out = scratch.filePath("out-" + stage);
    QDir().mkpath(out);
    QVERIFY(!smpq({"-x", archive}, out).isNull());
    for (auto it = expected.begin(); it != expected.end(); ++it) {
      // smpq shows and extracts names with '/' for the archive's '\'.
      const QByteArray shown = QByteArray(it.key()).replace('\\', '/');
      QVERIFY2(listing.contains(shown), shown.constData());
      QCOMPARE(fixtures::readAll(out + "/" + QString::fromLatin1(shown)), it.value());
    }
    int extracted = 0;
    for (QDirIterator it(out, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next())
      ++extracted;
    QCOMPARE(extracted, expected.size());
  }

 private slots:
  void init() {
    if (!QFile::exists(kSmpq)) QSKIP("smpq is not installed");
    QF_REQUIRE_FIXTURES();
  }

  // smpq lists and extracts every entry, byte for byte: of a new archive,
  // after a change appended to it, and after one that packs it.
  void smpqReadsWhatArchwritWrites() {
    const QString archive = scratch.filePath("ours.QLM");
    QList<Change> changes = probe::fixtureChanges();
    QCOMPARE(probe::update(archive, 9, changes), 1);
    checkWithSmpq(archive, probe::expectedContents(changes), "new");

    const QString sheet = fixtures::modDir() + "/data/global/excel/Arena.txt";
    const QList<Change> small = {{"data\\global\\excel\\misc.txt", sheet}, {"data\\added.txt", sheet}};
    QCOMPARE(probe::update(archive, 5, small, 0x10201), 1);
    Contents expected = probe::expectedContents(small, probe::expectedContents(changes));
    checkWithSmpq(archive, expected, "appended");

    QList<Change> removals;
    for (const Change& c : changes)
      if (c.name.contains("excel")) removals.append({c.name, {}});
    QCOMPARE(probe::update(archive, 5, removals), 1);
    checkWithSmpq(archive, probe::expectedContents(removals, expected), "packed");
  }

  void archwritUpdatesWhatSmpqWrites() {
    const QString archive = scratch.filePath("theirs.QLM");
    QStringList args = {"-c", "-C", "PKWARE", "-E", "-M", "1", archive};
    const QList<Change> fixtures = probe::fixtureChanges();
    for (const Change& c : fixtures) args << QDir(fixtures::modDir()).relativeFilePath(c.source);
    QVERIFY(!smpq(args, fixtures::modDir()).isNull());
    QCOMPARE(probe::contents(archive), probe::expectedContents(fixtures));  // smpq stores '\' names
    QVERIFY(probe::hasEntry(archive, "(attributes)"));

    // Replace, delete and add more than smpq's small hash table holds.
    const QString sheet = fixtures::modDir() + "/data/global/excel/Arena.txt";
    QList<Change> changes = {{"data\\global\\excel\\misc.txt", sheet}, {fixtures.first().name, {}}};
    for (int i = 0; i < 100; ++i) changes.append({"data\\extra\\" + QByteArray::number(i) + ".txt", sheet});
    QList<int> results;
    QCOMPARE(probe::update(archive, 5, changes, 0x10201, &results), 1);
    QVERIFY(!results.contains(0));
    bool ok = false;
    QCOMPARE(probe::contents(archive, &ok),
             probe::expectedContents(changes, probe::expectedContents(fixtures)));
    QVERIFY(ok);
    // Its checksums per block would no longer hold.
    QVERIFY(!probe::hasEntry(archive, "(attributes)"));
    // And smpq still reads the result.
    const QString out = scratch.filePath("back");
    QDir().mkpath(out);
    QVERIFY(!smpq({"-x", archive}, out).isNull());
    QCOMPARE(fixtures::readAll(out + "/data/global/excel/misc.txt"), fixtures::readAll(sheet));
    QCOMPARE(fixtures::readAll(out + "/data/extra/99.txt"), fixtures::readAll(sheet));
  }

  // Entries whose key depends on their place (smpq -F) are encrypted anew where packing moves them.
  void packingMovesFixedKeyEntries() {
    const QString archive = scratch.filePath("fixed.QLM");
    QStringList args = {"-c", "-C", "PKWARE", "-E", "-F", "-M", "1", archive};
    const QList<Change> fixtures = probe::fixtureChanges();
    for (const Change& c : fixtures) args << QDir(fixtures::modDir()).relativeFilePath(c.source);
    QVERIFY(!smpq(args, fixtures::modDir()).isNull());
    const QByteArray kept = "data\\global\\sfx\\monster\\hidden\\appear1.wav";
    QVERIFY(probe::entryFlags(archive, kept) & MPQ_FILE_FIX_KEY);
    QList<Change> removals;
    for (const Change& c : fixtures)
      if (c.name.contains("excel")) removals.append({c.name, {}});
    QCOMPARE(probe::update(archive, 5, removals, 0x10201), 1);
    bool ok = false;
    QCOMPARE(probe::contents(archive, &ok),
             probe::expectedContents(removals, probe::expectedContents(fixtures)));
    QVERIFY(ok);
    QCOMPARE(QFileInfo(archive).size(), probe::usedBytes(archive));  // packed, every entry moved
    QVERIFY(probe::entryFlags(archive, kept) & MPQ_FILE_FIX_KEY);
  }
};

QTEST_GUILESS_MAIN(TestArchwritInterop)
#include "test_archwrit_interop.moc"

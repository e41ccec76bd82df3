// Archives ARCHWRIT writes are read by smpq, and archives smpq writes are updated by ARCHWRIT.
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "ArchiveProbe.h"
#include "Fixtures.h"

using probe::Change;

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

 private slots:
  void init() {
    if (!QFile::exists(kSmpq)) QSKIP("smpq is not installed");
    QF_REQUIRE_FIXTURES();
  }

  void smpqReadsWhatArchwritWrites() {
    const QString archive = scratch.filePath("ours.QLM");
    const QList<Change> changes = probe::fixtureChanges();
    QCOMPARE(probe::update(archive, 9, changes), 1);

    const QByteArray listing = smpq({"-l", archive}, scratch.path());
    QVERIFY(!listing.isNull());
    const QString out = scratch.filePath("out");
    QDir().mkpath(out);
    QVERIFY(!smpq({"-x", archive}, out).isNull());
    for (const Change& c : changes) {
      // smpq shows and extracts names with '/' for the archive's '\'.
      const QByteArray shown = QByteArray(c.name).replace('\\', '/');
      QVERIFY2(listing.contains(shown), shown.constData());
      QCOMPARE(fixtures::readAll(out + "/" + QString::fromLatin1(shown)), fixtures::readAll(c.source));
    }
    int extracted = 0;
    for (QDirIterator it(out, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next())
      ++extracted;
    QCOMPARE(extracted, changes.size());
  }

  void archwritUpdatesWhatSmpqWrites() {
    const QString archive = scratch.filePath("theirs.QLM");
    QStringList args = {"-c", "-C", "PKWARE", "-E", "-M", "1", archive};
    const QList<Change> fixtures = probe::fixtureChanges();
    for (const Change& c : fixtures) args << QDir(fixtures::modDir()).relativeFilePath(c.source);
    QVERIFY(!smpq(args, fixtures::modDir()).isNull());
    QCOMPARE(probe::contents(archive), probe::expectedContents(fixtures));  // smpq stores '\' names

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
    // And smpq still reads the result.
    const QString out = scratch.filePath("back");
    QDir().mkpath(out);
    QVERIFY(!smpq({"-x", archive}, out).isNull());
    QCOMPARE(fixtures::readAll(out + "/data/global/excel/misc.txt"), fixtures::readAll(sheet));
    QCOMPARE(fixtures::readAll(out + "/data/extra/99.txt"), fixtures::readAll(sheet));
  }
};

QTEST_GUILESS_MAIN(TestArchwritInterop)
#include "test_archwrit_interop.moc"

// The storm layer keeps an opened archive between transactions; these cases
// check that a changed file is never read through the kept copy, that an
// unchanged one is not reopened, and that the layer refuses handles it does
// not know.
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <unistd.h>

#include "ArchiveBuilder.h"
#include "Fixtures.h"
#include "archive/ArchiveReader.h"
#include "platform/Storm.h"

using testarchive::Entries;
using testarchive::Storage;

namespace {

// What another program does to the file, tried again for a few seconds as a
// tool does where the system neither replaces nor deletes a file that is open
// (Windows) until the program holding it lets go.
template <typename Step>
bool WithinAMoment(Step step) {
  QElapsedTimer waited;
  waited.start();
  while (!step()) {
    if (waited.elapsed() > 3000) return false;
    QThread::msleep(50);
  }
  return true;
}

// Renames from over to, replacing the file there as one step.
bool Replace(const QString& from, const QString& to) {
  return WithinAMoment([&] {
    std::error_code error;
    std::filesystem::rename(from.toStdWString(), to.toStdWString(), error);
    return !error;
  });
}

QByteArray Read(const QString& archive, const QByteArray& name) {
  LineList lines;
  if (!ReadEntryLines(archive, name, lines)) return "<unreadable>";
  return lines.join('|');
}

quint64 Opens() {
  return storm::cache::DiskOpens();
}

}  // namespace

class TestStormCache : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString path(const QString& name) const { return dir_.filePath(name); }

  // Two uncompressed archives whose files have the same size. They name their
  // entry differently, so a kept copy of the first one's tables cannot find
  // the second one's entry.
  void buildPair(const QString& a, const QString& b) {
    QVERIFY(testarchive::Build(a, {{"data\\x.txt", "first"}}, Storage::Plain));
    QVERIFY(testarchive::Build(b, {{"data\\y.txt", "other"}}, Storage::Plain));
    QCOMPARE(QFileInfo(a).size(), QFileInfo(b).size());
  }
  static void overwriteInPlace(const QString& target, const QString& from) {
    QFile f(target);
    QVERIFY(f.open(QIODevice::ReadWrite));  // no truncation: same inode, same size
    QCOMPARE(f.write(fixtures::readAll(from)), QFileInfo(from).size());
  }

 private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }
  void cleanup() { ReleaseArchiveState(); }

  void unchangedOldArchiveIsOpenedOnce() {
    const QString archive = path("many.mpq");
    Entries entries;
    for (int i = 0; i < 10000; ++i)
      entries.append({"data\\e" + QByteArray::number(i), QByteArray(i % 97, 'x')});
    QVERIFY(testarchive::Build(archive, entries, Storage::Plain));
    QVERIFY(testarchive::MakeOld(archive));
    const quint64 before = Opens();
    for (const auto& [name, content] : entries) QCOMPARE(EntrySize(archive, name), qint32(content.size()));
    QCOMPARE(Opens() - before, quint64(1));
  }

  // With standard input closed, a kept archive's file must not take its
  // number: StormLib closes descriptor 0 when it fails to open a file (a
  // failed create does), and the kept archive would then read nothing.
  void keptArchiveSurvivesAClosedStandardInput() {
#ifdef Q_OS_WIN
    QSKIP("StormLib on Windows reads through handles and closes no C runtime descriptor");
#endif
    const QString archive = path("stdin.mpq");
    QVERIFY(testarchive::Build(archive, {{"data\\x.txt", QByteArray(5000, 'k')}}));
    QVERIFY(testarchive::MakeOld(archive));
    const int saved = ::dup(0);
    ::close(0);
    QCOMPARE(Read(archive, "data\\x.txt"), QByteArray(5000, 'k'));  // kept between transactions
    ::close(0);  // what the library does on a failed open
    const QByteArray again = Read(archive, "data\\x.txt");
    ::dup2(saved, 0);
    ::close(saved);
    QCOMPARE(again, QByteArray(5000, 'k'));
  }

  void archivesNotSafelyOldAreNotKept_data() {
    // Seconds from now of the file's modification time; whether it is kept.
    QTest::addColumn<double>("age");
    QTest::addColumn<bool>("kept");
    QTest::newRow("time in the future") << -600.0 << false;
    QTest::newRow("whole second, 1 s ago") << 1.0 << false;
    QTest::newRow("fraction of a second, 1 s ago") << 1.0 << true;
    QTest::newRow("hour old") << 3600.0 << true;
  }
  void archivesNotSafelyOldAreNotKept() {
    QFETCH(double, age);
    QFETCH(bool, kept);
    const QString archive = path("fresh.mpq");
    QVERIFY(testarchive::Build(archive, {{"a", "1"}}));
    QDateTime when = QDateTime::currentDateTime().addMSecs(qint64(-age * 1000));
    const bool whole = QString(QTest::currentDataTag()).startsWith("whole");
    when = when.addMSecs(-when.time().msec() + (whole ? 0 : 123));
    QVERIFY(testarchive::SetModified(archive, when));
    const quint64 before = Opens();
    QCOMPARE(EntrySize(archive, "a"), 1);
    QCOMPARE(EntrySize(archive, "a"), 1);
    QCOMPARE(Opens() - before, quint64(kept ? 1 : 2));
  }

  void replacedByRenameIsReread() {
    const QString archive = path("renamed.mpq");
    QVERIFY(testarchive::Build(archive, {{"data\\x.txt", "before"}}));
    QVERIFY(testarchive::MakeOld(archive));
    QCOMPARE(Read(archive, "data\\x.txt"), QByteArray("before"));
    QVERIFY(testarchive::Build(path("next.mpq"), {{"data\\x.txt", "after\r\nmore"}}));
    QVERIFY(testarchive::MakeOld(path("next.mpq")));  // even an old time does not hide the new inode
    QVERIFY(Replace(path("next.mpq"), archive));
    QCOMPARE(Read(archive, "data\\x.txt"), QByteArray("after|more"));
  }

  // A kept archive is let go of a moment after its last read: it keeps no
  // other program from deleting the file for longer.
  void keptArchiveCanBeDeleted() {
    const QString archive = path("deleted.mpq");
    QVERIFY(testarchive::Build(archive, {{"data\\x.txt", "here"}}));
    QVERIFY(testarchive::MakeOld(archive));
    QCOMPARE(Read(archive, "data\\x.txt"), QByteArray("here"));
    QVERIFY(WithinAMoment([&] { return QFile::remove(archive); }));
    QCOMPARE(Read(archive, "data\\x.txt"), QByteArray("<unreadable>"));
  }

  void rewrittenInPlaceIsReread() {
    const QString archive = path("inplace.mpq");
    buildPair(archive, path("inplace2.mpq"));
    QCOMPARE(Read(archive, "data\\x.txt"), QByteArray("first"));
    overwriteInPlace(archive, path("inplace2.mpq"));  // moments after it was written and read
    QCOMPARE(Read(archive, "data\\y.txt"), QByteArray("other"));
  }

  void rewrittenInPlaceWithOldTimeRestoredIsReread() {
    // Same size, same inode, the old modification time put back: only the
    // change time tells.
    const QString archive = path("sneaky.mpq"), other = path("sneaky2.mpq");
    buildPair(archive, other);
    QVERIFY(testarchive::MakeOld(archive));
    const QDateTime old = QFileInfo(archive).lastModified();
    QCOMPARE(Read(archive, "data\\x.txt"), QByteArray("first"));
    const quint64 before = Opens();
    QCOMPARE(Read(archive, "data\\y.txt"), QByteArray("<unreadable>"));
    QCOMPARE(Opens(), before);  // kept
    overwriteInPlace(archive, other);
    QVERIFY(testarchive::SetModified(archive, old));
    QCOMPARE(QFileInfo(archive).lastModified(), old);
    QCOMPARE(Read(archive, "data\\y.txt"), QByteArray("other"));
  }

  void touchedIsReopened() {
    const QString archive = path("touched.mpq");
    QVERIFY(testarchive::Build(archive, {{"a", "1"}}));
    QVERIFY(testarchive::MakeOld(archive));
    QCOMPARE(EntrySize(archive, "a"), 1);
    const quint64 before = Opens();
    QVERIFY(testarchive::SetModified(archive, QDateTime::currentDateTime().addSecs(-1800)));
    QCOMPARE(EntrySize(archive, "a"), 1);
    QCOMPARE(Opens() - before, quint64(1));
  }

  void droppingAndReleasingReopen() {
    const QString archive = path("dropped.mpq");
    QVERIFY(testarchive::Build(archive, {{"a", "12"}}));
    QVERIFY(testarchive::MakeOld(archive));
    QCOMPARE(EntrySize(archive, "a"), 2);
    quint64 before = Opens();
    storm::cache::Drop();
    QCOMPARE(EntrySize(archive, "a"), 2);
    QCOMPARE(Opens() - before, quint64(1));
    before = Opens();
    ReleaseArchiveState();
    QCOMPARE(EntrySize(archive, "a"), 2);
    QCOMPARE(Opens() - before, quint64(1));
  }

  void twoArchivesInTurnEachReadTheirOwn() {
    const QString a = path("one.mpq"), b = path("two.mpq");
    QVERIFY(testarchive::Build(a, {{"n", "from one"}}));
    QVERIFY(testarchive::Build(b, {{"n", "from two!"}}));
    QVERIFY(testarchive::MakeOld(a) && testarchive::MakeOld(b));
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(Read(a, "n"), QByteArray("from one"));
      QCOMPARE(Read(b, "n"), QByteArray("from two!"));
    }
  }

  void unknownAndClosedHandlesAreRefused() {
    const QString file = path("handles.mpq");
    QVERIFY(testarchive::Build(file, {{"a", "xyz"}}));
    const QByteArray name = QFile::encodeName(file);
    int bogus = 0;
    storm::Handle archive = nullptr, entry = nullptr;
    QVERIFY(!storm::OpenEntry(&bogus, "a", 0, &entry));
    QCOMPARE(entry, nullptr);
    QCOMPARE(storm::EntrySize(&bogus, nullptr), 0xFFFFFFFFu);
    QVERIFY(!storm::CloseEntry(&bogus));
    QVERIFY(!storm::CloseArchive(&bogus));

    QVERIFY(storm::OpenArchive(name.constData(), 0, 0, &archive));
    QVERIFY(storm::OpenEntry(archive, "a", 0, &entry));
    QVERIFY(!storm::CloseArchive(entry));  // an entry is not an archive
    char buffer[8] = {};
    quint32 got = 99;
    QVERIFY(storm::ReadEntry(entry, buffer, sizeof buffer, &got, nullptr));  // asks past the end
    QCOMPARE(got, 3u);
    QCOMPARE(QByteArray(buffer, 3), QByteArray("xyz"));
    QVERIFY(storm::CloseEntry(entry));
    got = 99;
    QVERIFY(!storm::ReadEntry(entry, buffer, 3, &got, nullptr));
    QCOMPARE(got, 0u);  // a failed read delivers nothing
    QVERIFY(!storm::CloseEntry(entry));
    QVERIFY(storm::OpenEntry(archive, "a", 0, &entry));
    QVERIFY(storm::CloseArchive(archive));  // takes its open entry with it
    QCOMPARE(storm::EntrySize(entry, nullptr), 0xFFFFFFFFu);
    QVERIFY(!storm::CloseArchive(archive));
    QVERIFY(!storm::OpenArchive(nullptr, 0, 0, &archive));
  }
};

QTEST_GUILESS_MAIN(TestStormCache)
#include "test_storm_cache.moc"

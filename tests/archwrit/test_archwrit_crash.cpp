// An update that dies (SIGKILL at any moment) or runs out of space leaves the
// archive holding exactly its old contents or exactly its new ones.
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "ArchiveProbe.h"
#include "Fixtures.h"

using probe::Change;
using Contents = QMap<QByteArray, QByteArray>;

namespace {

// Child exit codes.
constexpr int kCommitted = 0, kCloseFailed = 1, kOpenFailed = 2;

// Runs one update in a child process, optionally with a limit on the size of any file it writes.
pid_t startUpdate(const QString& archive, const QList<Change>& changes,
                  rlim_t fileSizeLimit = RLIM_INFINITY) {
  const pid_t child = ::fork();
  if (child != 0) return child;
  if (fileSizeLimit != RLIM_INFINITY) {
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG instead
    const struct rlimit limit = {fileSizeLimit, fileSizeLimit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  const int result = probe::update(archive, 5, changes, 0x10201);
  ::_exit(result == 1 ? kCommitted : result == -1 ? kOpenFailed : kCloseFailed);
}

int waitFor(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

}  // namespace

class TestArchwritCrash : public QObject {
  Q_OBJECT

  QTemporaryDir scratch;
  QString pristine;  // the archive before the update, kept aside
  QString folder;    // where the archive under update lives, alone
  QString archive;
  QList<Change> changes;
  Contents before, after;

  void restore() {
    QFile::remove(archive);
    QVERIFY(QFile::copy(pristine, archive));
  }

  // The archive reads back as exactly the old or exactly the new contents.
  void checkOldOrNew(bool* isNew) {
    bool ok = false;
    const Contents now = probe::contents(archive, &ok);
    QVERIFY2(ok, "archive does not open or an entry does not read");
    QVERIFY2(now == before || now == after, "archive holds neither the old nor the new contents");
    *isNew = now == after && now != before;
  }

 private slots:
  void initTestCase() {
    QF_REQUIRE_FIXTURES();
    pristine = scratch.filePath("pristine.QLM");
    QCOMPARE(probe::update(pristine, 9, probe::fixtureChanges()), 1);
    before = probe::contents(pristine);
    folder = scratch.filePath("live");
    QDir().mkpath(folder);
    archive = folder + "/mod.QLM";

    // Rewrite the big sheets, add new entries, delete two.
    for (const char* sheet : {"cubemain", "misc", "monstats", "skills", "weapons"}) {
      const QByteArray name = QByteArray("data\\global\\excel\\") + sheet + ".txt";
      const QString src = scratch.filePath(QString::fromLatin1(sheet) + ".new");
      QVERIFY(fixtures::writeAll(src, before.value(name) + "changed\t1\r\n"));
      changes.append({name, src});
    }
    for (int i = 0; i < 3; ++i)
      changes.append({"data\\global\\new" + QByteArray::number(i) + ".txt", scratch.filePath("misc.new")});
    changes.append(Change{"data\\global\\excel\\Arena.txt", QString()});
    changes.append(Change{"data\\global\\excel\\objects.txt", QString()});
    after = probe::expectedContents(changes, before);
    QVERIFY(after != before);
  }

  void killedAtAnyMomentLeavesOldOrNew() {
    restore();
    QElapsedTimer clock;
    clock.start();
    const int status = waitFor(startUpdate(archive, changes));
    const qint64 duration = clock.nsecsElapsed() / 1000;  // microseconds
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == kCommitted);
    QCOMPARE(probe::contents(archive), after);

    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("update takes %lld us; kill delays seeded with %u", duration, seed);
    QRandomGenerator random(seed);
    int killed = 0, foundNew = 0;
    for (int i = 0; i < 40; ++i) {
      restore();
      const pid_t child = startUpdate(archive, changes);
      ::usleep(useconds_t(random.bounded(int(duration * 12 / 10) + 1)));
      ::kill(child, SIGKILL);
      const int st = waitFor(child);
      bool isNew = false;
      checkOldOrNew(&isNew);
      if (QTest::currentTestFailed()) return;
      if (WIFSIGNALED(st)) ++killed;
      if (WIFEXITED(st))
        QVERIFY2(WEXITSTATUS(st) == kCommitted && isNew, "a finished update must have committed");
      foundNew += isNew;
    }
    qInfo("%d of 40 updates killed, %d found committed", killed, foundNew);
    QVERIFY(killed > 0);

    // Killed updates may leave their shadow; the next update removes every one of them.
    QCOMPARE(probe::update(archive, 5, {{"data\\global\\last.txt", scratch.filePath("misc.new")}}), 1);
    QCOMPARE(probe::folderEntries(folder), QStringList{"mod.QLM"});
  }

  void fullDiskFailsWithoutHarm() {
    const qint64 size = QFileInfo(pristine).size();
    bool sawFailure = false, sawSuccess = false;
    for (double factor : {0.01, 0.5, 0.99, 1.01, 1.1, 1.3, 1.6, 2.0, 2.08, 3.0, 10.0}) {
      restore();
      const int status = waitFor(startUpdate(archive, changes, rlim_t(size * factor)));
      QVERIFY(WIFEXITED(status));
      const int code = WEXITSTATUS(status);
      qInfo("file size limit %.2fx the archive: %s", factor,
            code == kCommitted    ? "committed"
            : code == kOpenFailed ? "open refused"
                                  : "close failed");
      if (code == kCommitted) {
        QCOMPARE(probe::contents(archive), after);
        sawSuccess = true;
      } else {
        QVERIFY2(code == kOpenFailed || code == kCloseFailed, qPrintable(QString::number(code)));
        QCOMPARE(fixtures::readAll(archive), fixtures::readAll(pristine));
        sawFailure = true;
      }
      QCOMPARE(probe::folderEntries(folder), QStringList{"mod.QLM"});  // no shadow left behind
    }
    QVERIFY(sawFailure && sawSuccess);
  }

  // A small file system of its own (in a private mount namespace) that the
  // archive, its shadow and the compacted copy do not all fit on.
  void fullFileSystemFailsWithoutHarm() {
    const QString mountPoint = scratch.filePath("small");
    QDir().mkpath(mountPoint);
    const qint64 size = QFileInfo(pristine).size();
    bool sawFailure = false, sawSuccess = false;
    for (double factor : {1.5, 2.0, 2.5, 2.8, 3.0, 3.2, 3.5, 4.0, 5.0, 8.0}) {
      const pid_t child = ::fork();
      if (child == 0) {
        const QByteArray options = "size=" + QByteArray::number(qint64(size * factor));
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, options.constData()) != 0)
          ::_exit(99);
        const QString there = mountPoint + "/mod.QLM";
        if (!QFile::copy(pristine, there)) ::_exit(98);
        const int result = probe::update(there, 5, changes, 0x10201);
        const bool clean = probe::folderEntries(mountPoint) == QStringList{"mod.QLM"};
        if (result == 1) ::_exit(clean && probe::contents(there) == after ? 0 : 10);
        ::_exit(clean && fixtures::readAll(there) == fixtures::readAll(pristine) ? 1 : 11);
      }
      const int status = waitFor(child);
      QVERIFY(WIFEXITED(status));
      const int code = WEXITSTATUS(status);
      if (code == 99) QSKIP("cannot mount a file system of our own here");
      qInfo("file system %.1fx the archive: %s", factor,
            code == 0    ? "committed"
            : code == 1  ? "failed, archive intact"
            : code == 98 ? "archive does not fit"
                         : "WRONG");
      QVERIFY2(code == 0 || code == 1 || code == 98, qPrintable(QString::number(code)));
      sawSuccess |= code == 0;
      sawFailure |= code == 1;
    }
    QVERIFY(sawFailure && sawSuccess);
  }
};

QTEST_GUILESS_MAIN(TestArchwritCrash)
#include "test_archwrit_crash.moc"

// An update that dies (SIGKILL at any moment) or runs out of space leaves the
// archive holding exactly its old contents or exactly its new ones, and a
// reader that looks while the update is stopped anywhere (SIGSTOP) finds one
// of the two whole. Both for a change small enough to be appended and for one
// that leaves enough waste for the archive to be packed into a new file.
#include <fcntl.h>
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
#include "platform/MpqGuard.h"

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
  QList<Change> changes, smallChanges;
  Contents before, after, afterSmall;
  // The change set the running test uses.
  const QList<Change>* running = nullptr;
  const Contents* runningAfter = nullptr;

  // A second hard link to the archive, outside its folder: packing then
  // happens inside the archive's own file.
  QString link;
  bool linked = false;

  void restore() {
    QFile::remove(archive);
    QVERIFY(QFile::copy(pristine, archive));
    QFile::remove(link);
    if (linked)
      QVERIFY(::link(QFile::encodeName(archive).constData(), QFile::encodeName(link).constData()) == 0);
  }

  // The archive passes the program's checks and reads back as exactly the
  // old or exactly the new contents.
  void checkOldOrNew(bool* isNew) {
    const int fd = ::open(QFile::encodeName(archive).constData(), O_RDONLY | O_CLOEXEC);
    const bool passes = fd >= 0 && storm::CheckArchiveFile(fd).has_value();
    if (fd >= 0) ::close(fd);
    QVERIFY2(passes, "archive fails the reader's checks");
    bool ok = false;
    const Contents now = probe::contents(archive, &ok);
    QVERIFY2(ok, "archive does not open or an entry does not read");
    QVERIFY2(now == before || now == *runningAfter, "archive holds neither the old nor the new contents");
    *isNew = now == *runningAfter && now != before;
  }

  void chooseChanges() {
    QFETCH(bool, packing);
    QFETCH(bool, inPlace);
    running = packing ? &changes : &smallChanges;
    runningAfter = packing ? &after : &afterSmall;
    linked = inPlace;
  }

  // Microseconds one update of the running change set takes, and that it commits.
  qint64 timeOneUpdate() {
    restore();
    QElapsedTimer clock;
    clock.start();
    const int status = waitFor(startUpdate(archive, *running));
    const qint64 duration = clock.nsecsElapsed() / 1000;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != kCommitted || probe::contents(archive) != *runningAfter)
      return -1;
    // The packing change sets do pack (in place: the other link sees it too).
    if (running == &changes && QFileInfo(archive).size() != probe::usedBytes(archive)) return -1;
    if (linked && probe::contents(link) != *runningAfter) return -1;
    return duration;
  }

  static void changeSets() {
    QTest::addColumn<bool>("packing");
    QTest::addColumn<bool>("inPlace");
    QTest::newRow("appended") << false << false;
    QTest::newRow("packed") << true << false;
    QTest::newRow("packed in place") << true << true;
  }

 private slots:
  void init() { linked = false; }

  void initTestCase() {
    QF_REQUIRE_FIXTURES();
    pristine = scratch.filePath("pristine.QLM");
    QCOMPARE(probe::update(pristine, 9, probe::fixtureChanges()), 1);
    before = probe::contents(pristine);
    folder = scratch.filePath("live");
    QDir().mkpath(folder);
    archive = folder + "/mod.QLM";
    link = scratch.filePath("link.QLM");

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

    // Small next to the archive: new entries, one small sheet rewritten, one removed.
    for (int i = 0; i < 6; ++i)
      smallChanges.append(
          {"data\\global\\small" + QByteArray::number(i) + ".txt", scratch.filePath("skills.new")});
    const QString arena = scratch.filePath("arena.new");
    QVERIFY(fixtures::writeAll(arena, "changed arena\r\n"));
    smallChanges.append({"data\\global\\excel\\Arena.txt", arena});
    smallChanges.append(Change{"data\\global\\excel\\lowqualityitems.txt", QString()});
    afterSmall = probe::expectedContents(smallChanges, before);
  }

  void killedAtAnyMomentLeavesOldOrNew_data() { changeSets(); }
  void killedAtAnyMomentLeavesOldOrNew() {
    chooseChanges();
    const qint64 duration = timeOneUpdate();
    QVERIFY(duration > 0);

    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("update takes %lld us; kill delays seeded with %u", duration, seed);
    QRandomGenerator random(seed);
    int killed = 0, foundNew = 0;
    for (int i = 0; i < 40; ++i) {
      restore();
      const pid_t child = startUpdate(archive, *running);
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

  void stoppedAtAnyMomentReadsOldOrNew_data() { changeSets(); }
  void stoppedAtAnyMomentReadsOldOrNew() {
    chooseChanges();
    const qint64 duration = timeOneUpdate();
    QVERIFY(duration > 0);
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("update takes %lld us; stop delays seeded with %u", duration, seed);
    QRandomGenerator random(seed);
    int stops = 0, foundNew = 0;
    for (int round = 0; round < 20; ++round) {
      restore();
      const pid_t child = startUpdate(archive, *running);
      // Stopped twice in one update, at random moments, and looked at each time.
      for (int look = 0; look < 2; ++look) {
        ::usleep(useconds_t(random.bounded(int(duration * 7 / 10) + 1)));
        if (::kill(child, SIGSTOP) != 0) break;
        int st = 0;
        if (::waitpid(child, &st, WUNTRACED) != child || !WIFSTOPPED(st)) break;  // it finished first
        ++stops;
        bool isNew = false;
        checkOldOrNew(&isNew);
        foundNew += isNew;
        ::kill(child, SIGCONT);
        if (QTest::currentTestFailed()) break;
      }
      ::kill(child, SIGCONT);
      const int st = waitFor(child);
      if (QTest::currentTestFailed()) return;
      QVERIFY(WIFEXITED(st) && WEXITSTATUS(st) == kCommitted);
      QCOMPARE(probe::contents(archive), *runningAfter);
    }
    qInfo("looked %d times at a stopped update, %d found it committed", stops, foundNew);
    QVERIFY(stops > 0);
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

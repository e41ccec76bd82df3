// Update through the main window while the write path fails: the disk fills
// up, the archive is read-only, its folder takes no new file, a source file
// is gone by the time Update runs, or the process is killed part-way. Each
// update runs in a child process (this test executable again, running only
// childUpdate) that opens the mod, adds the sources and clicks Update, and
// reports what the user was shown. Afterwards the archive must hold exactly
// its old entries or exactly its new ones, and every failure must have been
// shown.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "FileCallHooks.h"
#include "Fixtures.h"
#include "Workspace.h"
#include "archive/ArchiveReader.h"

using Contents = QMap<QByteArray, QByteArray>;

namespace {

constexpr uid_t kNobody = 65534;
const QByteArray kChildArchive = "QF_CHILD_ARCHIVE";
const QByteArray kChildSources = "QF_CHILD_SOURCES";  // "source|name" pairs joined by '\n'
const QByteArray kChildDeleteSources = "QF_CHILD_DELETE_SOURCES";
// The number of the file data sync during Update that fails (FileCallHooks).
const QByteArray kChildFailSync = "QF_CHILD_FAIL_SYNC";

struct ChildRun {
  bool finished = false;  // exited normally (not killed)
  QStringList messages;   // every message box and error box, in order
  QString updateState;    // "on" while changes are still pending
  int pumps = 0;
};

ChildRun Parse(const QByteArray& output, bool finished) {
  ChildRun run;
  run.finished = finished;
  for (const QByteArray& line : output.split('\n')) {
    if (line.startsWith("CHILD MESSAGE ")) run.messages << QString::fromLocal8Bit(line.mid(14));
    if (line.startsWith("CHILD UPDATE ")) run.updateState = QString::fromLatin1(line.mid(13));
    if (line == "CHILD PUMP") ++run.pumps;
  }
  return run;
}

// Every entry the listing names, read through the program's own reader; ok is
// false when the archive or any listed entry cannot be read.
Contents ReadBack(const QString& archive, bool* ok) {
  Contents contents;
  LineList names;
  *ok = ReadEntryLines(archive, "(listfile)", names);
  for (const QByteArray& name : names) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    *ok = ReadEntryToStream(archive, name, buffer) && *ok;
    contents.insert(name, buffer.data());
  }
  return contents;
}

}  // namespace

class TestUpdateFaults : public QObject {
  Q_OBJECT

  QTemporaryDir scratch_;
  QString folder_;   // holds the archive alone
  QString archive_;  // the mod under update
  QString sources_;  // the files the child adds
  QString childTemp_;
  QByteArray pristine_;
  Contents before_;
  Contents after_;  // what a committed update leaves
  QStringList pairs_;
  int failSync_ = 0;  // for the next child

  // Starts the child. modifier runs in it before the program starts.
  ChildRun RunChild(const std::function<void()>& modifier = {}, bool deleteSources = false,
                    int killAfterPumps = -1, int killAfterMs = -1) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), childTemp_);
    env.insert(QString::fromLatin1(kChildArchive), archive_);
    env.insert(QString::fromLatin1(kChildSources), pairs_.join('\n'));
    if (deleteSources) env.insert(QString::fromLatin1(kChildDeleteSources), QStringLiteral("1"));
    if (failSync_ > 0) env.insert(QString::fromLatin1(kChildFailSync), QString::number(failSync_));
    // Leaks are not what these runs look for, and a killed child reports none.
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    child.setProcessEnvironment(env);
    if (modifier) child.setChildProcessModifier(modifier);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("childUpdate")});
    if (!child.waitForStarted(10000)) return {};
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    bool killed = false;
    while (child.state() != QProcess::NotRunning) {
      child.waitForReadyRead(killAfterMs >= 0 ? 2 : 50);
      output += child.readAllStandardOutput();
      const bool pumpsDone = killAfterPumps >= 0 && output.count("CHILD PUMP") >= killAfterPumps;
      const bool timeUp = killAfterMs >= 0 && clock.elapsed() >= killAfterMs;
      if (!killed && (pumpsDone || timeUp)) {
        ::kill(pid_t(child.processId()), SIGKILL);
        killed = true;
      }
      if (clock.elapsed() > 50000) child.kill();
    }
    output += child.readAllStandardOutput();
    return Parse(output, !killed && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0);
  }

  void Restore() {
    QFile::remove(archive_);
    QVERIFY(fixtures::writeAll(archive_, pristine_));
    QVERIFY(QFile::setPermissions(
        archive_, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(QFile::setPermissions(folder_, QFile::permissions(folder_) | QFile::WriteOwner));
    QVERIFY(::chown(QFile::encodeName(archive_).constData(), 0, 0) == 0);
    QVERIFY(::chown(QFile::encodeName(folder_).constData(), 0, 0) == 0);
    // A killed update leaves its unfinished copy for the next one to sweep.
    for (const QString& f : QDir(folder_).entryList(QDir::Files | QDir::Hidden))
      if (f != QStringLiteral("mod.QLM")) QFile::remove(folder_ + '/' + f);
  }

  // The archive reads back completely, holding its old contents or, when
  // committed may be true, its new ones.
  void VerifyIntact(bool mayBeCommitted, bool* committed = nullptr, bool killed = false) {
    if (!killed) {
      const QStringList left = QDir(folder_).entryList(QDir::Files | QDir::Hidden);
      QCOMPARE(left, QStringList{QStringLiteral("mod.QLM")});
    }
    bool ok = false;
    const Contents now = ReadBack(archive_, &ok);
    QVERIFY2(ok, "the archive cannot be read back");
    const Contents nowGame = WithoutRecord(now);
    const bool isOld = nowGame == WithoutRecord(before_);
    const bool isNew = nowGame == WithoutRecord(after_);
    QVERIFY2(isOld || (mayBeCommitted && isNew), "the archive holds neither its old nor its new entries");
    if (!mayBeCommitted) QCOMPARE(fixtures::readAll(archive_), pristine_);
    if (committed) *committed = !isOld;
  }

  static Contents WithoutRecord(Contents c) {
    c.remove("(modinfo)");
    return c;
  }

 private slots:
  void initTestCase() {
    if (qEnvironmentVariableIsSet(kChildArchive)) return;
    QF_REQUIRE_FIXTURES();
    if (!cmd::HaveSmpq()) QSKIP("smpq is not installed");
    if (::geteuid() != 0) QSKIP("needs root, to run the children as nobody");
    // Everyone may enter the scratch folder: some children run as nobody.
    QVERIFY(QFile::setPermissions(scratch_.path(),
                                  QFile::permissions(scratch_.path()) | QFile::ExeOther | QFile::ReadOther));
    folder_ = scratch_.filePath(QStringLiteral("mods"));
    sources_ = scratch_.filePath(QStringLiteral("sources"));
    QVERIFY(QDir().mkpath(folder_) && QDir().mkpath(sources_));
    // The children's temporary folder: a killed child leaves its scratch
    // folder and record file there, and they go with the parent's.
    childTemp_ = scratch_.filePath(QStringLiteral("child-tmp"));
    QVERIFY(QDir().mkpath(childTemp_));
    QVERIFY(::chmod(QFile::encodeName(childTemp_).constData(), 01777) == 0);
    archive_ = folder_ + QStringLiteral("/mod.QLM");

    // The mod holds the sheets; the update replaces two and adds the rest of
    // the fixtures, several megabytes, so that killing it lands everywhere.
    const auto sheets = cmd::FixtureTree(QStringLiteral("data/global/excel"));
    QVERIFY(cmd::SmpqCreate(archive_, sheets));
    pristine_ = fixtures::readAll(archive_);
    bool ok = false;
    before_ = ReadBack(archive_, &ok);
    QVERIFY(ok);
    after_ = before_;
    const QDir root(fixtures::modDir());
    for (const QString& file : fixtures::allFiles()) {
      const QByteArray name = fixtures::internalName(file);
      if (before_.contains(name) && !name.endsWith("Arena.txt") && !name.endsWith("misc.txt")) continue;
      const QString source = sources_ + '/' + QString::number(pairs_.size());
      QByteArray bytes = fixtures::readAll(file);
      if (before_.contains(name)) bytes += "\r\nchanged\r\n";
      QVERIFY(fixtures::writeAll(source, bytes));
      pairs_ << source + '|' + QString::fromLatin1(name);
      after_.insert(name, bytes);
    }
    QVERIFY(pairs_.size() >= 8);
    QVERIFY(
        QFile::setPermissions(sources_, QFile::permissions(sources_) | QFile::ExeOther | QFile::ReadOther));
    for (const QString& f : QDir(sources_).entryList(QDir::Files))
      QVERIFY(QFile::setPermissions(sources_ + '/' + f, QFile::ReadOwner | QFile::ReadOther));
  }

  void init() {
    if (!archive_.isEmpty()) Restore();
  }

  // Run by the children only: open the mod, add every source, Update.
  void childUpdate() {
    const QString archive = qEnvironmentVariable(kChildArchive);
    if (archive.isEmpty()) QSKIP("runs in the children of the other tests");
    cmd::Workspace ws;
    ws.ui.SetFailOnUnanswered(false);
    ws.Open(archive);
    QStringList files;
    QList<std::optional<QByteArray>> names;
    for (const QString& pair : qEnvironmentVariable(kChildSources).split('\n')) {
      files << pair.section('|', 0, 0);
      names << pair.section('|', 1).toLatin1();
    }
    // Names the mod already holds are replaced.
    for (const auto& name : names)
      if (ws.RowOf(*name) >= 0) ws.ui.AnswerMessage(ui::idYes);
    ws.Add(files, names);
    if (qEnvironmentVariableIsSet(kChildDeleteSources))
      for (const QString& file : files) QFile::remove(file);
    const qsizetype before = ws.ui.messages.size();
    ws.ui.OnPump([] {
      fputs("CHILD PUMP\n", stdout);
      fflush(stdout);
    });
    hooks::failSync(qEnvironmentVariableIntValue(kChildFailSync));
    ws.Update();
    ws.ui.OnPump({});
    for (qsizetype i = before; i < ws.ui.messages.size(); ++i)
      printf("CHILD MESSAGE %s\n", ws.ui.messages[i].text.toLocal8Bit().constData());
    printf("CHILD UPDATE %s\n", qPrintable(ws.UpdateState()));
    fflush(stdout);
  }

  void plainUpdateCommitsEverything() {
    const ChildRun run = RunChild();
    QVERIFY(run.finished);
    QCOMPARE(run.messages, QStringList());
    QCOMPARE(run.updateState, QStringLiteral("off"));
    bool committed = false;
    VerifyIntact(true, &committed);
    QVERIFY(committed);
  }

  void diskFull_data() {
    QTest::addColumn<qint64>("room");
    // No room for the archive to grow at all (it is larger than the limit
    // already), then room for only part of what is added to it.
    QTest::newRow("archive cannot grow") << qint64(pristine_.size() / 2);
    QTest::newRow("additions do not fit") << qint64(pristine_.size() + 64 * 1024);
  }
  void diskFull() {
    QFETCH(qint64, room);
    const rlim_t limit = rlim_t(room);
    const ChildRun run = RunChild([limit] {
      ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails as on a full disk
      const struct rlimit r = {limit, limit};
      ::setrlimit(RLIMIT_FSIZE, &r);
    });
    QVERIFY(run.finished);
    QCOMPARE(run.messages.size(), 1);
    // Whether the copy or the additions ran out of room, the box names the mod.
    QVERIFY2(run.messages[0].contains(archive_), qPrintable(run.messages[0]));
    QCOMPARE(run.updateState, QStringLiteral("on"));
    VerifyIntact(false);
  }

  void archiveReadOnly_data() {
    QTest::addColumn<bool>("asNobody");
    QTest::newRow("as root") << false;
    QTest::newRow("as nobody") << true;
  }
  void archiveReadOnly() {
    QFETCH(bool, asNobody);
    QVERIFY(QFile::setPermissions(archive_, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    if (asNobody) QVERIFY(::chown(QFile::encodeName(folder_).constData(), kNobody, kNobody) == 0);
    const ChildRun run = RunChild(asNobody ? std::function<void()>([] {
      ::setgid(kNobody);
      ::setuid(kNobody);
    })
                                           : std::function<void()>());
    QVERIFY(run.finished);
    QCOMPARE(run.messages, QStringList{QStringLiteral("Cannot open file %1 for update.").arg(archive_)});
    QCOMPARE(run.updateState, QStringLiteral("on"));
    VerifyIntact(false);
  }

  void folderNotWritable() {
    // nobody may write the archive itself, but not create a file beside it:
    // the changes are appended, and packing waits for a later update.
    QVERIFY(::chown(QFile::encodeName(archive_).constData(), kNobody, kNobody) == 0);
    QVERIFY(QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::ReadOther | QFile::ExeOther));
    const ChildRun run = RunChild([] {
      ::setgid(kNobody);
      ::setuid(kNobody);
    });
    QVERIFY(run.finished);
    QCOMPARE(run.messages, QStringList());
    QCOMPARE(run.updateState, QStringLiteral("off"));
    bool committed = false;
    VerifyIntact(true, &committed);
    QVERIFY(committed);
    // Appended: every byte of the old archive after its header is still there.
    QCOMPARE(fixtures::readAll(archive_).mid(32, pristine_.size() - 32), pristine_.mid(32));
  }

  void finalSyncFails() {
    // The sync after the header fails: the archive is the new one, and the
    // window says nothing of a failure nor keeps the written changes pending.
    failSync_ = 2;
    const ChildRun run = RunChild();
    failSync_ = 0;
    QVERIFY(run.finished);
    QCOMPARE(run.messages, QStringList());
    QCOMPARE(run.updateState, QStringLiteral("off"));
    bool committed = false;
    VerifyIntact(true, &committed);
    QVERIFY(committed);
    // Appended (the case where that sync comes after the header), not packed into a new file.
    QCOMPARE(fixtures::readAll(archive_).mid(32, pristine_.size() - 32), pristine_.mid(32));
  }

  void sourcesDeletedBeforeUpdate() {
    // The copies the child deletes are its own: the originals stay for the other cases.
    const QString copies = scratch_.filePath(QStringLiteral("doomed"));
    QVERIFY(QDir().mkpath(copies));
    const QStringList kept = pairs_;
    for (QString& pair : pairs_) {
      const QString copy = copies + '/' + QFileInfo(pair.section('|', 0, 0)).fileName();
      QVERIFY(QFile::copy(pair.section('|', 0, 0), copy));
      pair = copy + '|' + pair.section('|', 1);
    }
    const ChildRun run = RunChild({}, true);
    pairs_ = kept;
    QVERIFY(run.finished);
    QCOMPARE(run.messages.size(), 1);
    QVERIFY2(run.messages[0].startsWith("Cannot add") && run.messages[0].contains(copies),
             qPrintable(run.messages[0]));
    QCOMPARE(run.updateState, QStringLiteral("on"));
    // Nothing could be added, so the entries are the old ones; only the
    // record was written.
    bool committed = true;
    VerifyIntact(true, &committed);
    QVERIFY(!committed);
  }

  void killedDuringUpdate() {
    // Kills after a number of pumps (between additions) and after random
    // delays (anywhere, the final rename included).
    int committedRuns = 0, oldRuns = 0;
    QRandomGenerator random(20240607);
    for (int round = 0; round < 12; ++round) {
      Restore();
      const bool byPump = round % 2 == 0;
      const int pumps = 1 + int(random.bounded(qint64(pairs_.size())));
      const int delay = int(random.bounded(150, 1500));
      RunChild({}, false, byPump ? pumps : -1, byPump ? -1 : delay);
      bool committed = false;
      VerifyIntact(true, &committed, true);
      if (QTest::currentTestFailed()) {
        qWarning(
            "round %d: %s", round,
            byPump ? qPrintable(QString("pump %1").arg(pumps)) : qPrintable(QString("%1 ms").arg(delay)));
        return;
      }
      (committed ? committedRuns : oldRuns)++;
    }
    qInfo("killed updates: %d left the old archive, %d the new one, 0 corrupt", oldRuns, committedRuns);
  }
};

QTEST_MAIN(TestUpdateFaults)
#include "test_update_faults.moc"

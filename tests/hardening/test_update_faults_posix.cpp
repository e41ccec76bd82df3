// Update through the main window while the write path fails where POSIX
// decides: the disk fills up (a file-size limit), the archive is read-only,
// its folder takes no new file (as the user nobody), or a data sync fails.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileCallHooks.h"
#include "UpdateFaultsFixture.h"

using namespace faults;

namespace {

constexpr uid_t kNobody = 65534;

// Runs the child as nobody.
void AsNobody(QProcess& child) {
  child.setChildProcessModifier([] {
    ::setgid(kNobody);
    ::setuid(kNobody);
  });
}

}  // namespace

class TestUpdateFaultsPosix : public Fixture {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (qEnvironmentVariableIsSet(kChildArchive)) return;
    QF_REQUIRE_FIXTURES();
    if (::geteuid() != 0) QSKIP("needs root, to run the children as nobody");
    SetUp();
    // Everyone may enter the scratch folder and read the sources: some
    // children run as nobody.
    QVERIFY(QFile::setPermissions(scratch_.path(),
                                  QFile::permissions(scratch_.path()) | QFile::ExeOther | QFile::ReadOther));
    QVERIFY(::chmod(QFile::encodeName(childTemp_).constData(), 01777) == 0);
    QVERIFY(
        QFile::setPermissions(sources_, QFile::permissions(sources_) | QFile::ExeOther | QFile::ReadOther));
    for (const QString& f : QDir(sources_).entryList(QDir::Files))
      QVERIFY(QFile::setPermissions(sources_ + '/' + f, QFile::ReadOwner | QFile::ReadOther));
  }

  void init() {
    if (archive_.isEmpty()) return;
    Restore();
    QVERIFY(::chown(QFile::encodeName(archive_).constData(), 0, 0) == 0);
    QVERIFY(::chown(QFile::encodeName(folder_).constData(), 0, 0) == 0);
  }

  void childUpdate() {
    ChildUpdate([] { hooks::failSync(qEnvironmentVariableIntValue(kChildFailSync)); });
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
    const ChildRun run = RunChild([limit](QProcess& child) {
      child.setChildProcessModifier([limit] {
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails as on a full disk
        const struct rlimit r = {limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &r);
      });
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
    const ChildRun run = RunChild(asNobody ? AsNobody : std::function<void(QProcess&)>());
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
    const ChildRun run = RunChild(AsNobody);
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
};

QTEST_MAIN(TestUpdateFaultsPosix)
#include "test_update_faults_posix.moc"

// What ARCHWRIT keeps of the archive's file where POSIX file systems have it:
// its permission bits and a symbolic link to it, and an existing archive
// updated in a folder that takes no new file (as an ordinary user).
#include <StormLib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "ArchiveProbe.h"
#include "Fixtures.h"
#include "archwrit.h"

using probe::Change;

namespace {

ino_t inodeOf(const QString& file) {
  struct stat st;
  return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? st.st_ino : 0;
}

}  // namespace

class TestArchwritContractPosix : public QObject, probe::Scratch {
  Q_OBJECT

 private slots:
  void keepsModeAndSymbolicLinks() {
    const QString archive = path("mode.QLM");
    QCOMPARE(probe::update(archive, 9, {{"a", source("a", "a")}}), 1);
    QVERIFY(::chmod(QFile::encodeName(archive).constData(), 0604) == 0);
    const QString link = path("link.QLM");
    QVERIFY(QFile::link(archive, link));
    // The tiny archive's old tables outweigh its entries: each update packs it into a new file.
    for (const char* name : {"b", "c"}) {
      QCOMPARE(probe::update(link, 5, {{name, source(name, name)}}), 1);
      QVERIFY(QFileInfo(link).isSymLink());
      struct stat st;
      QVERIFY(::stat(QFile::encodeName(archive).constData(), &st) == 0);
      QCOMPARE(st.st_mode & 07777, 0604u);
    }
    QCOMPARE(probe::contents(archive).size(), 3);
    QCOMPARE(QFileInfo(archive).size(), probe::usedBytes(archive));
  }

  // A folder that takes no new file refuses only what must make one there,
  // a new mod. An existing archive is appended to, and packed inside its own
  // file when it needs packing.
  void unwritableFolderRefusesOnlyNewFiles() {
    const QString folder = path("locked");
    QDir().mkdir(folder);
    const QString archive = folder + "/a.QLM";
    QCOMPARE(probe::update(archive, 9, probe::fixtureChanges()), 1);
    const QString added = source("added", "added");
    QVERIFY(::chmod(QFile::encodeName(scratchFolder()).constData(), 0755) == 0);
    QVERIFY(::chmod(QFile::encodeName(added).constData(), 0644) == 0);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
    // Root writes anywhere; check as an ordinary user who owns the archive.
    const uid_t nobody = 65534;
    if (::geteuid() == 0) QVERIFY(::chown(QFile::encodeName(archive).constData(), nobody, nobody) == 0);
    const ino_t before = inodeOf(archive);
    const QList<Change> small = {{"data\\added.txt", added}};
    QList<Change> removals;
    for (const Change& c : probe::fixtureChanges())
      if (c.name.contains("excel\\") && !c.name.endsWith("Arena.txt")) removals.append({c.name, {}});
    const pid_t child = ::fork();
    if (child == 0) {
      if (::geteuid() == 0 && (::setgid(nobody) != 0 || ::setuid(nobody) != 0)) ::_exit(3);
      if (MpqOpenArchiveForUpdate(QFile::encodeName(folder + "/new.QLM").constData(), 9, 1000)) ::_exit(2);
      // A small change is appended; removing the sheets then leaves more than a quarter unused.
      if (probe::update(archive, 5, small) != 1) ::_exit(1);
      if (QFileInfo(archive).size() <= probe::usedBytes(archive)) ::_exit(4);
      ::_exit(probe::update(archive, 5, removals) == 1 ? 0 : 5);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(probe::contents(archive),
             probe::expectedContents(
                 removals, probe::expectedContents(small, probe::expectedContents(probe::fixtureChanges()))));
    QCOMPARE(inodeOf(archive), before);  // the same file, still nobody's
    QCOMPARE(QFileInfo(archive).size(), probe::usedBytes(archive));
    QCOMPARE(probe::folderEntries(folder), QStringList{"a.QLM"});
  }
};

QTEST_GUILESS_MAIN(TestArchwritContractPosix)
#include "test_archwrit_contract_posix.moc"

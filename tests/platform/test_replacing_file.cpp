// Files written whole or not at all: the syncs that make a written file
// outlast a power loss (counted by standing in for the system calls), the
// folders a failed write made taken away again, and links planted below a
// chosen folder never followed.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <QtTest>

#include "Fixtures.h"
#include "platform/FolderSyncs.h"
#include "platform/ReplacingFile.h"

namespace {

// What reached the disk, in order: "data" (a file's bytes), "rename",
// "folder" (a folder's names), "all" (every file of a file system).
QStringList events;

bool IsFolder(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

// The code under test is linked into this program, so these take its calls.
extern "C" int fdatasync(int fd) {
  events << (IsFolder(fd) ? "folder" : "data");
  return int(::syscall(SYS_fdatasync, fd));
}
extern "C" int fsync(int fd) {
  events << (IsFolder(fd) ? "folder" : "data");
  return int(::syscall(SYS_fsync, fd));
}
extern "C" int syncfs(int fd) {
  events << "all";
  return int(::syscall(SYS_syncfs, fd));
}
extern "C" int renameat(int from, const char* fromName, int to, const char* toName) {
  events << "rename";
  return int(::syscall(SYS_renameat, from, fromName, to, toName));
}

namespace {

bool Write(files::ReplacingFile& file, const QByteArray& bytes, bool makeFolders,
           files::FolderSyncs* syncs = nullptr) {
  return file.Open(makeFolders) && file.Device().write(bytes) == bytes.size() && file.Commit(syncs);
}

QStringList Tree(const QString& root) {
  QStringList found;
  for (QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
       it.hasNext();)
    found << QDir(root).relativeFilePath(it.next());
  found.sort();
  return found;
}

}  // namespace

class TestReplacingFile : public QObject {
  Q_OBJECT
 private slots:
  void init() { events.clear(); }

  // One file: its bytes reach the disk before its name, its folder's names
  // after the rename.
  void oneFileIsSyncedAroundItsRename() {
    QTemporaryDir dir;
    const QString target = dir.filePath("one.bin");
    QVERIFY(fixtures::writeAll(target, "old"));
    files::ReplacingFile file(target);
    QVERIFY(Write(file, "new bytes", false));
    QCOMPARE(events, (QStringList{"data", "rename", "folder"}));
    QCOMPARE(fixtures::readAll(target), QByteArray("new bytes"));
  }

  // Many files below a folder: no sync while they are written, then one of
  // the file system and one of each folder written (or made) at the end.
  void manyFilesAreSyncedOnceAtTheEnd() {
    QTemporaryDir dir;
    files::FolderSyncs syncs;
    for (const QStringList& levels :
         {QStringList{"a", "x"}, QStringList{"a", "y"}, QStringList{"a", "b", "z"}, QStringList{"top"}}) {
      files::ReplacingFile file(dir.path(), levels);
      QVERIFY(Write(file, levels.join('/').toUtf8(), true, &syncs));
    }
    QCOMPARE(events, QStringList(4, "rename"));
    events.clear();
    QVERIFY(syncs.SyncAll());
    // dir (top, and a made in it), a (x, y, and b made in it), a/b (z).
    QCOMPARE(events, (QStringList{"all", "folder", "folder", "folder"}));
    QCOMPARE(Tree(dir.path()), (QStringList{"a", "a/b", "a/b/z", "a/x", "a/y", "top"}));
    QCOMPARE(fixtures::readAll(dir.filePath("a/b/z")), QByteArray("a/b/z"));
  }

  // A write that fails leaves neither a file nor the folders made for it;
  // a folder that was there before stays.
  void failedWriteTakesItsFoldersAway() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("kept"));
    files::ReplacingFile::SetWriteLimitForTesting(2);
    {
      files::ReplacingFile file(dir.path(), {"kept", "new", "deeper", "f"});
      files::FolderSyncs syncs;
      QVERIFY(!Write(file, "too long", true, &syncs));
    }
    files::ReplacingFile::SetWriteLimitForTesting(-1);
    QCOMPARE(Tree(dir.path()), QStringList{"kept"});
  }

  // Links planted below the folder, to a folder and to a file outside it:
  // nothing is written through them, and they are told apart from files
  // that are really there.
  void linksBelowTheFolderAreNeverFollowed() {
    QTemporaryDir dir;
    const QString out = dir.filePath("out");
    const QString outside = dir.filePath("config");
    QVERIFY(QDir().mkpath(out + "/real") && QDir().mkpath(outside + "/autostart"));
    QVERIFY(fixtures::writeAll(outside + "/autostart/x.desktop", "theirs"));
    QVERIFY(fixtures::writeAll(outside + "/rc", "theirs"));
    QVERIFY(fixtures::writeAll(out + "/real/f", "mine"));
    QVERIFY(QFile::link(outside, out + "/data"));
    QVERIFY(QFile::link(outside + "/rc", out + "/real/rc"));

    using files::PlaceState;
    QCOMPARE(files::StateBelow(out, {"data", "autostart", "x.desktop"}), PlaceState::Link);
    QCOMPARE(files::StateBelow(out, {"data", "new"}), PlaceState::Link);
    QCOMPARE(files::StateBelow(out, {"real", "rc"}), PlaceState::Link);
    QCOMPARE(files::StateBelow(out, {"real", "f"}), PlaceState::Exists);
    QCOMPARE(files::StateBelow(out, {"real", "g"}), PlaceState::Missing);
    QCOMPARE(files::StateBelow(out, {"gone", "g"}), PlaceState::Missing);

    files::FolderSyncs syncs;
    for (const QStringList& levels : {QStringList{"data", "autostart", "x.desktop"},
                                      QStringList{"data", "new", "y"}, QStringList{"real", "rc"}}) {
      files::ReplacingFile file(out, levels);
      QVERIFY(!Write(file, "planted", true, &syncs));
    }
    QCOMPARE(Tree(outside), (QStringList{"autostart", "autostart/x.desktop", "rc"}));
    QCOMPARE(fixtures::readAll(outside + "/autostart/x.desktop"), QByteArray("theirs"));
    QCOMPARE(fixtures::readAll(outside + "/rc"), QByteArray("theirs"));
    QVERIFY(QFileInfo(out + "/real/rc").isSymLink());
  }
};

QTEST_GUILESS_MAIN(TestReplacingFile)
#include "test_replacing_file.moc"

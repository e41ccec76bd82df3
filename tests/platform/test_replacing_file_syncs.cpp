// The syncs that make a written file outlast a power loss, counted by
// standing in for the system calls (Linux: the program's own calls are
// taken by these definitions).
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QDirIterator>
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

class TestReplacingFileSyncs : public QObject {
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
};

QTEST_GUILESS_MAIN(TestReplacingFileSyncs)
#include "test_replacing_file_syncs.moc"

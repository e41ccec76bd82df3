// Folders held open for a run of many files: a link planted after a folder
// was opened (beside it, below it, or in its place) is never written
// through, also once its descriptor was given up and opened again; files
// replace what stands at their name, whole or not at all; made folders that
// got no file are taken away.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "Fixtures.h"
#include "Links.h"
#include "platform/FolderHandles.h"
#include "platform/ReplacingFile.h"

namespace {

using files::WriteResult;

QStringList Names(const QString& folder) {
  QStringList names =
      QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  names.sort();
  return names;
}

}  // namespace

class TestFolderHandles : public QObject {
  Q_OBJECT
 private slots:
  void linksPlantedLaterAreNeverFollowed() {
    QTemporaryDir dir;
    const QString out = dir.filePath("out"), outside = dir.filePath("outside");
    QVERIFY(QDir().mkpath(outside));
    QVERIFY(fixtures::writeAll(outside + "/rc", "theirs"));
    files::FolderHandles folders(out);
    const int a = folders.Open({"a"}, true);
    QVERIFY(a >= 0);
    QCOMPARE(files::WriteFileAt(a, "f1", "one"), WriteResult::Written);

    // Beside the first file, and below its folder.
    QVERIFY(fixtures::makeLink(outside + "/rc", out + "/a/f2") && fixtures::makeLink(outside, out + "/a/sub"));
    QCOMPARE(files::WriteFileAt(folders.Open({"a"}, false), "f2", "planted"), WriteResult::NotCreated);
    QCOMPARE(folders.Open({"a", "sub"}, true), -1);
    QVERIFY(QFileInfo(out + "/a/f2").isSymLink());

    // In the held folder's place: the file goes to the folder that was
    // checked, never through the link.
    QVERIFY(QDir(out).rename("a", "moved") && fixtures::makeLink(outside, out + "/a"));
    QCOMPARE(files::WriteFileAt(folders.Open({"a"}, false), "f3", "three"), WriteResult::Written);
    QCOMPARE(fixtures::readAll(out + "/moved/f3"), QByteArray("three"));
    QCOMPARE(Names(outside), QStringList{"rc"});
    QCOMPARE(fixtures::readAll(outside + "/rc"), QByteArray("theirs"));
  }

  // Beyond its capacity the least recently used folder is closed; opened
  // again, it is checked again.
  void aFolderGivenUpIsCheckedAgain() {
    QTemporaryDir dir;
    const QString out = dir.filePath("out"), outside = dir.filePath("outside");
    QVERIFY(QDir().mkpath(outside));
    files::FolderHandles folders(out, 2);
    QVERIFY(folders.Open({"x", "deep"}, true) >= 0);
    QVERIFY(folders.Open({"y"}, true) >= 0);
    QCOMPARE(folders.HeldForTesting(), 2);  // x was given up, x/deep and y kept
    QCOMPARE(files::WriteFileAt(folders.Open({"x", "deep"}, false), "kept", "k"), WriteResult::Written);
    QVERIFY(folders.Open({"z"}, true) >= 0);  // gives up y
    QVERIFY(QDir(out).rename("y", "y-moved") && fixtures::makeLink(outside, out + "/y"));
    QCOMPARE(folders.Open({"y"}, false), -1);
    QCOMPARE(Names(outside), QStringList());
    QCOMPARE(fixtures::readAll(out + "/x/deep/kept"), QByteArray("k"));

    // z got no file: taken away; x and x/deep hold one and stay.
    QCOMPARE(folders.Made(), (QStringList{"x", "x/deep", "y", "z"}));
    folders.RemoveMadeExcept({"x", "x/deep"});
    QCOMPARE(Names(out), (QStringList{"x", "y", "y-moved"}));
  }

  // A file standing at the name is replaced whole; a write that fails
  // leaves the old file and nothing else.
  void replacesWholeOrNotAtAll() {
    QTemporaryDir dir;
    files::FolderHandles folders(dir.path());
    const int fd = folders.Open({}, false);
    QVERIFY(fixtures::writeAll(dir.filePath("f"), "old"));
    QCOMPARE(files::WriteFileAt(fd, "f", "new bytes"), WriteResult::Written);
    QCOMPARE(fixtures::readAll(dir.filePath("f")), QByteArray("new bytes"));
    files::ReplacingFile::SetWriteLimitForTesting(3);
    QCOMPARE(files::WriteFileAt(fd, "f", "too long"), WriteResult::NotWritten);
    QCOMPARE(files::WriteFileAt(fd, "g", "too long"), WriteResult::NotWritten);
    files::ReplacingFile::SetWriteLimitForTesting(-1);
    QCOMPARE(fixtures::readAll(dir.filePath("f")), QByteArray("new bytes"));
    QCOMPARE(Names(dir.path()), QStringList{"f"});
  }
};

QTEST_GUILESS_MAIN(TestFolderHandles)
#include "test_folder_handles.moc"

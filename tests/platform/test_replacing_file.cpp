// Files written whole or not at all: the folders a failed write made taken
// away again, and links planted below a chosen folder never followed.
#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

#include "Fixtures.h"
#include "Links.h"
#include "platform/FolderSyncs.h"
#include "platform/ReplacingFile.h"

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
    QVERIFY(fixtures::makeLink(outside, out + "/data"));
    QVERIFY(fixtures::makeLink(outside + "/rc", out + "/real/rc"));

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

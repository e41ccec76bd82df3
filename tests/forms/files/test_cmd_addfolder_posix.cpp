// Add Folder on a POSIX disk: links (followed only to files inside the tree),
// a FIFO, an unreadable file and raw single-byte names.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>

#include "Fixtures.h"
#include "Workspace.h"
#include "archive/ArchiveReader.h"

using cmd::Workspace;

namespace {

QString Make(const QString& path, const QByteArray& bytes = "x") {
  QDir().mkpath(QFileInfo(path).absolutePath());
  fixtures::writeAll(path, bytes);
  return path;
}

}  // namespace

class TestCmdAddFolderPosix : public QObject {
  Q_OBJECT
 private slots:
  void whatCannotBeAddedIsNamedAndNothingElseLost() {
    Workspace ws;
    ws.New(ws.path("out/odd.QLM"));
    const QString mod = ws.path("in/mod");
    Make(mod + "/ok.txt", "ok!");
    Make(mod + "/sub/deep.txt");
    Make(mod + "/.hidden/x.txt");
    Make(mod + "/(listfile)");
    Make(mod + "/bad\nname.txt");
    for (int i = 0; i < 21; ++i) Make(mod + QStringLiteral("/.dot%1").arg(i, 2, 10, QLatin1Char('0')));
    QVERIFY(QFile::link(mod + "/ok.txt", mod + "/link.txt"));  // followed
    QVERIFY(QFile::link(mod, mod + "/sub/loop"));              // not followed
    QVERIFY(QFile::link(mod + "/gone", mod + "/dangling"));    // cannot be read
    QCOMPARE(mkfifo(QFile::encodeName(mod + "/fifo").constData(), 0600), 0);
    const bool root = geteuid() == 0;
    if (!root) QFile::setPermissions(Make(mod + "/secret.txt"), {});
    ws.ui.AnswerMessage(ui::idOk);
    ws.AddFolder(mod, QByteArray());  // no prefix: "(listfile)" is the archive's own
    QCOMPARE(ws.Captions(), (QList<QByteArray>{"link.txt", "ok.txt", "sub\\deep.txt"}));
    QCOMPARE(ws.SizeTexts()[0], QStringLiteral("3 Bytes"));
    QCOMPARE(ws.w->LastInternalDir, QByteArray());

    QStringList named{"(listfile)", "bad\u240Aname.txt", "dangling", "fifo", ".hidden\\", "sub\\loop\\"};
    if (!root) named << "secret.txt";
    for (int i = 0; i < 21; ++i) named << QStringLiteral(".dot%1").arg(i, 2, 10, QLatin1Char('0'));
    named.sort(Qt::CaseInsensitive);
    const QString text = ws.ui.messages.last().text;
    QCOMPARE(text, QStringLiteral("These files were not added:\n") + named.mid(0, 20).join('\n') +
                       QStringLiteral("\nand %1 more.").arg(named.size() - 20));
    QCOMPARE(ws.ui.messages.last().title, QStringLiteral("Add Folder"));
  }

  // A raw byte 0xE9 in a file name (as archive tools unpack names) is the
  // entry's byte 0xE9; the row reads a copy its file classes can open, and
  // Update stores the file's bytes under that name.
  void rawByteNamesComeInUnderTheirBytes() {
    Workspace ws;
    const QString mod = ws.path("out/raw.QLM");
    ws.New(mod);
    const QString tree = ws.path("in/raw");
    Make(tree + "/plain.txt");
    const QByteArray raw = QFile::encodeName(tree) + "/caf\xE9.txt";
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    const auto removeRaw = qScopeGuard([&] { ::unlink(raw.constData()); });
    QCOMPARE(::write(fd, "raw bytes", 9), 9);
    QCOMPARE(::close(fd), 0);
    ws.AddFolder(tree, QByteArray("r"));
    QCOMPARE(ws.Captions(), (QList<QByteArray>{"r\\caf\xE9.txt", "r\\plain.txt"}));
    ws.Update();
    QByteArray stored;
    QVERIFY(ReadEntryBytes(mod, "r\\caf\xE9.txt", stored));
    QCOMPARE(stored, QByteArray("raw bytes"));
  }

  // A link in a downloaded tree is followed only to a file inside the tree:
  // one to a file outside it (a key, a password file) is named, not packed.
  void linksOutOfTheFolderAreNotFollowed() {
    Workspace ws;
    ws.New(ws.path("out/l.QLM"));
    const QString mod = ws.path("in/mod");
    Make(mod + "/sub/inside.txt", "in");
    const QString secret = Make(ws.path("home/.ssh/id_rsa"), "private key");
    QVERIFY(QFile::link(secret, mod + "/id_rsa"));
    QVERIFY(QFile::link(secret, mod + "/sub/key.txt"));
    QVERIFY(QFile::link(mod + "/sub/inside.txt", mod + "/near.txt"));
    QVERIFY(QFile::link("mod/sub/inside.txt", ws.path("in/up.txt")));
    QVERIFY(QFile::link(ws.path("in/up.txt"), mod + "/via.txt"));  // out and back in
    ws.ui.AnswerMessage(ui::idOk);
    ws.AddFolder(mod, QByteArray("m"));
    QCOMPARE(ws.Captions(), (QList<QByteArray>{"m\\near.txt", "m\\sub\\inside.txt", "m\\via.txt"}));
    QCOMPARE(ws.ui.messages.last().text,
             QStringLiteral("These files were not added:\nm\\id_rsa\nm\\sub\\key.txt"));
  }

};

QTEST_MAIN(TestCmdAddFolderPosix)
#include "test_cmd_addfolder_posix.moc"

// Names as a POSIX disk holds them: files whose names are raw single bytes
// (as archive tools unpack them, made through open and mkdir), and a tree
// reached through a symbolic link to it.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "CliRun.h"

namespace {

// Files and folders made under raw byte names, which Qt's own classes cannot
// list or remove: taken away by name before the scratch folder goes.
class RawNames {
 public:
  ~RawNames() {
    for (auto it = made_.crbegin(); it != made_.crend(); ++it) ::remove(it->constData());
  }
  bool Folder(const QByteArray& path) {
    made_ << path;
    return ::mkdir(path.constData(), 0755) == 0;
  }
  bool File(const QByteArray& path, const QByteArray& bytes) {
    made_ << path;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
  }

 private:
  QList<QByteArray> made_;
};

using clirun::Listed;

}  // namespace

class TestCliNamesPosix : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir scratch_;
  QString Path(const QString& name) const { return scratch_.filePath(name); }
  QByteArray Disk(const QString& name) const { return QFile::encodeName(Path(name)); }

 private slots:
  void initTestCase() { QVERIFY(scratch_.isValid()); }

  // An argument holding a byte that is no text (0xE9 alone is no UTF-8):
  // the command is refused before it looks for or writes any name, never
  // writing under the name it would decode to instead.
  void argumentsThatAreNoTextAreRefused() {
    QVERIFY(clirun::WriteFile(Path(QStringLiteral("argtree/a.txt")), "a"));
    const QByteArray program = QF_QUILLFORGE, tree = Disk(QStringLiteral("argtree"));
    const QByteArray out = Disk(QStringLiteral("out")) + "\xE9.QLM";
    const QByteArray build = "build", o = "-o";
    char* argv[] = {const_cast<char*>(program.constData()), const_cast<char*>(build.constData()),
                    const_cast<char*>(tree.constData()), const_cast<char*>(o.constData()),
                    const_cast<char*>(out.constData()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    QCOMPARE(posix_spawn(&pid, program.constData(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    QCOMPARE(waitpid(pid, &status, 0), pid);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 2);
    QCOMPARE(QDir(scratch_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
             QStringList{QStringLiteral("argtree")});
    QDir(Path(QStringLiteral("argtree"))).removeRecursively();
  }

  // A raw byte 0xE9 on disk is the entry's byte 0xE9, shown as "é"; an entry
  // whose file the tree holds is never deleted; the UTF-8 spelling of the
  // same name is the same entry, reported rather than taken twice, by build
  // and by compare alike.
  void rawByteNamesGoInUnderTheirBytes() {
    RawNames raw;
    const QString tree = Path(QStringLiteral("raw"));
    QVERIFY(QDir().mkpath(tree));
    QVERIFY(clirun::WriteFile(tree + QStringLiteral("/plain.txt"), "plain"));
    QVERIFY(raw.File(Disk(QStringLiteral("raw")) + "/caf\xE9.txt", "raw e"));
    QVERIFY(raw.Folder(Disk(QStringLiteral("raw/d")) + "\xE9"));
    QVERIFY(raw.File(Disk(QStringLiteral("raw/d")) + "\xE9/x.txt", "in a raw folder"));
    const QString mod = Path(QStringLiteral("raw.QLM"));
    clirun::Result r = clirun::Run({QStringLiteral("build"), tree, QStringLiteral("-o"), mod});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.isEmpty(), r.err.constData());
    const QStringList expected = QString::fromUtf8("caf\xC3\xA9.txt d\xC3\xA9\\x.txt plain.txt").split(' ');
    QStringList listed = Listed(mod);
    listed.sort();
    QCOMPARE(listed, expected);

    r = clirun::Run({QStringLiteral("build"), tree, QStringLiteral("-o"), mod, QStringLiteral("--delete-missing")});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.isEmpty(), r.err.constData());
    listed = Listed(mod);
    listed.sort();
    QCOMPARE(listed, expected);

    // What Compare reads of the folder is what build made of it.
    QCOMPARE(clirun::Run({QStringLiteral("compare"), mod, tree}).code, 0);

    QVERIFY(clirun::WriteFile(tree + QString::fromUtf8("/caf\xC3\xA9.txt"), "utf-8 e"));
    r = clirun::Run({QStringLiteral("build"), tree, QStringLiteral("-o"), Path(QStringLiteral("twice.QLM"))});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.errLines().size(), 1);
    QVERIFY2(r.err.contains("left out: ") && r.err.contains("the same entry name") && r.err.contains("caf\\xE9.txt"),
             r.err.constData());
    QCOMPARE(Listed(Path(QStringLiteral("twice.QLM"))).count(QString::fromUtf8("caf\xC3\xA9.txt")), 1);
    // Compare reads the file build took, and names the other as build does.
    const QByteArray leftOut = r.err.mid(r.err.indexOf("left out: "));
    r = clirun::Run({QStringLiteral("compare"), Path(QStringLiteral("twice.QLM")), tree});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.err, "quillforge compare: " + leftOut);
  }

  // The mod is recognised by what it is: through a link to the tree, or as
  // the output named through one, it is never packed into itself.
  void theModIsNoPartOfItsTreeThroughALink() {
    const QString tree = Path(QStringLiteral("t2"));
    const QString link = Path(QStringLiteral("t2link"));
    QVERIFY(clirun::WriteFile(tree + QStringLiteral("/a.txt"), "a"));
    QVERIFY(QFile::link(tree, link));
    const QString mod = tree + QStringLiteral("/m.QLM");
    QCOMPARE(clirun::Run({QStringLiteral("build"), tree, QStringLiteral("-o"), mod}).code, 0);
    QCOMPARE(clirun::Run({QStringLiteral("build"), link, QStringLiteral("-o"), mod}).code, 0);
    QCOMPARE(Listed(mod), QStringList{QStringLiteral("a.txt")});
    QCOMPARE(clirun::Run({QStringLiteral("build"), tree, QStringLiteral("-o"), link + QStringLiteral("/m.QLM")}).code,
             0);
    QCOMPARE(Listed(mod), QStringList{QStringLiteral("a.txt")});
  }

};

QTEST_GUILESS_MAIN(TestCliNamesPosix)
#include "test_cli_names_posix.moc"

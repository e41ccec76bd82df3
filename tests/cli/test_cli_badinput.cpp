// Bad input on the command line: one line on standard error, exit status 2,
// and nothing left half-written. Folders and files locked by POSIX
// permissions, links, and an archive made by smpq: test_cli_badinput_posix.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "CliRun.h"
#include "Fixtures.h"

namespace {

void ExpectRefusal(const clirun::Result& r, const QByteArray& says) {
  QCOMPARE(r.code, 2);
  QVERIFY(r.out.isEmpty());
  QCOMPARE(r.errLines().size(), 1);
  QVERIFY2(r.err.startsWith("quillforge: ") && r.err.contains(says), r.err.constData());
}

}  // namespace

class TestCliBadInput : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir scratch_;
  QString tree_;
  QString mod_;

  QString Path(const QString& name) const { return scratch_.filePath(name); }

 private slots:
  void initTestCase() {
    QVERIFY(scratch_.isValid());
    tree_ = Path(QStringLiteral("tree"));
    QVERIFY(clirun::WriteFile(tree_ + QStringLiteral("/data/a.txt"), "a"));
    QVERIFY(clirun::WriteFile(tree_ + QStringLiteral("/data/b.txt"), "bb"));
    mod_ = Path(QStringLiteral("Good.QLM"));
    QCOMPARE(clirun::Run({QStringLiteral("build"), tree_, QStringLiteral("-o"), mod_}).code, 0);
  }

  void noSuchFileOrNoArchive() {
    const QString missing = Path(QStringLiteral("Missing.QLM"));
    const QString text = Path(QStringLiteral("notes.QLM"));
    QVERIFY(clirun::WriteFile(text, "not an archive, just words\n"));
    for (const char* command : {"list", "extract", "info"}) {
      ExpectRefusal(clirun::Run({QLatin1String(command), missing}), "no such file");
      ExpectRefusal(clirun::Run({QLatin1String(command), text}), "not a mod archive");
      ExpectRefusal(clirun::Run({QLatin1String(command), tree_}), "is a folder");
    }
    ExpectRefusal(clirun::Run({QStringLiteral("build"), Path(QStringLiteral("nofolder")),
                               QStringLiteral("-o"), missing}),
                  "no such folder");
    QVERIFY(!QFile::exists(missing));
    // A file that is no mod is never replaced by one.
    ExpectRefusal(clirun::Run({QStringLiteral("build"), tree_, QStringLiteral("-o"), text}),
                  "not a mod archive");
    QCOMPARE(fixtures::readAll(text), QByteArray("not an archive, just words\n"));
    ExpectRefusal(
        clirun::Run({QStringLiteral("info"), text, QStringLiteral("--set-title"), QStringLiteral("T")}),
        "not a mod archive");
    QCOMPARE(fixtures::readAll(text), QByteArray("not an archive, just words\n"));
    ExpectRefusal(clirun::Run({QStringLiteral("build"), tree_, QStringLiteral("-o"),
                               Path(QStringLiteral("x.QLM")), QStringLiteral("--description-file"), missing}),
                  "description file");
    QVERIFY(!QFile::exists(Path(QStringLiteral("x.QLM"))));
  }

  void unknownOptionChangesNothing() {
    const QByteArray before = fixtures::readAll(mod_);
    ExpectRefusal(clirun::Run({QStringLiteral("info"), mod_, QStringLiteral("--set-title"),
                               QStringLiteral("T"), QStringLiteral("--colour")}),
                  "'--colour'");
    ExpectRefusal(
        clirun::Run({QStringLiteral("build"), tree_, QStringLiteral("-o"), mod_, QStringLiteral("--delete")}),
        "'--delete'");
    ExpectRefusal(clirun::Run({QStringLiteral("build"), tree_}), "-o");
    QCOMPARE(fixtures::readAll(mod_), before);
    const QString out = Path(QStringLiteral("neverMade"));
    ExpectRefusal(clirun::Run({QStringLiteral("extract"), QStringLiteral("-x"), mod_, out}), "'-x'");
    // A name that matches nothing stops the extraction before anything is written.
    ExpectRefusal(clirun::Run({QStringLiteral("extract"), mod_, out, QStringLiteral("data\\a.txt"),
                               QStringLiteral("data\\*.dc6")}),
                  "data\\*.dc6");
    QVERIFY(!QFileInfo::exists(out));
  }

  void foldersThatAreNoPlaceToWrite() {
    ExpectRefusal(clirun::Run({QStringLiteral("build"), tree_, QStringLiteral("-o"),
                               Path(QStringLiteral("no/such/M.QLM"))}),
                  "does not exist");
    const QString file = Path(QStringLiteral("plain"));
    QVERIFY(clirun::WriteFile(file, "x"));
    ExpectRefusal(clirun::Run({QStringLiteral("extract"), mod_, file}), "not a folder");
  }

  // A folder where a file should go stops that file only; no temporary file stays.
  void aFolderWhereAFileShouldGo() {
    const QString blocked = Path(QStringLiteral("blocked"));
    QVERIFY(QDir().mkpath(blocked + QStringLiteral("/data/a.txt")));
    const clirun::Result one = clirun::Run({QStringLiteral("extract"), mod_, blocked});
    QCOMPARE(one.code, 2);
    QCOMPARE(one.errLines().size(), 1);
    QVERIFY(one.err.contains("data\\a.txt"));
    QCOMPARE(clirun::Tree(blocked), (QMap<QString, QByteArray>{{QStringLiteral("data/b.txt"), "bb"}}));
  }
};

QTEST_GUILESS_MAIN(TestCliBadInput)
#include "test_cli_badinput.moc"

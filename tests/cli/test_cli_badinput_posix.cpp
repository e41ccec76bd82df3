// Bad input on the command line where POSIX decides: folders and files that
// permissions lock, links, and an archive in a later format made by smpq.
#include <unistd.h>

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

// A folder no file can be made in: read-only for a user, a read-only file
// system for the superuser, whom no permission bit stops.
QString UnwritableFolder(QTemporaryDir& scratch) {
  if (::geteuid() == 0) return QStringLiteral("/sys");
  const QString folder = scratch.filePath(QStringLiteral("readonly"));
  QDir().mkpath(folder);
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
  return folder;
}

}  // namespace

class TestCliBadInputPosix : public QObject {
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

  void foldersThatCannotBeWritten() {
    const QString locked = UnwritableFolder(scratch_);
    ExpectRefusal(clirun::Run({QStringLiteral("extract"), mod_, locked}), "cannot be written");
    const QString lockedMod = locked + QStringLiteral("/New.QLM");
    ExpectRefusal(clirun::Run({QStringLiteral("build"), tree_, QStringLiteral("-o"), lockedMod}),
                  "cannot be written");
    QVERIFY(!QFileInfo::exists(lockedMod));

    // A mod without the right to write it is left as it was.
    const QString readOnly = Path(QStringLiteral("ReadOnly.QLM"));
    QVERIFY(QFile::copy(mod_, readOnly));
    QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner));
    const QByteArray before = fixtures::readAll(readOnly);
    ExpectRefusal(
        clirun::Run({QStringLiteral("info"), readOnly, QStringLiteral("--set-title"), QStringLiteral("T")}),
        "cannot be written");
    ExpectRefusal(clirun::Run({QStringLiteral("build"), tree_, QStringLiteral("-o"), readOnly}),
                  "cannot be written");
    QCOMPARE(fixtures::readAll(readOnly), before);

    // A mod in a later format (smpq writes version 4 unless told) is refused
    // for what it is, not as one in use.
    const QString later = Path(QStringLiteral("Later.QLM"));
    QVERIFY(
        !clirun::RunSmpq({QStringLiteral("-c"), later, QStringLiteral("a.txt")}, tree_ + "/data").isNull());
    const QByteArray laterBefore = fixtures::readAll(later);
    for (const QStringList& args :
         {QStringList{QStringLiteral("info"), later, QStringLiteral("--set-title"), "T"},
          QStringList{QStringLiteral("build"), tree_, QStringLiteral("-o"), later}}) {
      const clirun::Result r = clirun::Run(args);
      ExpectRefusal(r, "MPQ format version 4, and this program writes only version 1");
      QVERIFY(!r.err.contains("in use"));
    }
    QCOMPARE(fixtures::readAll(later), laterBefore);
  }

  // No file is written through a link, whole files only, and the others still go.
  void extractNeverLeavesTheFolder() {
    const QString outside = Path(QStringLiteral("outside"));
    QVERIFY(QDir().mkpath(outside));
    const QString out = Path(QStringLiteral("linked"));
    QVERIFY(QDir().mkpath(out));
    QVERIFY(QFile::link(outside, out + QStringLiteral("/data")));
    const clirun::Result r = clirun::Run({QStringLiteral("extract"), mod_, out});
    QCOMPARE(r.code, 2);
    QCOMPARE(r.errLines().size(), 2);  // one line per entry not written
    QVERIFY(r.err.contains("data\\a.txt") && r.err.contains("data\\b.txt"));
    QVERIFY(QDir(outside).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
  }
};

QTEST_GUILESS_MAIN(TestCliBadInputPosix)
#include "test_cli_badinput_posix.moc"

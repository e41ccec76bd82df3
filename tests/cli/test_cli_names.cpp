// Names as the archive and the disk hold them: entries the archive tells
// apart though the window's lists take them as one, and option values that
// look like options. Raw single-byte names on disk and links to the tree:
// test_cli_names_posix.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "ArchiveBuilder.h"
#include "CliRun.h"

namespace {

QStringList Words(std::initializer_list<const char*> words) {
  QStringList args;
  for (const char* w : words) args << QString::fromUtf8(w);
  return args;
}

using clirun::Listed;

// Whether the file system at folder takes "caf\u00E9" and "CAF\u00C9" for one name.
bool FoldsLetterCase(const QString& folder) {
  const QString lower = folder + QString::fromUtf8("/fold-caf\xC3\xA9");
  if (!clirun::WriteFile(lower, "x")) return false;
  const bool folds = QFileInfo::exists(folder + QString::fromUtf8("/FOLD-CAF\xC3\x89"));
  QFile::remove(lower);
  return folds;
}

// Standard output with its line ends as LF (the Windows console's are CR LF).
QByteArray Lf(QByteArray text) {
  return text.replace("\r\n", "\n");
}

}  // namespace

class TestCliNames : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir scratch_;
  QString Path(const QString& name) const { return scratch_.filePath(name); }
  QByteArray Disk(const QString& name) const { return QFile::encodeName(Path(name)); }

 private slots:
  void initTestCase() { QVERIFY(scratch_.isValid()); }

  // "caf\xE9.txt" and "CAF\xC9.TXT" are two entries of an archive made with
  // StormLib: a difference in one of them is one; both are extracted where
  // the file system tells them apart (and a tree holding both builds both),
  // and where it takes them for one the later is named, never written over
  // the first.
  void entriesTheArchiveTellsApart() {
    const QString a = Path(QStringLiteral("two.MPQ"));
    const QString b = Path(QStringLiteral("other.MPQ"));
    QVERIFY(testarchive::Build(a, {{"caf\xE9.txt", "lower"}, {"CAF\xC9.TXT", "upper"}}));
    QVERIFY(testarchive::Build(b, {{"caf\xE9.txt", "lower"}, {"CAF\xC9.TXT", "UPPER"}}));
    const clirun::Result c = clirun::Run({QStringLiteral("compare"), a, b});
    QCOMPARE(c.code, 1);
    QCOMPARE(Lf(c.out).split('\n').first(), QByteArray("changed CAF\xC3\x89.TXT"));

    const QString out = Path(QStringLiteral("two"));
    const clirun::Result x = clirun::Run({QStringLiteral("extract"), a, out});
    const QMap<QString, QByteArray> files = clirun::Tree(out);
    if (FoldsLetterCase(scratch_.path())) {
      QCOMPARE(x.code, 2);
      QCOMPARE(x.errLines().size(), 1);
      QVERIFY2(x.err.contains("CAF\xC3\x89.TXT"), x.err.constData());
      // One of the two is written, the other named as left out: never one over the other.
      QCOMPARE(files.size(), 1);
      const bool upperLeftOut = x.err.contains("not extracted: CAF\xC3\x89.TXT");
      QVERIFY2(upperLeftOut || x.err.contains("not extracted: caf\xC3\xA9.txt"), x.err.constData());
      QCOMPARE(files.first(), upperLeftOut ? QByteArray("lower") : QByteArray("upper"));
      return;
    }
    QCOMPARE(x.code, 0);
    QCOMPARE(files.size(), 2);
    QCOMPARE(files.value(QString::fromUtf8("caf\xC3\xA9.txt")), QByteArray("lower"));
    QCOMPARE(files.value(QString::fromUtf8("CAF\xC3\x89.TXT")), QByteArray("upper"));

    const QString mod = Path(QStringLiteral("both.QLM"));
    const clirun::Result built = clirun::Run({QStringLiteral("build"), out, QStringLiteral("-o"), mod});
    QCOMPARE(built.code, 0);
    QVERIFY2(built.err.isEmpty(), built.err.constData());
    QCOMPARE(Listed(mod).size(), 2);
  }

  // An option that takes a value takes the next word, "-h" and "-q" too.
  void optionValuesThatLookLikeOptions() {
    const QString tree = Path(QStringLiteral("opts"));
    QVERIFY(clirun::WriteFile(tree + QStringLiteral("/a.txt"), "a"));
    const QString mod = Path(QStringLiteral("q.QLM"));
    QCOMPARE(clirun::Run({QStringLiteral("build"), tree, QStringLiteral("-o"), mod}).code, 0);
    clirun::Result r = clirun::Run(Words({"info", "--set-version", "-h"}) << mod);
    QCOMPARE(r.code, 0);
    QVERIFY2(!r.out.contains("usage"), r.out.constData());
    r = clirun::Run(QStringList{QStringLiteral("info"), mod} + Words({"--set-title", "-q", "--set-author", "me"}));
    QCOMPARE(r.code, 0);
    r = clirun::Run({QStringLiteral("info"), mod});
    r.out = Lf(r.out);
    QVERIFY2(r.out.contains("title: -q\n") && r.out.contains("author: me\n") && r.out.contains("version: -h\n"),
             r.out.constData());
    // Standing as options they still are.
    QVERIFY(clirun::Run(Words({"info", "-h"})).out.startsWith("usage: quillforge info"));
  }

  // A tree built under an internal folder compares with its mod when told
  // that folder.
  void compareTakesTheTreesPrefix() {
    const QString tree = Path(QStringLiteral("prefixed"));
    QVERIFY(clirun::WriteFile(tree + QStringLiteral("/global/excel/x.txt"), "a\tb\r\n1\t2\r\n"));
    const QString mod = Path(QStringLiteral("prefixed.QLM"));
    QCOMPARE(clirun::Run(QStringList{QStringLiteral("build"), tree, QStringLiteral("-o"), mod} +
                         Words({"--prefix", "data\\"}))
                 .code,
             0);
    QCOMPARE(clirun::Run(QStringList{QStringLiteral("compare"), mod, tree} + Words({"--prefix", "data\\"})).code,
             0);
    const clirun::Result bare = clirun::Run({QStringLiteral("compare"), mod, tree, QStringLiteral("--names-only")});
    QCOMPARE(bare.code, 1);
    QCOMPARE(Lf(bare.out), QByteArray("only here data\\global\\excel\\x.txt\nonly there global\\excel\\x.txt\n"));
  }
};

QTEST_GUILESS_MAIN(TestCliNames)
#include "test_cli_names.moc"

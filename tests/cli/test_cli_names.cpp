// Names as the archive and the disk hold them: files whose names are raw
// single bytes (as archive tools unpack them), entries the archive tells
// apart though the window's lists take them as one, a tree reached through a
// link to it, and option values that look like options.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "ArchiveBuilder.h"
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

QStringList Words(std::initializer_list<const char*> words) {
  QStringList args;
  for (const char* w : words) args << QString::fromUtf8(w);
  return args;
}

// The names `list` prints but the record's, as UTF-8.
QStringList Listed(const QString& mod) {
  const clirun::Result r = clirun::Run({QStringLiteral("list"), mod});
  QStringList names;
  for (const QByteArray& line : r.out.split('\n'))
    if (!line.isEmpty() && !line.startsWith("(modinfo)\t"))
      names << QString::fromUtf8(line.left(line.indexOf('\t')));
  return names;
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

  // "caf\xE9.txt" and "CAF\xC9.TXT" are two entries of an archive made with
  // StormLib: both are extracted, a difference in one of them is one, and a
  // tree holding both files builds both.
  void entriesTheArchiveTellsApart() {
    const QString a = Path(QStringLiteral("two.MPQ"));
    const QString b = Path(QStringLiteral("other.MPQ"));
    QVERIFY(testarchive::Build(a, {{"caf\xE9.txt", "lower"}, {"CAF\xC9.TXT", "upper"}}));
    QVERIFY(testarchive::Build(b, {{"caf\xE9.txt", "lower"}, {"CAF\xC9.TXT", "UPPER"}}));
    const QString out = Path(QStringLiteral("two"));
    const clirun::Result x = clirun::Run({QStringLiteral("extract"), a, out});
    QCOMPARE(x.code, 0);
    const QMap<QString, QByteArray> files = clirun::Tree(out);
    QCOMPARE(files.size(), 2);
    QCOMPARE(files.value(QString::fromUtf8("caf\xC3\xA9.txt")), QByteArray("lower"));
    QCOMPARE(files.value(QString::fromUtf8("CAF\xC3\x89.TXT")), QByteArray("upper"));

    const clirun::Result c = clirun::Run({QStringLiteral("compare"), a, b});
    QCOMPARE(c.code, 1);
    QCOMPARE(c.out.split('\n').first(), QByteArray("changed CAF\xC3\x89.TXT"));

    const QString mod = Path(QStringLiteral("both.QLM"));
    const clirun::Result built = clirun::Run({QStringLiteral("build"), out, QStringLiteral("-o"), mod});
    QCOMPARE(built.code, 0);
    QVERIFY2(built.err.isEmpty(), built.err.constData());
    QCOMPARE(Listed(mod).size(), 2);
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
    QCOMPARE(bare.out, QByteArray("only here data\\global\\excel\\x.txt\nonly there global\\excel\\x.txt\n"));
  }
};

QTEST_GUILESS_MAIN(TestCliNames)
#include "test_cli_names.moc"

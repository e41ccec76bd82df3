// build, list and extract on the fixture tree, checked against the tree itself
// and against smpq reading the same archive.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

#include "CliRun.h"
#include "Fixtures.h"
#include "Links.h"

namespace {

QStringList Args(std::initializer_list<const char*> words) {
  QStringList args;
  for (const char* w : words) args << QString::fromUtf8(w);
  return args;
}

// smpq -l: "size date time name" per entry, names with '/'; as name -> size.
QMap<QByteArray, QByteArray> SmpqListing(const QByteArray& listing) {
  QMap<QByteArray, QByteArray> entries;
  for (const QByteArray& line : listing.split('\n')) {
    const QList<QByteArray> parts = line.simplified().split(' ');
    if (parts.size() < 4) continue;
    QByteArray name = line.mid(line.indexOf(parts.at(2)) + parts.at(2).size() + 1);
    entries.insert(name.replace('/', '\\'), parts.at(0));
  }
  return entries;
}

}  // namespace

class TestCliRoundTrip : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir scratch_;
  QString mod_;

  QString Path(const QString& name) const { return scratch_.filePath(name); }

 private slots:
  void initTestCase() {
    QF_REQUIRE_FIXTURES();
    QVERIFY(scratch_.isValid());
    mod_ = Path(QStringLiteral("Fixtures.QLM"));
    const clirun::Result built =
        clirun::Run({QStringLiteral("build"), fixtures::modDir(), QStringLiteral("-o"), mod_,
                     QStringLiteral("--title"), QStringLiteral("Round trip")});
    QCOMPARE(built.code, 0);
    QVERIFY2(built.err.isEmpty(), built.err.constData());  // no progress: stderr is no terminal
    QVERIFY(built.out.isEmpty());
  }

  void extractGivesTheTreeBack() {
    const QString out = Path(QStringLiteral("extracted"));
    const clirun::Result r = clirun::Run({QStringLiteral("extract"), mod_, out});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.isEmpty(), r.err.constData());
    const QMap<QString, QByteArray> tree = clirun::Tree(fixtures::modDir());
    QVERIFY(tree.size() > 10);
    QCOMPARE(clirun::Tree(out), tree);  // byte for byte, nothing more, no temporary left

    // Without DIR: the current folder.
    const QString here = Path(QStringLiteral("here"));
    QVERIFY(QDir().mkpath(here));
    QCOMPARE(clirun::Run({QStringLiteral("extract"), mod_}, here).code, 0);
    QCOMPARE(clirun::Tree(here), tree);
  }

  void smpqReadsWhatBuildWrites() {
    const QString out = Path(QStringLiteral("bysmpq"));
    QVERIFY(QDir().mkpath(out));
    QVERIFY(!clirun::RunSmpq({QStringLiteral("-x"), mod_}, out).isNull());
    QMap<QString, QByteArray> extracted = clirun::Tree(out);
    const QByteArray record = extracted.take(QStringLiteral("(modinfo)"));
    QCOMPARE(extracted, clirun::Tree(fixtures::modDir()));
    QCOMPARE(record.size(), 40 + 10);
    QVERIFY(record.endsWith("Round trip"));
  }

  void listMatchesSmpq() {
    const clirun::Result r = clirun::Run({QStringLiteral("list"), mod_});
    QCOMPARE(r.code, 0);
    const QByteArray smpq = clirun::RunSmpq({QStringLiteral("-l"), mod_});
    QVERIFY(!smpq.isNull());
    QMap<QByteArray, QByteArray> ours;
    QList<QByteArray> order;
    for (const QByteArray& line : r.out.split('\n')) {
      if (line.isEmpty()) continue;
      const QList<QByteArray> fields = line.split('\t');
      QCOMPARE(fields.size(), 2);
      ours.insert(fields.at(0), fields.at(1));
      order << fields.at(0);
    }
    QCOMPARE(ours, SmpqListing(smpq));
    // The listing's order: the record first, then the tree sorted as Add Folder adds it.
    QCOMPARE(order.first(), QByteArray("(modinfo)"));
    QCOMPARE(order.size(), fixtures::allFiles().size() + 1);

    const clirun::Result longForm = clirun::Run({QStringLiteral("list"), QStringLiteral("--long"), mod_});
    QCOMPARE(longForm.code, 0);
    for (const QByteArray& line : longForm.out.split('\n')) {
      if (line.isEmpty()) continue;
      const QList<QByteArray> fields = line.split('\t');
      QCOMPARE(fields.size(), 4);
      QCOMPARE(fields.at(1), ours.value(fields.at(0)));
      QVERIFY(fields.at(2).toUInt() > 0);
      bool hex = false;
      const uint flags = fields.at(3).mid(2).toUInt(&hex, 16);
      QVERIFY(hex && fields.at(3).startsWith("0x"));
      QVERIFY(flags & 0x80000000u);  // the entry exists
      if (fields.at(0).endsWith("cubemain.txt")) QVERIFY(fields.at(2).toUInt() < fields.at(1).toUInt() / 2);
    }
  }

  void extractTakesNamedEntries() {
    const QString out = Path(QStringLiteral("named"));
    const clirun::Result r =
        clirun::Run(Args({"extract"}) << mod_ << out << QStringLiteral("DATA\\GLOBAL\\EXCEL\\*S.TXT")
                                      << QStringLiteral("data\\local\\use"));
    QCOMPARE(r.code, 0);
    QStringList got = clirun::Tree(out).keys();
    got.sort();
    QCOMPARE(got, QStringList({QStringLiteral("data/global/excel/Aiparms.txt"),
                               QStringLiteral("data/global/excel/lowqualityitems.txt"),
                               QStringLiteral("data/global/excel/monstats.txt"),
                               QStringLiteral("data/global/excel/objects.txt"),
                               QStringLiteral("data/global/excel/skills.txt"),
                               QStringLiteral("data/global/excel/weapons.txt"),
                               QStringLiteral("data/local/USE")}));
  }

  // A second build onto the mod updates it: changed files replace, new ones
  // join, missing ones stay unless asked for, the information not named stays.
  void buildUpdatesAnExistingMod() {
    const QString tree = Path(QStringLiteral("tree"));
    QVERIFY(clirun::WriteFile(tree + QStringLiteral("/a.txt"), "one"));
    QVERIFY(clirun::WriteFile(tree + QStringLiteral("/sub/b.txt"), "two"));
    QVERIFY(clirun::WriteFile(tree + QStringLiteral("/.git/config"), "hidden"));
    const QString mod = Path(QStringLiteral("Update.QLM"));
    QCOMPARE(clirun::Run(Args({"build"})
                         << tree << QStringLiteral("-o") << mod << QStringLiteral("--prefix")
                         << QStringLiteral("data\\global") << QStringLiteral("--title") << QStringLiteral("T")
                         << QStringLiteral("--author") << QStringLiteral("A"))
                 .code,
             0);
    QVERIFY(QFile::remove(tree + QStringLiteral("/a.txt")));
    QVERIFY(clirun::WriteFile(tree + QStringLiteral("/sub/b.txt"), "TWO, longer"));
    QVERIFY(clirun::WriteFile(tree + QStringLiteral("/c.txt"), "three"));
    QCOMPARE(clirun::Run(Args({"build"}) << tree << QStringLiteral("-o") << mod << QStringLiteral("--prefix")
                                         << QStringLiteral("data\\global\\") << QStringLiteral("--author")
                                         << QStringLiteral("B"))
                 .code,
             0);
    const auto listing = [&] { return clirun::Run(Args({"list"}) << mod).out; };
    // The listing keeps the old entries; which of them come first is the library's order.
    QList<QByteArray> lines = listing().split('\n');
    std::sort(lines.begin(), lines.end());
    QCOMPARE(lines, QList<QByteArray>({"", "(modinfo)\t42", "data\\global\\a.txt\t3",
                                       "data\\global\\c.txt\t5", "data\\global\\sub\\b.txt\t11"}));
    QCOMPARE(clirun::Run(Args({"info"}) << mod).out,
             QByteArray("title: T\nauthor: B\ngame-version: \nurl: \nversion: \ndescription: \n"));

    // Only entries below the prefix go when missing from the tree.
    const QString other = Path(QStringLiteral("other"));
    QVERIFY(clirun::WriteFile(other + QStringLiteral("/keep.txt"), "kept"));
    QCOMPARE(clirun::Run(Args({"build"}) << other << QStringLiteral("-o") << mod).code, 0);
    QCOMPARE(
        clirun::Run(Args({"build"}) << tree << QStringLiteral("-o") << mod << QStringLiteral("--prefix")
                                    << QStringLiteral("data\\global") << QStringLiteral("--delete-missing"))
            .code,
        0);
    const QString out = Path(QStringLiteral("updated"));
    QCOMPARE(clirun::Run(Args({"extract"}) << mod << out).code, 0);
    QCOMPARE(clirun::Tree(out),
             (QMap<QString, QByteArray>{{QStringLiteral("keep.txt"), "kept"},
                                        {QStringLiteral("data/global/sub/b.txt"), "TWO, longer"},
                                        {QStringLiteral("data/global/c.txt"), "three"}}));
  }

  // --delete-missing removes the entries whose files are gone from the tree,
  // not those whose files are there but could not be added: a link leading
  // out of the tree, a linked folder.
  void deleteMissingKeepsWhatWasLeftOut() {
    const QString tree = Path(QStringLiteral("linked"));
    QVERIFY(clirun::WriteFile(tree + QStringLiteral("/a.txt"), "one"));
    QVERIFY(clirun::WriteFile(tree + QStringLiteral("/b.txt"), "two"));
    QVERIFY(clirun::WriteFile(tree + QStringLiteral("/sub/c.txt"), "three"));
    QVERIFY(clirun::WriteFile(tree + QStringLiteral("/gone.txt"), "gone"));
    const QString mod = Path(QStringLiteral("Linked.QLM"));
    QCOMPARE(clirun::Run(Args({"build"}) << tree << QStringLiteral("-o") << mod).code, 0);

    const QString elsewhere = Path(QStringLiteral("elsewhere"));
    QVERIFY(clirun::WriteFile(elsewhere + QStringLiteral("/b.txt"), "TWO"));
    QVERIFY(clirun::WriteFile(elsewhere + QStringLiteral("/sub/c.txt"), "THREE"));
    QVERIFY(QFile::remove(tree + QStringLiteral("/b.txt")));
    QVERIFY(fixtures::makeLink(elsewhere + QStringLiteral("/b.txt"), tree + QStringLiteral("/b.txt")));
    QVERIFY(QDir(tree + QStringLiteral("/sub")).removeRecursively());
    QVERIFY(fixtures::makeLink(elsewhere + QStringLiteral("/sub"), tree + QStringLiteral("/sub")));
    QVERIFY(QFile::remove(tree + QStringLiteral("/gone.txt")));

    const clirun::Result build = clirun::Run(Args({"build"}) << tree << QStringLiteral("-o") << mod
                                                             << QStringLiteral("--delete-missing"));
    QCOMPARE(build.code, 0);
    QVERIFY(build.err.contains("left out: b.txt"));
    QVERIFY(build.err.contains("left out: sub/"));
    const QString out = Path(QStringLiteral("linked-out"));
    QCOMPARE(clirun::Run(Args({"extract"}) << mod << out).code, 0);
    QCOMPARE(clirun::Tree(out), (QMap<QString, QByteArray>{{QStringLiteral("a.txt"), "one"},
                                                           {QStringLiteral("b.txt"), "two"},
                                                           {QStringLiteral("sub/c.txt"), "three"}}));
  }
};

QTEST_GUILESS_MAIN(TestCliRoundTrip)
#include "test_cli_roundtrip.moc"

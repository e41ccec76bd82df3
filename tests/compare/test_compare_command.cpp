// quillforge compare: the lines it prints for two mods built from the
// fixtures, --names-only, a folder tree and the game folder as the other
// side, text shown in UTF-8, and its exit codes for same, different,
// unreadable and wrong words.
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>

#include "CompareMods.h"
#include "Fixtures.h"
#include "StringFixtures.h"
#include "archive/strings/StringTableCodec.h"
#include "cli/CompareCommand.h"

namespace {

struct Run {
  int exit = -1;
  QList<QByteArray> out;
  QByteArray err;
};

QByteArray Drain(std::FILE* f) {
  std::rewind(f);
  QByteArray all;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) all.append(buffer, qsizetype(n));
  std::fclose(f);
  return all;
}

Run Compare(const QStringList& args) {
  cli::Io io;
  io.out = std::tmpfile();
  io.err = std::tmpfile();
  Run run;
  run.exit = RunCompareCommand(args, io);
  const QByteArray out = Drain(io.out);
  run.out = out.split('\n');
  if (run.out.last().isEmpty()) run.out.removeLast();
  run.err = Drain(io.err);
  return run;
}

}  // namespace

class TestCompareCommand : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString here_;
  QString there_;

 private slots:
  void initTestCase() {
    QF_REQUIRE_FIXTURES();
    here_ = dir_.filePath("here.QLM");
    there_ = dir_.filePath("there.QLM");
    QVERIFY(testarchive::Build(here_, comparemods::Here()));
    QVERIFY(testarchive::Build(there_, comparemods::There()));
  }

  // Entry lines first, in name order, then each changed entry's details;
  // weapons rows go by their item code, the key the check rules name.
  void differences() {
    const Run run = Compare({here_, there_});
    QCOMPARE(run.exit, 1);
    QVERIFY2(run.err.isEmpty(), run.err.constData());
    const QList<QByteArray> names = run.out.mid(0, 5);
    const QByteArray overlapSize = QByteArray::number(
        fixtures::readAll(fixtures::modDir() + "/data/global/ui/panel/overlap.DC6").size());
    QCOMPARE(names, (QList<QByteArray>{
                        "only here data\\global\\excel\\lowqualityitems.txt",
                        "changed data\\global\\excel\\misc.txt",
                        "only there data\\global\\excel\\QuillExtra.txt",
                        "changed data\\global\\excel\\weapons.txt",
                        "changed data\\global\\ui\\panel\\overlap.DC6",
                    }));
    QCOMPARE(run.out.mid(5), (QList<QByteArray>{
                                 "+ column data\\global\\excel\\misc.txt:quillflag",
                                 "data\\global\\excel\\weapons.txt:hax:mindam: 2 -> 5",
                                 "+ data\\global\\excel\\weapons.txt:hax#2",
                                 "- data\\global\\excel\\weapons.txt:0gl",
                                 "moved data\\global\\excel\\weapons.txt:1lw: row 384 -> 645",
                                 "data\\global\\excel\\weapons.txt:p02:maxdam: 22 -> 24",
                                 "data\\global\\ui\\panel\\overlap.DC6: " + overlapSize + " -> " +
                                     overlapSize + " bytes, first difference at byte 100",
                             }));
  }

  // String tables go string by string, by key: texts in UTF-8 as the string
  // table editor shows them, a text with a line end quoted on one line as
  // info quotes it, an added string; a table that is no string table goes by
  // bytes.
  void stringTables() {
    const QByteArray original = fixtures::readAll(fixtures::stringsDir() + "/lng/eng/patchstring.tbl");
    StringTable here, there;
    QString fault;
    QVERIFY2(stringtable::Read(original, here, fault), qPrintable(fault));
    QVERIFY(here.strings.size() > 10);
    const QByteArray key3 = here.strings[3].key, key7 = here.strings[7].key;
    here.strings[3].text =
        "\xC3\xBF"
        "c4Yu \xC3\xBF"
        "c3Rune";
    here.strings[7].text = "one";
    there = here;
    there.strings[3].text =
        "\xC3\xBF"
        "c9Yu Rune";
    there.strings[7].text = "one\nmore \\ \"x\"";
    there.strings.push_back(TableString{"QuillNew", "new"});
    const QByteArray name = "data\\local\\lng\\eng\\patchstring.tbl";
    const QString a = dir_.filePath("tbl-a.QLM"), b = dir_.filePath("tbl-b.QLM");
    QVERIFY(testarchive::Build(a, {{name, stringtable::Write(here)}, {"x.tbl", "not a table"}}));
    QVERIFY(testarchive::Build(b, {{name, stringtable::Write(there)}, {"x.tbl", "not a table either"}}));
    const Run run = Compare({a, b});
    QCOMPARE(run.exit, 1);
    QVERIFY2(run.out.contains(name + ":" + key3 +
                              ":Text: \xC3\xBF"
                              "c4Yu \xC3\xBF"
                              "c3Rune -> \xC3\xBF"
                              "c9Yu Rune"),
             run.out.join('\n').constData());
    QVERIFY2(run.out.contains(name + ":" + key7 + ":Text: one -> \"one\\nmore \\\\ \\\"x\\\"\""),
             run.out.join('\n').constData());
    QVERIFY(run.out.contains("+ " + name + ":QuillNew"));
    QVERIFY(run.out.contains("x.tbl: 11 -> 18 bytes, first difference at byte 11"));
  }

  void namesOnly() {
    const Run run = Compare({"--names-only", here_, there_});
    QCOMPARE(run.exit, 1);
    QCOMPARE(run.out.size(), 5);
  }

  // The same on both sides: nothing printed, exit 0; a folder tree written
  // from a mod is that mod. A name the listing holds with no entry behind it
  // is no entry, as list shows it.
  void same() {
    const Run self = Compare({here_, here_});
    QCOMPARE(self.exit, 0);
    QVERIFY(self.out.isEmpty());
    // A path in any script is opened as the file system spells it.
    const QString renamed = dir_.filePath(QStringLiteral("\u041c\u043e\u0434 caf\u00e9.QLM"));
    QVERIFY(QFile::copy(here_, renamed));
    QCOMPARE(Compare({here_, renamed}).exit, 0);
    const QString ghost = dir_.filePath("ghost.QLM"), plain = dir_.filePath("plain.QLM");
    QVERIFY(testarchive::Build(ghost, {{"a.txt", "a"}, {"ghost.txt", "g"}}, testarchive::Storage::Plain,
                               testarchive::Listing::PlainListfile));
    QByteArray bytes = fixtures::readAll(ghost);
    QCOMPARE(bytes.count("ghost.txt"), 1);
    QFile file(ghost);
    QVERIFY(file.open(QIODevice::WriteOnly) &&
            file.write(bytes.replace("ghost.txt", "ghost_txt")) == bytes.size());
    file.close();
    QVERIFY(testarchive::Build(plain, {{"a.txt", "a"}}));
    for (const QString& other : {ghost, plain}) {
      const Run run = Compare({ghost, other});
      QCOMPARE(run.exit, 0);
      QCOMPARE(run.out, QList<QByteArray>());
      QCOMPARE(run.err, QByteArray());
    }
    const QString tree = dir_.filePath("tree");
    QVERIFY(comparemods::WriteFolder(tree, comparemods::There()));
    const Run folder = Compare({tree, there_});
    QCOMPARE(folder.exit, 0);
    QVERIFY(folder.out.isEmpty());
  }

  // A folder holding the game's archives is read as the game folder, by the
  // first side's names; cells in Windows-1252 show as UTF-8.
  void gameFolderAndText() {
    const QString game = dir_.filePath("game");
    QVERIFY(QDir().mkpath(game));
    QVERIFY(
        testarchive::Build(game + "/D2DATA.MPQ", {{"data\\global\\excel\\gems.txt", "name\tcode\nRuby\tr\n"},
                                                  {"data\\global\\excel\\other.txt", "x"}}));
    const QString mod = dir_.filePath("small.QLM");
    QVERIFY(testarchive::Build(mod, {{"data\\global\\excel\\gems.txt", "name\tcode\nRuby\tr\xe9\n"},
                                     {"data\\global\\ui\\new.dc6", "new"}}));
    const Run run = Compare({mod, game});
    QCOMPARE(run.exit, 1);
    QCOMPARE(run.out, (QList<QByteArray>{"changed data\\global\\excel\\gems.txt",
                                         "only here data\\global\\ui\\new.dc6",
                                         "data\\global\\excel\\gems.txt:Ruby:code: r\xc3\xa9 -> r"}));

    // A damaged archive of the game is named and nothing compared; a damaged
    // entry of the patch is never stood in for by the older archive's copy.
    QVERIFY(testarchive::Build(game + "/d2exp.mpq", {{"data\\global\\excel\\misc.txt", "x"}}));
    QVERIFY(testarchive::DamageHeader(game + "/d2exp.mpq"));
    Run damaged = Compare({mod, game});
    QCOMPARE(damaged.exit, 2);
    QVERIFY(damaged.out.isEmpty());
    QVERIFY2(damaged.err.contains("d2exp.mpq"), damaged.err.constData());
    // So is one whose tables were overwritten, though the library opens it.
    for (const auto table : {testarchive::Table::Hash, testarchive::Table::Block}) {
      QVERIFY(testarchive::Build(game + "/d2exp.mpq", {{"data\\global\\excel\\misc.txt", "x"}}));
      QVERIFY(testarchive::DamageTable(game + "/d2exp.mpq", table));
      damaged = Compare({mod, game});
      QCOMPARE(damaged.exit, 2);
      QVERIFY(damaged.out.isEmpty());
      QVERIFY2(damaged.err.contains("d2exp.mpq"), damaged.err.constData());
    }
    QVERIFY(QFile::remove(game + "/d2exp.mpq"));
    QVERIFY(testarchive::Build(game + "/patch_d2.mpq", {{"data\\global\\excel\\gems.txt", "name\tcode\nRuby\tr\xe9\n"}}));
    QVERIFY(testarchive::DamageEntry(game + "/patch_d2.mpq", "data\\global\\excel\\gems.txt"));
    damaged = Compare({mod, game});
    QCOMPARE(damaged.exit, 2);
    QVERIFY2(damaged.err.contains("cannot read data\\global\\excel\\gems.txt"), damaged.err.constData());
  }

  // A side that cannot be read, or wrong words: exit 2, the reason on the
  // error stream, nothing on the output.
  void failures() {
    const Run missing = Compare({here_, dir_.filePath("missing.QLM")});
    QCOMPARE(missing.exit, 2);
    QVERIFY(missing.out.isEmpty());
    QVERIFY(missing.err.contains("missing.QLM"));

    const Run one = Compare({here_});
    QCOMPARE(one.exit, 2);
    QVERIFY(one.err.contains("usage: quillforge compare"));
    const Run unknown = Compare({here_, there_, "--cells"});
    QCOMPARE(unknown.exit, 2);
    QVERIFY(unknown.err.contains("--cells"));
    QVERIFY(unknown.out.isEmpty());

    const Run help = Compare({"--help"});
    QCOMPARE(help.exit, 0);
    QCOMPARE(help.out.first(), "usage: quillforge compare MOD_OR_FOLDER OTHER [--prefix PREFIX] [--names-only]");
  }
};

QTEST_GUILESS_MAIN(TestCompareCommand)
#include "test_compare_command.moc"

// quillforge check: its output lines and exit codes, run as the command line
// runs it, with the mod, the game and the rules on disk.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>

#include "ArchiveBuilder.h"
#include "CheckSheetsHelp.h"
#include "Fixtures.h"
#include "cli/CheckCommand.h"
#include "platform/ConfigLocation.h"
#include "platform/Profile.h"

using checktest::Sheet;

namespace {

QByteArray Internal(const char* fileName) {
  return QByteArray("data\\global\\excel\\") + fileName;
}

QByteArray ReadBack(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  QByteArray out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, qsizetype(n));
  return out;
}

struct Run {
  int exit = -1;
  QByteArray out;
  QByteArray err;
};

Run Check(const QStringList& args) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  cli::Io io;
  io.out = out;
  io.err = err;
  Run r;
  r.exit = RunCheckCommand(args, io);
  r.out = ReadBack(out);
  r.err = ReadBack(err);
  std::fclose(out);
  std::fclose(err);
  return r;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

class TestCheckCommand : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString mod_;

 private slots:
  void initTestCase() {
    // No preferences file of the machine's own is read.
    config::SetProgramFolderForTesting(dir_.path());
    mod_ = dir_.filePath("mod.QLM");
    QVERIFY(testarchive::Build(
        mod_, {{Internal("UniqueItems.txt"), Sheet({"index|code|prop1|prop2|prop3|prop4",
                                                    "Cap|cap|allskills|||", "Odd|cap|allskills|||allskils"})},
               {Internal("weapons.txt"), Sheet({"name|code", "Axe|axe "})},
               {Internal("armor.txt"), Sheet({"name|code", "Cap|cap"})},
               {Internal("misc.txt"), Sheet({"name|code", "Ring|rin"})},
               {"readme.TXT", "A mod.\r\n"},
               {"data\\global\\ui\\x.dc6", "xxx"}}));
  }

  // One finding a line as compilers print them, then the summary; exit 1
  // with errors. Without the Properties sheet nothing names its codes.
  void findingsAsCompilerLines() {
    QVERIFY(testarchive::Build(dir_.filePath("patch_d2.mpq"),
                               {{Internal("Properties.txt"), Sheet({"code|stat1", "allskills|"})}},
                               testarchive::Storage::CompressedEncrypted, testarchive::Listing::NoListfile));
    Run r = Check({mod_, "--game", dir_.path()});
    QCOMPARE(r.exit, int(cli::kFound));
    QCOMPARE(
        r.out,
        QByteArray("data\\global\\excel\\UniqueItems.txt:3:prop4: error: \"allskils\" is not a Properties "
                   "code [ref]\n"
                   "data\\global\\excel\\weapons.txt:2:code: warning: \"axe \" ends with a space [space]\n"
                   "1 error, 1 warning in 5 sheets\n"));
    QCOMPARE(r.err, QByteArray());

    r = Check({mod_});
    QCOMPARE(r.exit, int(cli::kOk));
    QVERIFY(
        r.out.endsWith("0 errors, 1 warning in 5 sheets; references into sheets not at hand were not checked "
                       "(missing: Properties.txt)\n"));
  }

  // A rules file can turn the error off; warnings alone exit 0. Without
  // options, the preferences' game folder and rules file count.
  void rulesFileAndPreferences() {
    const QString rules = dir_.filePath("mine.rules");
    QVERIFY(WriteFile(rules, "allow UniqueItems.txt : prop{1..12} = allskils\n"));
    Run r = Check({mod_, "--rules=" + rules, "--game=" + dir_.path()});
    QCOMPARE(r.exit, int(cli::kOk));
    QVERIFY(r.out.startsWith("data\\global\\excel\\weapons.txt:2:code: warning:"));

    const Profile ini(config::IniFile());
    QVERIFY(ini.WriteString("Files", "Game", QFile::encodeName(dir_.path())));
    QVERIFY(ini.WriteString("Files", "Rules", QFile::encodeName(rules)));
    QCOMPARE(Check({mod_}).exit, int(cli::kOk));
    QCOMPARE(Check({mod_, "--rules", ""}).exit, int(cli::kFound));
    QVERIFY(ini.WriteString("Files", "Rules", ""));
    QCOMPARE(Check({mod_}).exit, int(cli::kFound));
    QVERIFY(ini.WriteString("Files", "Game", ""));
  }

  // What cannot be read ends the run with exit 2 and says why, on the error
  // stream; the output stream stays empty, but for a mod read in part.
  void cannotRun() {
    Run r = Check({dir_.filePath("missing.QLM")});
    QCOMPARE(r.exit, int(cli::kFailed));
    QVERIFY(r.err.contains("cannot read the mod"));
    QCOMPARE(r.out, QByteArray());

    QVERIFY(WriteFile(dir_.filePath("text.QLM"), "not an archive"));
    QCOMPARE(Check({dir_.filePath("text.QLM")}).exit, int(cli::kFailed));

    r = Check({mod_, "--game", dir_.filePath("nowhere")});
    QCOMPARE(r.exit, int(cli::kFailed));
    QVERIFY(r.err.contains("does not exist"));

    r = Check({mod_, "--rules", dir_.filePath("none.rules")});
    QCOMPARE(r.exit, int(cli::kFailed));
    QVERIFY(r.err.contains("cannot read the rules file"));

    // A sheet of the mod that cannot be read: named, exit 2, and the summary
    // says the check is incomplete instead of passing the mod.
    const QString broken = dir_.filePath("broken.QLM");
    QVERIFY(testarchive::Build(broken, {{Internal("weapons.txt"), Sheet({"name|code", "Axe|axe"})},
                                        {Internal("armor.txt"), Sheet({"name|code", "Cap|cap"})}}));
    QVERIFY(testarchive::DamageEntry(broken, Internal("armor.txt")));
    r = Check({broken, "--game", "", "--rules", ""});
    QCOMPARE(r.exit, int(cli::kFailed));
    QVERIFY(r.err.contains("cannot read data\\global\\excel\\armor.txt from the mod"));
    QVERIFY2(r.out.startsWith("check incomplete: 1 sheet could not be read; 0 errors"), r.out.constData());
    QCOMPARE(r.out.count('\n'), 1);

    QVERIFY(WriteFile(dir_.filePath("bad.rules"), "off dup\nforbid x\n"));
    r = Check({mod_, "--rules", dir_.filePath("bad.rules")});
    QCOMPARE(r.exit, int(cli::kFailed));
    QVERIFY(r.err.contains("bad.rules:2: unknown statement \"forbid\""));
    QCOMPARE(r.out, QByteArray());
  }

  // A game whose archives hold the item sheets finds the broken reference;
  // with any one archive damaged (its header, a table, or one sheet in it)
  // nothing is checked: the reason on the error stream, exit 2, never a pass.
  void damagedGameArchive() {
    QF_REQUIRE_FIXTURES();
    const QString excel = fixtures::modDir() + QStringLiteral("/data/global/excel/");
    const QString mod = dir_.filePath("uniques.QLM");
    QVERIFY(testarchive::Build(
        mod, {{Internal("UniqueItems.txt"), Sheet({"index|code", "Axe of Old|axe", "Nothing|qz9"})}}));
    const QString game = dir_.filePath("damaged-game");
    QVERIFY(QDir().mkpath(game));
    const auto buildGame = [&] {
      const auto none = testarchive::Listing::NoListfile;
      const auto packed = testarchive::Storage::CompressedEncrypted;
      return testarchive::Build(game + "/d2data.mpq",
                                {{Internal("weapons.txt"), fixtures::readAll(excel + "weapons.txt")},
                                 {Internal("misc.txt"), fixtures::readAll(excel + "misc.txt")}},
                                packed, none) &&
             testarchive::Build(game + "/d2exp.mpq", {{Internal("armor.txt"), Sheet({"name|code", "Cap|cap"})}},
                                packed, none);
    };
    QVERIFY(buildGame());
    Run r = Check({mod, "--game", game, "--rules", ""});
    QCOMPARE(r.exit, int(cli::kFound));
    QVERIFY(r.out.startsWith("data\\global\\excel\\UniqueItems.txt:3:code: error: \"qz9\" is not an item code"));

    enum class Part { Header, Entry, HashTable, BlockTable };
    const struct {
      const char* archive;
      Part part;
      QByteArray entry;
    } damages[] = {{"d2data.mpq", Part::Header, {}},
                   {"d2data.mpq", Part::Entry, Internal("weapons.txt")},
                   {"d2exp.mpq", Part::Header, {}},
                   {"d2data.mpq", Part::HashTable, {}},
                   {"d2exp.mpq", Part::BlockTable, {}}};
    for (const auto& damage : damages) {
      QVERIFY(buildGame());
      const QString path = game + '/' + damage.archive;
      switch (damage.part) {
        case Part::Header:
          QVERIFY(testarchive::DamageHeader(path));
          break;
        case Part::Entry:
          QVERIFY(testarchive::DamageEntry(path, damage.entry));
          break;
        case Part::HashTable:
          QVERIFY(testarchive::DamageTable(path, testarchive::Table::Hash));
          break;
        case Part::BlockTable:
          QVERIFY(testarchive::DamageTable(path, testarchive::Table::Block));
          break;
      }
      r = Check({mod, "--game", game, "--rules", ""});
      QCOMPARE(r.exit, int(cli::kFailed));
      QCOMPARE(r.out, QByteArray());
      QVERIFY2(r.err.contains(damage.archive), r.err.constData());
      if (!damage.entry.isEmpty()) QVERIFY(r.err.contains(damage.entry));
    }
  }

  // The fixture mod: after its findings, each message that repeats is
  // named once, with how often and where first, before the totals.
  void repeatedMessagesSummed() {
    QF_REQUIRE_FIXTURES();
    const QString excel = fixtures::modDir() + QStringLiteral("/data/global/excel");
    testarchive::Entries sheets;
    for (const QString& name : QDir(excel).entryList({QStringLiteral("*.txt")}, QDir::Files))
      sheets.append({fixtures::internalName(excel + '/' + name), fixtures::readAll(excel + '/' + name)});
    const QString mod = dir_.filePath("fixture.QLM");
    QVERIFY(testarchive::Build(mod, sheets));
    const Run r = Check({mod, "--rules", "", "--game", ""});
    QCOMPARE(r.exit, int(cli::kFound));

    // What the finding lines say: each message's count and first place.
    QList<QByteArray> lines = r.out.split('\n');
    QCOMPARE(lines.takeLast(), QByteArray());
    QVERIFY(lines.takeLast().contains(" errors, "));
    QMap<QByteArray, int> counts;
    QMap<QByteArray, QByteArray> firstAt;
    QList<QByteArray> summary;
    for (const QByteArray& line : lines) {
      const qsizetype severity = line.indexOf(": error: ");
      if (severity < 0) {
        summary.append(line);
        continue;
      }
      QVERIFY2(summary.isEmpty(), "a finding after the summary");
      const QByteArray message = line.mid(severity + 9);
      if (++counts[message] == 1) firstAt.insert(message, line.left(severity));
    }
    QStringList expected;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
      if (it.value() > 1)
        expected.append(QStringLiteral("%1 times: %2, first at %3")
                            .arg(it.value())
                            .arg(QString::fromLatin1(it.key()), QString::fromLatin1(firstAt.value(it.key()))));
    QVERIFY(!expected.isEmpty());
    QStringList got;
    for (const QByteArray& line : summary) got.append(QString::fromLatin1(line));
    got.sort();
    expected.sort();
    QCOMPARE(got, expected);
  }

  // Words that make no call: the reason and the usage on the error stream.
  void usage() {
    for (const QStringList& args :
         {QStringList{}, QStringList{mod_, "--fast"}, QStringList{mod_, mod_}, QStringList{mod_, "--game"}}) {
      const Run r = Check(args);
      QCOMPARE(r.exit, int(cli::kFailed));
      QVERIFY(r.err.contains("usage: quillforge check MOD.QLM"));
    }
    const Run help = Check({"--help"});
    QCOMPARE(help.exit, int(cli::kOk));
    QCOMPARE(help.out, QByteArray(kCheckUsage));
  }
};

QTEST_GUILESS_MAIN(TestCheckCommand)
#include "test_check_command.moc"

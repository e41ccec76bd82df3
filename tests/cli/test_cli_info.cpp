// info: the mod information shown as lines and as JSON, and changed with one
// Update, every byte of every text kept.
#include <QBuffer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "ArchiveBuilder.h"
#include "CliRun.h"
#include "Fixtures.h"
#include "archive/ArchiveReader.h"
#include "archive/ModInfo.h"
#include "platform/Ansi.h"

namespace {

QByteArray AllBytes(int from) {
  QByteArray bytes;
  for (int b = from; b < 256; ++b) bytes += char(b);
  return bytes;
}

// The record as the archive holds it, read past any NUL.
ModInfo StoredInfo(const QString& mod) {
  QBuffer record;
  record.open(QIODevice::ReadWrite);
  if (!ReadEntryToStream(mod, "(modinfo)", record)) return {};
  return DecodeModInfo(record.data(), true);
}

QJsonObject JsonInfo(const QString& mod) {
  const clirun::Result r = clirun::Run({QStringLiteral("info"), QStringLiteral("--json"), mod});
  if (r.code != 0) return {};
  return QJsonDocument::fromJson(r.out).object();
}

// Undoes the C escapes of a quoted line.
QByteArray Unquote(const QByteArray& text) {
  if (!text.startsWith('"')) return ansi::fromDisplay(QString::fromUtf8(text));
  QByteArray bytes;
  const QString inner = QString::fromUtf8(text.mid(1, text.size() - 2));
  for (qsizetype i = 0; i < inner.size(); ++i) {
    if (inner.at(i) != u'\\') {
      bytes += ansi::fromDisplay(inner.at(i));
      continue;
    }
    const QChar c = inner.at(++i);
    if (c == u'n')
      bytes += '\n';
    else if (c == u'r')
      bytes += '\r';
    else if (c == u't')
      bytes += '\t';
    else if (c.isDigit()) {
      bytes += char(inner.mid(i, 3).toInt(nullptr, 8));
      i += 2;
    } else
      bytes += char(c.unicode());
  }
  return bytes;
}

}  // namespace

class TestCliInfo : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir scratch_;

 private slots:
  void everyByteRoundTrips() {
    QVERIFY(scratch_.isValid());
    const QString tree = scratch_.filePath(QStringLiteral("tree"));
    QVERIFY(clirun::WriteFile(tree + QStringLiteral("/x.txt"), "x"));
    const QString descriptionFile = scratch_.filePath(QStringLiteral("description.bin"));
    const QByteArray description = AllBytes(0) + AllBytes(0);  // NULs too, from a file
    QVERIFY(clirun::WriteFile(descriptionFile, description));
    const QByteArray title = AllBytes(1);  // all an argument can carry
    const QString mod = scratch_.filePath(QStringLiteral("Bytes.QLM"));
    const clirun::Result built =
        clirun::Run({QStringLiteral("build"), tree, QStringLiteral("-o"), mod, QStringLiteral("--title"),
                     ansi::toDisplay(title), QStringLiteral("--description-file"), descriptionFile});
    QCOMPARE(built.code, 0);
    ModInfo stored = StoredInfo(mod);
    QCOMPARE(stored.texts[ModInfo::Title], title);
    QCOMPARE(stored.texts[ModInfo::Description], description);

    // Both forms give every byte back.
    const QJsonObject json = JsonInfo(mod);
    QCOMPARE(json.keys().size(), 6);
    QCOMPARE(ansi::fromDisplay(json.value(QStringLiteral("title")).toString()), title);
    QCOMPARE(ansi::fromDisplay(json.value(QStringLiteral("description")).toString()), description);
    QCOMPARE(json.value(QStringLiteral("game-version")).toString(), QString());
    const clirun::Result plain = clirun::Run({QStringLiteral("info"), mod});
    QCOMPARE(plain.code, 0);
    const QList<QByteArray> lines = plain.out.split('\n');
    QCOMPARE(lines.size(), 7);  // six lines and the end
    QVERIFY(lines.at(0).startsWith("title: "));
    QCOMPARE(Unquote(lines.at(0).mid(7)), title);
    QVERIFY(lines.at(5).startsWith("description: "));
    QCOMPARE(Unquote(lines.at(5).mid(13)), description);

    // What info shows goes back in as it came out, and the other texts stay whole.
    const QString shownTitle = json.value(QStringLiteral("title")).toString();
    const clirun::Result set = clirun::Run({QStringLiteral("info"), mod, QStringLiteral("--set-author"),
                                            shownTitle, QStringLiteral("--set-url=http://x/")});
    QCOMPARE(set.code, 0);
    QVERIFY(set.out.isEmpty());
    stored = StoredInfo(mod);
    QCOMPARE(stored.texts[ModInfo::Author], title);
    QCOMPARE(stored.texts[ModInfo::URL], QByteArray("http://x/"));
    QCOMPARE(stored.texts[ModInfo::Title], title);
    QCOMPARE(stored.texts[ModInfo::Description], description);
    QCOMPARE(clirun::Run({QStringLiteral("list"), mod}).out.count("(modinfo)"),
             1);  // replaced, not added twice
  }

  void fieldsByName() {
    const QString tree = scratch_.filePath(QStringLiteral("tree2"));
    QVERIFY(clirun::WriteFile(tree + QStringLiteral("/x.txt"), "x"));
    const QString mod = scratch_.filePath(QStringLiteral("Fields.QLM"));
    QCOMPARE(clirun::Run({QStringLiteral("build"), tree, QStringLiteral("-o"), mod, QStringLiteral("--title"),
                          QStringLiteral("T"), QStringLiteral("--author"), QStringLiteral("A"),
                          QStringLiteral("--game-version"), QStringLiteral("1.14d"), QStringLiteral("--url"),
                          QStringLiteral("U"), QStringLiteral("--version"), QStringLiteral("2.0")})
                 .code,
             0);
    const ModInfo stored = StoredInfo(mod);
    QCOMPARE(stored.texts[ModInfo::Title], QByteArray("T"));
    QCOMPARE(stored.texts[ModInfo::Author], QByteArray("A"));
    QCOMPARE(stored.texts[ModInfo::D2Version], QByteArray("1.14d"));
    QCOMPARE(stored.texts[ModInfo::URL], QByteArray("U"));
    QCOMPARE(stored.texts[ModInfo::ModVersion], QByteArray("2.0"));
    QCOMPARE(clirun::Run({QStringLiteral("info"), mod}).out,
             QByteArray("title: T\nauthor: A\ngame-version: 1.14d\nurl: U\nversion: 2.0\ndescription: \n"));
    QCOMPARE(clirun::Run({QStringLiteral("info"), mod, QStringLiteral("--set-version"), QStringLiteral("2.1"),
                          QStringLiteral("--set-game-version"), QStringLiteral("1.13c"),
                          QStringLiteral("--set-description"), QStringLiteral("two\r\nlines")})
                 .code,
             0);
    QCOMPARE(clirun::Run({QStringLiteral("info"), mod}).out,
             QByteArray("title: T\nauthor: A\ngame-version: 1.13c\nurl: U\nversion: 2.1\n"
                        "description: \"two\\r\\nlines\"\n"));
  }

  // A text with a character no single byte stands for is refused, naming
  // the option and the character, and nothing is written.
  void charactersWithoutByteRefused() {
    const QString tree = scratch_.filePath(QStringLiteral("tree4"));
    QVERIFY(clirun::WriteFile(tree + QStringLiteral("/x.txt"), "x"));
    const QString mod = scratch_.filePath(QStringLiteral("Kept.QLM"));
    QCOMPARE(clirun::Run({QStringLiteral("build"), tree, QStringLiteral("-o"), mod}).code, 0);
    const QByteArray before = fixtures::readAll(mod);
    const QString fresh = scratch_.filePath(QStringLiteral("Fresh.QLM"));
    const struct {
      QStringList args;
      const char* option;
      const char* character;  // as UTF-8
    } refusals[] = {
        {{QStringLiteral("info"), mod, QStringLiteral("--set-author"), QString::fromUtf8("\xCE\xA9mega")},
         "--set-author",
         "\"\xCE\xA9\" (U+03A9)"},
        {{QStringLiteral("build"), tree, QStringLiteral("-o"), fresh, QStringLiteral("--title"),
          QString::fromUtf8("caf\xC3\xA9 \xF0\x9F\x98\x80")},
         "--title",
         "\"\xF0\x9F\x98\x80\" (U+1F600)"},
        {{QStringLiteral("build"), tree, QStringLiteral("-o"), mod, QStringLiteral("--prefix"),
          QString::fromUtf8("\xE2\x82\xAC\xE2\x84\xA2\xCE\xA9")},
         "--prefix",
         "\"\xCE\xA9\" (U+03A9)"},
    };
    for (const auto& refusal : refusals) {
      const clirun::Result r = clirun::Run(refusal.args);
      QCOMPARE(r.code, 2);
      QCOMPARE(r.errLines().size(), 1);
      QVERIFY2(r.err.contains(refusal.option) && r.err.contains(refusal.character), r.err.constData());
      QCOMPARE(fixtures::readAll(mod), before);
      QVERIFY(!QFile::exists(fresh));
    }
  }

  // A mod made by another tool, without a record: empty texts, a note, and
  // --set gives it one.
  void modWithoutRecord() {
    const QString mod = scratch_.filePath(QStringLiteral("Bare.QLM"));
    QVERIFY(testarchive::Build(mod, {{"x.txt", "x"}}));
    const clirun::Result r = clirun::Run({QStringLiteral("info"), mod});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QByteArray("title: \nauthor: \ngame-version: \nurl: \nversion: \ndescription: \n"));
    QCOMPARE(r.errLines().size(), 1);
    QVERIFY(r.err.contains("(modinfo)"));
    QCOMPARE(
        clirun::Run({QStringLiteral("info"), mod, QStringLiteral("--set-title"), QStringLiteral("Now")}).code,
        0);
    QCOMPARE(StoredInfo(mod).texts[ModInfo::Title], QByteArray("Now"));
    QCOMPARE(clirun::Run({QStringLiteral("extract"), mod, scratch_.filePath(QStringLiteral("bare"))}).code,
             0);
    QCOMPARE(clirun::Tree(scratch_.filePath(QStringLiteral("bare"))),
             (QMap<QString, QByteArray>{{QStringLiteral("x.txt"), "x"}}));
  }
};

QTEST_GUILESS_MAIN(TestCliInfo)
#include "test_cli_info.moc"

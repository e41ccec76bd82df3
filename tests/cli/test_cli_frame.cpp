// The command line's frame: which arguments start the window, help, version,
// unknown commands and options, and the pieces every command shares (option
// words, name patterns, how single-byte text is written).
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>

#include "CliRun.h"
#include "archive/NamePattern.h"
#include "cli/CommandLine.h"
#include "cli/CommandTable.h"
#include "cli/Options.h"
#include "cli/OutputText.h"
#include "platform/Ansi.h"

class TestCliFrame : public QObject {
  Q_OBJECT

 private slots:
  void windowOrCommand() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QFile named(QStringLiteral("list"));
    QVERIFY(named.open(QIODevice::WriteOnly));
    named.close();

    QVERIFY(!cli::WantsCommandLine({}));
    QVERIFY(!cli::WantsCommandLine({QStringLiteral("Missing.QLM")}));
    QVERIFY(!cli::WantsCommandLine({QStringLiteral("patch_d2.mpq")}));
    QVERIFY(!cli::WantsCommandLine({QStringLiteral("file:///tmp/a%20b.qlm")}));
    // A file that happens to carry a command's name is a mod to open.
    QVERIFY(!cli::WantsCommandLine({QStringLiteral("list")}));
    QVERIFY(cli::WantsCommandLine({QStringLiteral("info")}));
    QVERIFY(cli::WantsCommandLine({QStringLiteral("list"), QStringLiteral("x.QLM")}));
    QVERIFY(cli::WantsCommandLine({QStringLiteral("--help")}));
    QVERIFY(cli::WantsCommandLine({QStringLiteral("-q")}));
    QDir::setCurrent(previous);
  }

  void helpListsEveryCommandAndDescribesEach() {
    const clirun::Result help = clirun::Run({QStringLiteral("--help")});
    QCOMPARE(help.code, 0);
    QVERIFY(help.err.isEmpty());
    QCOMPARE(clirun::Run({QStringLiteral("-h")}).out, help.out);
    QCOMPARE(clirun::Run({QStringLiteral("help")}).out, help.out);
    for (const cli::Command& command : cli::Commands()) {
      // One line each: the name, then its summary.
      const QByteArray line = QByteArray(command.name).leftJustified(10, ' ') + ' ' + command.summary + '\n';
      QVERIFY2(help.out.contains(line), command.name);
      const clirun::Result usage = clirun::Run({QString::fromLatin1(command.name), QStringLiteral("--help")});
      QCOMPARE(usage.code, 0);
      QCOMPARE(usage.out, QByteArray(command.usage));
      QVERIFY(usage.out.startsWith("usage: quillforge " + QByteArray(command.name)));
      QVERIFY2(usage.out.contains("Example"), command.name);
      QCOMPARE(clirun::Run({QStringLiteral("help"), QString::fromLatin1(command.name)}).out, usage.out);
    }
    const clirun::Result version = clirun::Run({QStringLiteral("--version")});
    QCOMPARE(version.code, 0);
    QVERIFY(version.out.startsWith("quillforge "));
    QVERIFY(version.out.endsWith('\n'));
  }

  void unknownCommandsAndOptionsAreUsageErrors() {
    struct Case {
      QStringList args;
      QByteArray named;
    };
    const QList<Case> cases = {
        {{QStringLiteral("frobnicate"), QStringLiteral("x")}, "'frobnicate'"},
        {{QStringLiteral("--frobnicate")}, "'--frobnicate'"},
        {{QStringLiteral("list"), QStringLiteral("--bogus"), QStringLiteral("m.QLM")}, "'--bogus'"},
        {{QStringLiteral("info"), QStringLiteral("m.QLM"), QStringLiteral("--set-bogus=1")}, "'--set-bogus'"},
        {{QStringLiteral("build"), QStringLiteral("d"), QStringLiteral("-o")}, "'-o'"},
        {{QStringLiteral("list"), QStringLiteral("--long=yes"), QStringLiteral("m.QLM")}, "'--long'"},
        {{QStringLiteral("help"), QStringLiteral("frobnicate")}, "'frobnicate'"},
        {{QStringLiteral("-q")}, "no command"},
    };
    for (const Case& c : cases) {
      const clirun::Result r = clirun::Run(c.args);
      QCOMPARE(r.code, 2);
      QVERIFY(r.out.isEmpty());
      QCOMPARE(r.errLines().size(), 1);
      QVERIFY2(r.err.startsWith("quillforge: ") && r.err.contains(c.named), r.err.constData());
    }
  }

  // Output that cannot be written (a full disk, a closed pipe) is a failure,
  // whatever the command made of its work.
  void outputThatCannotBeWrittenFails() {
    for (const QStringList& words :
         {QStringList{QStringLiteral("--version")}, QStringList{QStringLiteral("--help")},
          QStringList{QStringLiteral("help"), QStringLiteral("list")}}) {
      std::FILE* full = std::fopen("/dev/full", "w");
      std::FILE* errors = std::tmpfile();
      QVERIFY(full && errors);
      cli::Io io;
      io.out = full;
      io.err = errors;
      const int status = cli::RunCommandLine(words, io);
      std::fflush(errors);
      const long complained = std::ftell(errors);
      std::fclose(full);
      std::fclose(errors);
      QCOMPARE(status, int(cli::kFailed));
      QVERIFY2(complained > 0, qPrintable(words.join(u' ')));
    }
    // Through the program itself, with its standard output on a full disk.
    QProcess process;
    process.setStandardOutputFile(QStringLiteral("/dev/full"));
    process.start(QStringLiteral(QF_QUILLFORGE), {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), int(cli::kFailed));
    QVERIFY(process.readAllStandardError().contains("quillforge: "));
  }

  void optionWords() {
    cli::Options options;
    options.Flag(QStringLiteral("--long"), QStringLiteral("-l"));
    options.Value(QStringLiteral("--output"), QStringLiteral("-o"));
    QVERIFY(options.Parse({QStringLiteral("a"), QStringLiteral("-o"), QStringLiteral("-x"),
                           QStringLiteral("-l"), QStringLiteral("--output=b=c"), QStringLiteral("--"),
                           QStringLiteral("--long"), QStringLiteral("-")}));
    QCOMPARE(options.Positional(),
             QStringList({QStringLiteral("a"), QStringLiteral("--long"), QStringLiteral("-")}));
    QVERIFY(options.Given(QStringLiteral("--long")));
    QCOMPARE(options.ValueOf(QStringLiteral("--output")), QStringLiteral("b=c"));  // the last one given
    QVERIFY(!options.Parse({QStringLiteral("--output")}));
    QVERIFY(options.Error().contains(QLatin1String("needs a value")));
    QVERIFY(!options.Given(QStringLiteral("--long")));  // nothing kept from an earlier parse
  }

  void namePatterns() {
    const names::NamePattern sheets("data\\global\\EXCEL\\*.txt");
    QVERIFY(sheets.HasWildcards());
    QVERIFY(sheets.Matches("Data\\Global\\excel\\Weapons.TXT"));
    QVERIFY(sheets.Matches("data\\global\\excel\\sub\\x.txt"));  // a star crosses levels
    QVERIFY(!sheets.Matches("data\\global\\excel\\Weapons.txt.bak"));
    QVERIFY(!sheets.Matches("data\\global\\excel.txt"));
    const names::NamePattern one("a?c*d*e");
    QVERIFY(one.Matches("abcXXdYYe"));
    QVERIFY(one.Matches("aXcde"));
    QVERIFY(!one.Matches("ac_de"));
    QVERIFY(!one.Matches("abcdd"));
    QVERIFY(names::NamePattern("*").Matches(""));
    const names::NamePattern exact("data\\local\\USE");
    QVERIFY(!exact.HasWildcards());
    QVERIFY(exact.Matches("DATA\\LOCAL\\use"));
    QVERIFY(!exact.Matches("data\\local\\USE2"));
    // Accented letters fold as the archive's names do.
    QVERIFY(names::NamePattern("\xC9t\xE9*").Matches("\xE9T\xC9.txt"));
  }

  // Every byte comes back from the quoted line and from the JSON string.
  void textFormsKeepEveryByte() {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all += char(b);
    QByteArray json = "{\"t\": " + cli::JsonText(all) + "}";
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(ansi::fromDisplay(doc.object().value(QStringLiteral("t")).toString()), all);
    for (const char c : json) QVERIFY(uchar(c) >= 32 && uchar(c) != 127);  // printable on any terminal

    QCOMPARE(cli::LineText("plain text \xE9"), QStringLiteral("plain text \u00E9").toUtf8());
    QCOMPARE(cli::LineText("a\r\nb\t\"c\"\\"), QByteArray("\"a\\r\\nb\\t\\\"c\\\"\\\\\""));
    QCOMPARE(cli::LineText(QByteArray("\0\x1b\x7f", 3)), QByteArray("\"\\000\\033\\177\""));
    QCOMPARE(cli::LineText("\"quoted\""), QByteArray("\"\\\"quoted\\\"\""));
  }
};

QTEST_GUILESS_MAIN(TestCliFrame)
#include "test_cli_frame.moc"

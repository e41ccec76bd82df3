// Export All: the listed rows written below a chosen folder, one folder level
// per backslash; names that would land outside it are never written; one
// question for files already there; a failed write leaves no file behind.
#include <QtTest>

#include "Fixtures.h"
#include "Workspace.h"
#include "platform/ReplacingFile.h"

using cmd::Workspace;

namespace {

QString Make(Workspace& ws, const QString& name, const QByteArray& bytes) {
  const QString file = QDir(ws.inputDir()).filePath(name);
  fixtures::writeAll(file, bytes);
  return file;
}

// A mod holding each name with the given bytes, written by Update and opened
// again, so that every row reads from the archive; sorted by name.
void MakeMod(Workspace& ws, const QList<QPair<QByteArray, QByteArray>>& entries) {
  const QString mod = ws.path("out/all.QLM");
  ws.New(mod);
  for (const auto& [name, bytes] : entries)
    ws.Add({Make(ws, QString::number(ws.w->Rows->Count()), bytes)}, {name});
  ws.Update();
  ws.Open(mod);
  ws.w->Rows->sort(ModListModel::NameColumn);
}

}  // namespace

class TestCmdExportAll : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    if (!cmd::HaveSmpq()) QSKIP("smpq is not installed");
  }

  void namesOutsideTheFolderAreNeverWritten() {
    Workspace ws;
    MakeMod(ws, {{"..\\..\\x", "up"},
                 {"C:\\x", "drive"},
                 {"\\x", "root"},
                 {"a\\\\b", "empty level"},
                 {"ok\\.\\y", "dot"},
                 {"sub\\\xE9t\xE9.txt", "kept"}});
    const QString out = ws.path("out/e/f");
    ws.ui.AnswerMessage(ui::idOk);
    ws.ExportAll(out);
    QCOMPARE(cmd::ReadTree(ws.path("out")).keys(),
             (QStringList{"all.QLM", QStringLiteral("e/f/sub/\u00E9t\u00E9.txt")}));
    QCOMPARE(fixtures::readAll(QDir(out).filePath(QStringLiteral("sub/\u00E9t\u00E9.txt"))),
             QByteArray("kept"));
    QCOMPARE(ws.ui.messages.last().text,
             QStringLiteral("These files were not exported:\n..\\..\\x\n\\x\na\\\\b\n"
                            "C:\\x\nok\\.\\y"));
    QCOMPARE(ws.ui.messages.last().title, QStringLiteral("Export All"));
  }

  void oneQuestionForFilesAlreadyThere_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<bool>("bWritten");
    QTest::newRow("Yes") << int(ui::idYes) << QByteArray("new a") << true;
    QTest::newRow("No") << int(ui::idNo) << QByteArray("old a") << true;
    QTest::newRow("Cancel") << int(ui::idCancel) << QByteArray("old a") << false;
  }
  void oneQuestionForFilesAlreadyThere() {
    QFETCH(int, answer);
    QFETCH(QByteArray, a);
    QFETCH(bool, bWritten);
    Workspace ws;
    MakeMod(ws, {{"d\\a", "new a"}, {"d\\b", "new b"}});
    const QString out = ws.path("x");
    QVERIFY(QDir().mkpath(out + "/d") && fixtures::writeAll(out + "/d/a", "old a"));
    ws.ui.AnswerMessage(answer);
    ws.ExportAll(out);
    QCOMPARE(ws.ui.messages.last().text,
             QStringLiteral("1 files already exist in %1. Replace them?").arg(QDir::toNativeSeparators(out)));
    QCOMPARE(ws.ui.messages.last().title, QStringLiteral("Replace Files"));
    QCOMPARE(ws.ui.messages.last().flags, ui::mbYesNoCancel | ui::mbIconQuestion);
    QCOMPARE(fixtures::readAll(out + "/d/a"), a);
    QCOMPARE(QFileInfo::exists(out + "/d/b"), bWritten);
  }

  void failedWritesLeaveNoPartFileAndAreNamed() {
    Workspace ws;
    MakeMod(ws, {{"big", QByteArray(100000, 'b')},
                 {"small", "s"},
                 {"old", QByteArray(5000, 'n')},
                 {"blocked\\x", "x"}});
    const QString out = ws.path("x");
    QVERIFY(QDir().mkpath(out) && fixtures::writeAll(out + "/old", "old file") &&
            fixtures::writeAll(out + "/blocked", "a file where a folder is needed"));
    files::ReplacingFile::SetWriteLimitForTesting(1000);  // as a full disk would
    ws.ui.AnswerMessage(ui::idYes);
    ws.ui.AnswerMessage(ui::idOk);
    ws.ExportAll(out);
    files::ReplacingFile::SetWriteLimitForTesting(-1);
    QCOMPARE(ws.ui.messages.last().text,
             QStringLiteral("These files were not exported:\nbig\nblocked\\x\nold"));
    QCOMPARE(cmd::ReadTree(out),
             (QMap<QString, QByteArray>{
                 {"small", "s"}, {"old", "old file"}, {"blocked", "a file where a folder is needed"}}));
  }

  // Links planted in the target folder (data -> a config folder, a file
  // name -> a file outside) are never written through, nor counted as files
  // already there: their rows are named as not exported.
  void plantedLinksAreNeverFollowed() {
    Workspace ws;
    MakeMod(ws, {{"data\\autostart\\x.desktop", "planted"}, {"d\\rc", "planted"}, {"d\\ok", "ok"}});
    const QString out = ws.path("x");
    const QString config = ws.path("config");
    QVERIFY(QDir().mkpath(out + "/d") && QDir().mkpath(config + "/autostart"));
    QVERIFY(fixtures::writeAll(config + "/autostart/x.desktop", "theirs") &&
            fixtures::writeAll(config + "/rc", "theirs"));
    QVERIFY(QFile::link(config, out + "/data") && QFile::link(config + "/rc", out + "/d/rc"));
    const qsizetype before = ws.ui.messages.size();
    ws.ui.AnswerMessage(ui::idOk);
    ws.ExportAll(out);
    QCOMPARE(ws.ui.messages.size(), before + 1);  // no question about files already there
    QCOMPARE(ws.ui.messages.last().text,
             QStringLiteral("These files were not exported:\nd\\rc\ndata\\autostart\\x.desktop"));
    QCOMPARE(cmd::ReadTree(config),
             (QMap<QString, QByteArray>{{"autostart/x.desktop", "theirs"}, {"rc", "theirs"}}));
    QCOMPARE(fixtures::readAll(out + "/d/ok"), QByteArray("ok"));
    QVERIFY(QFileInfo(out + "/d/rc").isSymLink());
  }

  // The entries go out on every core, each file its own entry's bytes; a
  // link on the way below the folder stops the file behind it.
  void manyEntriesAndNoLinkFollowed() {
    Workspace ws;
    QList<QPair<QByteArray, QByteArray>> entries;
    for (int i = 0; i < 120; ++i)
      entries.append(QPair<QByteArray, QByteArray>(
          "d" + QByteArray::number(i % 7) + "\\e" + QByteArray::number(i),
          QByteArray(100 + i * 997, char('a' + i % 26)) + QByteArray::number(i)));
    entries.append(QPair<QByteArray, QByteArray>("linked\\x", "x"));
    MakeMod(ws, entries);
    const QString out = ws.path("x"), outside = ws.path("elsewhere");
    QVERIFY(QDir().mkpath(out) && QDir().mkpath(outside));
    QVERIFY(QFile::link(outside, out + "/linked"));
    ws.ui.AnswerMessage(ui::idOk);
    ws.ExportAll(out);
    QCOMPARE(ws.ui.messages.last().text, QStringLiteral("These files were not exported:\nlinked\\x"));
    QVERIFY(QDir(outside).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    for (const auto& [name, bytes] : std::as_const(entries)) {
      if (name.startsWith("linked")) continue;
      QCOMPARE(fixtures::readAll(out + "/" + QString::fromLatin1(name).replace('\\', '/')), bytes);
    }
  }
};

QTEST_MAIN(TestCmdExportAll)
#include "test_cmd_exportall.moc"

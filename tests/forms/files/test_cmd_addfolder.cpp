// Add Folder: a whole tree under one typed internal folder, into the archive
// and back; one replace question for every name already listed; what cannot
// be added is left out and named, and nothing else is lost (links, FIFOs and
// raw byte names: test_cmd_addfolder_posix).
#include <QHeaderView>
#include <QProcess>
#include <QtTest>

#include "Fixtures.h"
#include "Workspace.h"
#include "archive/ArchiveReader.h"
#include "archive/Names.h"
#include "forms/files/FilteredRows.h"
#include "forms/widgets/StatusCancelButton.h"

using cmd::Workspace;

namespace {

QString Make(const QString& path, const QByteArray& bytes = "x") {
  QDir().mkpath(QFileInfo(path).absolutePath());
  fixtures::writeAll(path, bytes);
  return path;
}

// The Size column shows every size text whole, and is never under 75 pixels.
bool SizeColumnFits(const Workspace& ws) {
  const int width = ws.w->ListView->header()->sectionSize(1);
  for (int row = 0; row < ws.w->Shown->rowCount(); ++row)
    if (ws.w->ListView->sizeHintForIndex(ws.w->Shown->index(row, 1)).width() > width) return false;
  return width >= 75;
}

}  // namespace

class TestCmdAddFolder : public QObject {
  Q_OBJECT
 private slots:
  void fixturesTreeGoesInAndComesBackOut() {
    QF_REQUIRE_FIXTURES();
    Workspace ws;
    const QString mod = ws.path("out/tree.QLM");
    ws.New(mod);
    ws.w->LastInternalDir = "mods\\";
    ws.AddFolder(QDir(fixtures::modDir()).filePath("data"), QByteArray("data"));
    QCOMPARE(ws.ui.folders[0].caption, QStringLiteral("Add Folder"));
    QCOMPARE(ws.ui.folders[0].startDir, ws.inputDir());
    QCOMPARE(ws.ui.prompts[0].caption, QStringLiteral("Internal Folder"));
    QCOMPARE(ws.ui.prompts[0].prompt, QStringLiteral("Enter the internal directory for the files:"));
    QCOMPARE(ws.ui.prompts[0].preset, QByteArray("mods\\data\\"));
    QCOMPARE(ws.w->LastInternalDir, QByteArray("data\\"));  // the backslash added

    // Every file, sorted by name without regard to case, with its size.
    QList<QPair<QByteArray, QString>> expected;
    for (const QString& f : fixtures::allFiles())
      expected.append({fixtures::internalName(f), SizeText(qint32(QFileInfo(f).size()))});
    std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
      return names::Key(a.first) != names::Key(b.first) ? names::Key(a.first) < names::Key(b.first)
                                                        : a.first < b.first;
    });
    const auto listed = [&ws] {
      QList<QPair<QByteArray, QString>> rows;
      for (const ModEntry& e : ws.w->Rows->Rows()) rows.append({e.Caption, e.SizeText});
      return rows;
    };
    QCOMPARE(listed(), expected);
    QCOMPARE(ws.UpdateState(), QStringLiteral("on"));
    QVERIFY(SizeColumnFits(ws) && ws.w->ListView->header()->sectionSize(1) > 75);

    ws.Update();
    ws.Open(mod);
    ws.w->Rows->sort(ModListModel::NameColumn);
    QCOMPARE(listed(), expected);
    QVERIFY(SizeColumnFits(ws) && ws.w->ListView->header()->sectionSize(1) > 75);
    // smpq (where it runs beside the test) reads the same tree out of it, and so does Export All.
    if (cmd::HaveSmpq()) {
      QTemporaryDir out;
      QProcess smpq;
      smpq.setWorkingDirectory(out.path());
      smpq.start(QStringLiteral("/usr/bin/smpq"), {"-x", mod});
      QVERIFY(smpq.waitForFinished(60000) && smpq.exitCode() == 0);
      QMap<QString, QByteArray> extracted = cmd::ReadTree(out.path());
      extracted.remove(QStringLiteral("(modinfo)"));
      QCOMPARE(extracted, cmd::FixtureTree());
    }
    ws.ExportAll(ws.path("export"));
    QCOMPARE(ws.ui.folders.last().caption, QStringLiteral("Export All"));
    QCOMPARE(ws.ui.folders.last().startDir, ws.inputDir());
    QCOMPARE(cmd::ReadTree(ws.path("export")), cmd::FixtureTree());  // and no temporary file

    ws.New(ws.path("out/empty.QLM"));  // back to the least width
    QCOMPARE(ws.w->ListView->header()->sectionSize(1), 75);
  }

  void oneQuestionForNamesAlreadyListed_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("Yes") << int(ui::idYes);
    QTest::newRow("No") << int(ui::idNo);
    QTest::newRow("Cancel") << int(ui::idCancel);
  }
  void oneQuestionForNamesAlreadyListed() {
    QFETCH(int, answer);
    Workspace ws;
    ws.New(ws.path("out/r.QLM"));
    const QString pack = ws.path("in/pack");
    Make(pack + "/a.txt", "new a");
    Make(pack + "/sub/b.txt");
    Make(pack + "/c.txt");
    ws.Add({Make(ws.path("in/old.txt"), "old")}, {QByteArray("PACK\\A.txt")});
    ws.w->RemovedNames = {"pack\\C.TXT"};  // removed earlier, now back
    ws.w->CommandsUpdated();
    ws.ui.AnswerMessage(answer);
    ws.AddFolder(pack, QByteArray("pack"));
    QCOMPARE(ws.ui.messages.size(), 1);
    QCOMPARE(ws.ui.messages[0].text,
             QStringLiteral("1 of these files are already in the mod. Replace them?"));
    QCOMPARE(ws.ui.messages[0].title, QStringLiteral("Replace Files"));
    QCOMPARE(ws.ui.messages[0].flags, ui::mbYesNoCancel | ui::mbIconQuestion);
    const ModEntry first = ws.w->Rows->Row(0);
    QCOMPARE(first.Caption, QByteArray("PACK\\A.txt"));
    QCOMPARE(first.SizeText, QStringLiteral("3 Bytes"));  // the size text stays
    if (answer == ui::idCancel) {
      QCOMPARE(ws.w->Rows->Count(), 1);
      QCOMPARE(ws.UpdateState(), QStringLiteral("off"));
      QCOMPARE(ws.w->RemovedNames, QList<QByteArray>{"pack\\C.TXT"});
      return;
    }
    QCOMPARE(ws.Captions(), (QList<QByteArray>{"PACK\\A.txt", "pack\\c.txt", "pack\\sub\\b.txt"}));
    QCOMPARE(first.SourcePath.endsWith("/pack/a.txt"), answer == ui::idYes);
    QCOMPARE(ws.UpdateState(), QStringLiteral("on"));
    QVERIFY(ws.w->RemovedNames.isEmpty());
  }

  // Esc, or the Cancel beside the progress bar, stops a long walk; nothing
  // is added then, and the button goes again.
  void walkStopsOnEscOrCancel_data() {
    QTest::addColumn<bool>("byKey");
    QTest::newRow("Esc") << true;
    QTest::newRow("Cancel") << false;
  }
  void walkStopsOnEscOrCancel() {
    QFETCH(bool, byKey);
    Workspace ws;
    ws.New(ws.path("out/w.QLM"));
    const QString mod = ws.path("in/mod");
    for (int i = 0; i < 50; ++i) Make(mod + QStringLiteral("/f%1/x.txt").arg(i));
    StatusCancelButton* cancel = ws.w->btnCancelProgress;
    QVERIFY(!cancel->isVisible() && !cancel->isEnabled());
    QCOMPARE(cancel->accessibleName(), QStringLiteral("Cancel"));
    ws.w->show();
    bool shown = false;
    ws.ui.OnPump([&] {
      if (shown) return;
      shown = cancel->isVisible();
      if (byKey)
        QTest::keyClick(ws.w->ListView, Qt::Key_Escape);
      else
        cancel->click();
    });
    ws.AddFolder(mod, QByteArray("m"));
    ws.ui.OnPump({});
    QVERIFY(shown);
    QVERIFY(!cancel->isVisible() && !cancel->isEnabled());
    QCOMPARE(ws.w->Rows->Count(), 0);
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));
    QVERIFY(ws.ui.messages.isEmpty());
  }

  // A file of 2 GiB or more shows its whole size (a sparse file: no disk).
  void sizesPast2GiBShowWhole() {
    Workspace ws;
    ws.New(ws.path("out/big.QLM"));
    const QString big = Make(ws.path("in/big/huge.bin"), "");
    QVERIFY(QFile::resize(big, qint64(3) << 30));
    ws.AddFolder(ws.path("in/big"), QByteArray());
    QCOMPARE(ws.SizeTexts(), QStringList{"3221225472 Bytes"});
  }

  void cancelledPromptChangesNothing() {
    Workspace ws;
    ws.New(ws.path("out/c.QLM"));
    Make(ws.inputDir() + "/a.txt");
    ws.ui.ConfirmFolder(ws.inputDir());
    ws.ui.CancelPrompt();
    ws.w->mniAddFolder->trigger();
    QVERIFY(ws.w->Rows->Count() == 0 && ws.w->LastInternalDir.isEmpty());
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));
  }
};

QTEST_MAIN(TestCmdAddFolder)
#include "test_cmd_addfolder.moc"

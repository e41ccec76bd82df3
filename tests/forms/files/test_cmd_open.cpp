// Open on archives made by smpq: with and without "(modinfo)", a listfile that
// names only "(modinfo)", a file that is no archive, and what the window
// allows while the loading loop lets messages through.
#include <QFileInfo>
#include <QtTest>

#include "Fixtures.h"
#include "Workspace.h"
#include "forms/widgets/StatusProgressBar.h"
#include "platform/Files.h"

using cmd::Workspace;

namespace {

const QString kError = QStringLiteral("Error");
const QString kListfileError = QStringLiteral("Error reading archive listfile.");
const QString kModInfoError = QStringLiteral("Error reading mod information.");

QMap<QString, QByteArray> SmallTree() {
  return {{"data/global/excel/Arena.txt", "Arena\tSuicide\r\n1\t2\r\n"},
          {"data/global/ui/blob.bin", QByteArray("\0\x01\r\n\xFF", 5)},
          {"data/empty.txt", QByteArray()}};
}

QList<QByteArray> Without(QList<QByteArray> lines, const QByteArray& name) {
  lines.removeAll(name);
  return lines;
}

}  // namespace

class TestCmdOpen : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    if (!cmd::HaveSmpq()) QSKIP("smpq is not installed");
  }

  void opensAModWithItsRecord() {
    QF_REQUIRE_FIXTURES();
    Workspace ws;
    QMap<QString, QByteArray> tree = cmd::FixtureTree(QStringLiteral("data/global/excel"));
    tree.insert("data/global/ui/blob.bin", QByteArray("\0\x01\r\n\xFF", 5));
    tree.insert("(modinfo)", EncodeModInfo(cmd::SampleModInfo()));
    const QString mod = ws.path("with.QLM");
    QVERIFY(cmd::SmpqCreate(mod, tree));

    QList<int> positions;
    ws.ui.OnPump([&] {
      positions << ws.w->ProgressBar->Position();
      QVERIFY(ws.w->ModFileName.isEmpty());
      QCOMPARE(ws.w->Rows->Count(), 0);  // rows go in together at the end
    });
    ws.Open(mod);

    const FileDialog& d = ws.ui.fileDialogs.at(0).dialog;
    QCOMPARE(d.Title, QStringLiteral("Open Diablo II Mod"));
    QCOMPARE(d.Filter, QStringLiteral("Diablo II Mods (*.QLM)|*.QLM|All Files (*.*)|*.*"));
    QCOMPARE(d.Options, 0x8030Cu);
    QCOMPARE(d.FileName, QString());
    QCOMPARE(d.InitialDir, ws.outputDir());
    QVERIFY(ws.ui.messages.isEmpty());

    // Every listed name but "(modinfo)" is a row, in listfile order, sized.
    const QList<QByteArray>& names = ws.w->ArchiveNames;
    QCOMPARE(names.size(), tree.size());
    QVERIFY(names.contains("(modinfo)"));
    QCOMPARE(ws.Captions(), Without(names, "(modinfo)"));
    for (int i = 0; i < ws.w->Rows->Count(); ++i) {
      const ModEntry& e = ws.w->Rows->Row(i);
      QString relative = QString::fromLatin1(e.Caption).replace('\\', '/');
      QCOMPARE(e.SizeText, QStringLiteral("%1 Bytes").arg(tree.value(relative).size()));
      QVERIFY(e.SourcePath.isEmpty());
    }
    // The bar moves to i + 1 for each row, never for "(modinfo)", and ends at 0.
    QList<int> expected;
    for (int i = 0; i < names.size(); ++i)
      if (names.at(i) != "(modinfo)") expected << i + 1;
    QCOMPARE(positions, expected);
    QCOMPARE(ws.w->ProgressBar->Position(), 0);
    QCOMPARE(ws.ui.cursors, (QList<int>{-11, 0}));

    QVERIFY(cmd::SameModInfo(ws.w->ModInfoFromFields(), cmd::SampleModInfo()));
    QCOMPARE(ws.w->ModFileName, mod);
    QCOMPARE(ws.w->windowTitle(),
             QStringLiteral("Quillforge (with.QLM, %1 bytes)").arg(QFileInfo(mod).size()));
    QCOMPARE(ws.w->SelectedRow(), 0);
    QVERIFY(ws.EntryCommandsOn());
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));  // filling the fields does not count as a change
    QVERIFY(ws.w->RemovedNames.isEmpty());
  }

  void missingRecordEmptiesTheFields() {
    Workspace ws;
    const QString mod = ws.path("without.QLM");
    QVERIFY(cmd::SmpqCreate(mod, SmallTree()));
    ws.SetModInfo(cmd::SampleModInfo());
    ws.w->CommandsUpdated();
    ws.ui.AnswerMessage(ui::idOk);
    ws.Open(mod);

    QCOMPARE(ws.ui.messages.size(), 1);
    QCOMPARE(ws.ui.messages[0].text, kModInfoError);
    QCOMPARE(ws.ui.messages[0].title, kError);
    QCOMPARE(ws.ui.messages[0].flags, 16);
    QVERIFY(cmd::SameModInfo(ws.w->ModInfoFromFields(), ModInfo{}));
    QCOMPARE(ws.w->Rows->Count(), 3);
    QCOMPARE(ws.w->ModFileName, mod);
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));
  }

  void listfileNamingOnlyTheRecord() {
    Workspace ws;
    const QString mod = ws.path("only.QLM");
    QVERIFY(cmd::SmpqCreate(mod, {{"(modinfo)", EncodeModInfo(cmd::SampleModInfo())}}));
    ws.Open(mod);
    QCOMPARE(ws.w->ArchiveNames, (QList<QByteArray>{"(modinfo)"}));
    QCOMPARE(ws.w->Rows->Count(), 0);
    QCOMPARE(ws.w->SelectedRow(), -1);
    QCOMPARE(ws.ui.pumps, 0);  // the bar never moved
    QVERIFY(cmd::SameModInfo(ws.w->ModInfoFromFields(), cmd::SampleModInfo()));
    QVERIFY(ws.EntryCommandsOn());
  }

  void recordSpelledOtherwiseIsAnEntry() {
    Workspace ws;
    const QString mod = ws.path("caps.QLM");
    QVERIFY(cmd::SmpqCreate(mod, {{"(MODINFO)", EncodeModInfo(cmd::SampleModInfo())}, {"a.txt", "x"}}));
    ws.Open(mod);
    QVERIFY(ws.Captions().contains("(MODINFO)"));
    QCOMPARE(ws.w->Rows->Count(), 2);
  }

  void fileThatIsNoArchive() {
    Workspace ws;
    const QString mod = ws.path("junk.QLM");
    QVERIFY(fixtures::writeAll(mod, QByteArray(3000, 'j')));
    // The list, not repainted while it fills, still paints behind the boxes.
    QList<bool> paints;
    for (int i = 0; i < 2; ++i)
      ws.ui.AnswerMessage(ui::idOk, [&] { paints << ws.w->ListView->updatesEnabled(); });
    ws.Open(mod);
    QCOMPARE(paints, (QList<bool>{true, true}));
    QCOMPARE(ws.ui.messages.size(), 2);
    QCOMPARE(ws.ui.messages[0].text, kListfileError);
    QCOMPARE(ws.ui.messages[1].text, kModInfoError);
    for (const auto& m : ws.ui.messages) QCOMPARE(m.flags, 16);
    QVERIFY(ws.w->ArchiveNames.isEmpty());
    QCOMPARE(ws.w->Rows->Count(), 0);
    QCOMPARE(ws.w->ModFileName, mod);  // it counts as open
    QCOMPARE(ws.w->windowTitle(), QStringLiteral("Quillforge (junk.QLM, 3000 bytes)"));
    QVERIFY(ws.EntryCommandsOn());
  }

  void cancelKeepsTheOpenMod() {
    Workspace ws;
    const QString mod = ws.path("keep.QLM");
    QVERIFY(cmd::SmpqCreate(mod, SmallTree()));
    ws.ui.AnswerMessage(ui::idOk);
    ws.Open(mod);
    ws.w->btnRemove->click();  // a pending change
    const QString caption = ws.w->windowTitle();

    ws.ui.AnswerMessage(ui::idNo);
    ws.ui.CancelFileDialog();
    ws.w->btnOpen->click();
    QCOMPARE(ws.ui.messages.last().text, QStringLiteral("Save changes to keep.QLM"));
    QCOMPARE(ws.ui.messages.last().title, QStringLiteral("Save Changes"));
    QCOMPARE(ws.ui.messages.last().flags, 36);
    QCOMPARE(ws.w->Rows->Count(), 2);
    QCOMPARE(ws.w->RemovedNames.size(), 1);
    QCOMPARE(ws.w->ModFileName, mod);
    QCOMPARE(ws.w->windowTitle(), caption);
    QCOMPARE(ws.UpdateState(), QStringLiteral("on"));
  }

  void otherCommandsWaitWhileLoading() {
    Workspace ws;
    const QString mod = ws.path("busy.QLM");
    QVERIFY(cmd::SmpqCreate(mod, SmallTree()));
    ws.ui.AnswerMessage(ui::idOk);
    ws.Open(mod);
    ws.w->btnRemove->click();  // Update on, so a re-entered Update or guard would act
    ws.ui.AnswerMessage(ui::idNo);
    ws.ui.AnswerMessage(ui::idOk);
    int pumps = 0;
    ws.ui.OnPump([&] {
      ++pumps;
      for (QToolButton* b : {ws.w->btnOpen, ws.w->btnNew, ws.w->btnUpdate, ws.w->btnAdd, ws.w->btnRemove,
                             ws.w->btnExport, ws.w->tbSheetSave})
        b->click();
      ws.w->mniUpdateMod->trigger();
    });
    ws.Open(mod);  // a second dialog or box from any of those would fail here
    QCOMPARE(pumps, 3);
    QCOMPARE(ws.ui.fileDialogs.size(), 2);
    QCOMPARE(ws.w->Rows->Count(), 3);
    QVERIFY(ws.w->RemovedNames.isEmpty());
  }
};

QTEST_MAIN(TestCmdOpen)
#include "test_cmd_open.moc"

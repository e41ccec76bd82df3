// Export: the save dialog it shows, archive entries byte for byte, pending
// source files instead of the archive's copy, a file that cannot be made, and
// a copy or read that fails: reported, with no file left behind.
#include <QFileInfo>
#include <QtTest>

#include "Fixtures.h"
#include "Workspace.h"

using cmd::Workspace;

namespace {

const QByteArray kBinary("\0\x01\r\n\xFF\r\x1A end", 11);

// An smpq mod holding a binary entry in a folder and a text entry.
QString OpenMod(Workspace& ws) {
  const QString mod = ws.path("export.QLM");
  if (!cmd::SmpqCreate(mod, {{"data/global/ui/blob.bin", kBinary},
                             {"data/a.txt", "archive copy"},
                             {"(modinfo)", EncodeModInfo(ModInfo{})}}))
    return {};
  ws.Open(mod);
  return mod;
}

}  // namespace

class TestCmdExport : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    if (!cmd::HaveSmpq()) QSKIP("smpq is not installed");
  }

  void exportsEntriesAndPendingFiles() {
    Workspace ws;
    QVERIFY(!OpenMod(ws).isEmpty());
    const QString pending = QDir(ws.inputDir()).filePath("pending.txt");
    QVERIFY(fixtures::writeAll(pending, "pending copy"));
    ws.ui.AnswerMessage(ui::idYes);
    ws.Add({pending}, {QByteArray("data\\a.txt")});

    const QString blob = ws.path("blob.out");
    ws.w->SelectRow(ws.RowOf("data\\global\\ui\\blob.bin"));
    ws.ui.ConfirmFileDialog({blob});
    ws.w->btnExport->click();
    const FileDialog& d = ws.ui.fileDialogs.last().dialog;
    QCOMPARE(d.Title, QStringLiteral("Export File"));
    QCOMPARE(d.Filter, QStringLiteral("All Files (*.*)|*.*"));
    QCOMPARE(d.Options, 0x8000Eu);
    QCOMPARE(d.DefaultExt, QString());
    QCOMPARE(d.FileName, QStringLiteral("blob.bin"));
    QCOMPARE(d.InitialDir, ws.inputDir());
    QCOMPARE(fixtures::readAll(blob), kBinary);
    QCOMPARE(ws.w->SelectedRow(), -1);

    const QString text = ws.path("a.out");
    QVERIFY(fixtures::writeAll(text, "something longer that is replaced"));
    ws.w->SelectRow(ws.RowOf("data\\a.txt"));
    ws.ui.ConfirmFileDialog({text});
    ws.w->btnExport->click();
    QCOMPARE(fixtures::readAll(text), QByteArray("pending copy"));

    ws.w->btnExport->click();  // nothing selected: no dialog
    QCOMPARE(ws.ui.fileDialogs.size(), 4);
  }

  void cancelDeselectsAndWritesNothing() {
    Workspace ws;
    QVERIFY(!OpenMod(ws).isEmpty());
    ws.ui.CancelFileDialog();
    ws.w->btnExport->click();
    QCOMPARE(ws.w->SelectedRow(), -1);
    QCOMPARE(QDir(ws.path("")).entryList({"*.out"}), QStringList());
  }

  void fileThatCannotBeCreatedEndsTheCommand() {
    Workspace ws;
    QVERIFY(!OpenMod(ws).isEmpty());
    const QString target = ws.path("no/such/folder/blob.bin");
    ws.ui.ConfirmFileDialog({target});
    ws.ui.AnswerMessage(ui::idOk);
    ws.w->btnExport->click();
    QCOMPARE(ws.ui.messages.last().text, QStringLiteral("Cannot create file %1.").arg(target));
    QCOMPARE(ws.ui.messages.last().title, ui::ApplicationTitle());
    QCOMPARE(ws.ui.messages.last().flags, 16);
    QCOMPARE(ws.w->SelectedRow(), 0);
  }

  void failedReadOrCopyIsReportedAndLeavesNoFile() {
    Workspace ws;
    const QString mod = OpenMod(ws);
    const QString pending = QDir(ws.inputDir()).filePath("pending.bin");
    QVERIFY(fixtures::writeAll(pending, "p"));
    ws.Add({pending}, {QByteArray("new.bin")});
    QVERIFY(QFile::remove(mod) && QFile::remove(pending));
    const QString out = ws.path("gone.out"), old = ws.path("old.out");
    QVERIFY(fixtures::writeAll(old, "old"));
    ws.w->SelectRow(ws.RowOf("data\a.txt"));
    ws.ui.ConfirmFileDialog({out});
    ws.ui.AnswerMessage(ui::idOk);
    ws.w->btnExport->click();
    ws.w->SelectRow(ws.RowOf("new.bin"));
    ws.ui.ConfirmFileDialog({old});
    ws.ui.AnswerMessage(ui::idOk);
    ws.w->btnExport->click();
    QCOMPARE(ws.ui.messages[0].text, QStringLiteral("Cannot export data\\a.txt."));
    QCOMPARE(ws.ui.messages[1].text, QStringLiteral("Cannot export new.bin."));
    for (const auto& m : ws.ui.messages) {
      QCOMPARE(m.title, QStringLiteral("Error"));
      QCOMPARE(m.flags, 16);
    }
    QVERIFY(!QFileInfo::exists(out));
    QCOMPARE(fixtures::readAll(old), QByteArray("old"));  // an old file stays as it was
    QCOMPARE(QDir(ws.path("")).entryList(QDir::Files | QDir::Hidden).filter(".part"), QStringList());
  }

  void exportProposesNoExtensionEvenAfterNew() {
    Workspace ws;
    ws.New(ws.path("m.QLM"));
    const QString file = QDir(ws.inputDir()).filePath("x.dat");
    QVERIFY(fixtures::writeAll(file, "x"));
    ws.Add({file}, {QByteArray("a:b\\name")});
    ws.w->SelectRow(0);
    const QString out = ws.path("name");
    ws.ui.ConfirmFileDialog({out});
    ws.w->btnExport->click();
    QCOMPARE(ws.ui.fileDialogs.last().dialog.DefaultExt, QString());
    QCOMPARE(ws.ui.fileDialogs.last().dialog.FileName, QStringLiteral("name"));
    QCOMPARE(fixtures::readAll(out), QByteArray("x"));
    ws.ui.AnswerMessage(ui::idNo);
    ws.New(ws.path("m2.QLM"));
    QCOMPARE(ws.ui.fileDialogs.last().dialog.DefaultExt, QStringLiteral("QLM"));
  }
};

QTEST_MAIN(TestCmdExport)
#include "test_cmd_export.moc"

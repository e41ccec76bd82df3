// New, Add and Remove: the dialogs and prompts they show, the rows and names
// they record, and how a removed name that comes back is treated.
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QtTest>

#include "Fixtures.h"
#include "Workspace.h"
#include "forms/files/FilesView.h"

using cmd::Workspace;

namespace {

// A mod opened from an smpq archive holding data\x.txt, data\y.txt, data\z.txt.
void OpenXyz(Workspace& ws) {
  const QString mod = ws.path("xyz.QLM");
  QVERIFY(cmd::SmpqCreate(mod, {{"data/x.txt", "xx"},
                                {"data/y.txt", "yyy"},
                                {"data/z.txt", "z"},
                                {"(modinfo)", EncodeModInfo(cmd::SampleModInfo())}}));
  ws.Open(mod);
  QCOMPARE(ws.w->Rows->Count(), 3);
}

QString MakeFile(Workspace& ws, const QString& name, const QByteArray& bytes) {
  const QString file = QDir(ws.inputDir()).filePath(name);
  fixtures::writeAll(file, bytes);
  return file;
}

}  // namespace

class TestCmdEdit : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    if (!cmd::HaveSmpq()) QSKIP("smpq is not installed");
  }

  void newStartsAnEmptyModAndKeepsTheRest() {
    Workspace ws;
    OpenXyz(ws);
    ws.Add({MakeFile(ws, "a.txt", "a")}, {QByteArray("lvl1\\lvl2\\a.txt")});
    const QString target = QDir(ws.outputDir()).filePath("new.QLM");
    QVERIFY(fixtures::writeAll(target, "old contents"));

    ws.ui.AnswerMessage(ui::idNo);  // the pending Add is dropped
    ws.New(target);
    QCOMPARE(ws.ui.messages.last().text, QStringLiteral("Save changes to xyz.QLM"));
    const FileDialog& d = ws.ui.fileDialogs.last().dialog;
    QCOMPARE(d.Title, QStringLiteral("Create Diablo II Mod"));
    QCOMPARE(d.Filter, QStringLiteral("Diablo II Mods (*.QLM)|*.QLM|All Files (*.*)|*.*"));
    QCOMPARE(d.Options, 0x8000Eu);
    QCOMPARE(d.DefaultExt, QStringLiteral("QLM"));
    QCOMPARE(d.FileName, QString());
    QCOMPARE(d.InitialDir, ws.outputDir());

    QVERIFY(!QFileInfo::exists(target));  // deleted at once; the first Update creates it
    QCOMPARE(ws.w->ModFileName, target);
    QVERIFY(ws.w->ArchiveNames.isEmpty());
    QVERIFY(ws.w->RemovedNames.isEmpty());
    QCOMPARE(ws.w->Rows->Count(), 0);
    QCOMPARE(ws.w->windowTitle(), QStringLiteral("Quillforge (new.QLM)"));
    QVERIFY(cmd::SameModInfo(ws.w->ModInfoFromFields(), cmd::SampleModInfo()));
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));
    QVERIFY(ws.EntryCommandsOn());

    // The internal folder typed for the previous mod is proposed again.
    ws.ui.CancelPrompt();
    ws.Add({MakeFile(ws, "b.dat", "b")}, {});
    QCOMPARE(ws.ui.prompts.last().preset, QByteArray("lvl1\\lvl2\\b.dat"));
  }

  void addPromptsOnceForEveryFile() {
    Workspace ws;
    ws.w->btnAddClick();  // no mod open: nothing at all
    QVERIFY(ws.ui.fileDialogs.isEmpty());
    ws.New(ws.path("m.QLM"));

    const QStringList files = {MakeFile(ws, "one.txt", "1"), MakeFile(ws, "two.bin", "22"),
                               MakeFile(ws, "three.txt", "333"), MakeFile(ws, "four.txt", "4444")};
    ws.Add(files.mid(0, 2), {QByteArray("data\\global\\One.txt"), std::nullopt});
    ws.ui.ConfirmFileDialog(files.mid(2));
    ws.ui.CancelPrompt();  // "three.txt" is skipped and changes nothing
    ws.ui.ConfirmPrompt(QByteArray("c:top.txt"));
    ws.w->btnAdd->click();

    const FileDialog& d = ws.ui.fileDialogs.at(1).dialog;
    QCOMPARE(d.Title, QStringLiteral("Add file(s)"));
    QCOMPARE(d.Filter, QStringLiteral("All Files (*.*)|*.*"));
    QCOMPARE(d.Options, 0x8034Cu);
    QCOMPARE(d.InitialDir, ws.inputDir());
    QCOMPARE(d.FileName, QString());
    QList<QByteArray> presets;
    for (const auto& p : ws.ui.prompts) {
      QCOMPARE(p.caption, QStringLiteral("Internal Name"));
      QCOMPARE(p.prompt, QStringLiteral("Enter the internal directory and name:"));
      presets << p.preset;
    }
    QCOMPARE(presets, (QList<QByteArray>{"one.txt", "data\\global\\two.bin", "data\\global\\three.txt",
                                         "data\\global\\four.txt"}));
    QCOMPARE(ws.Captions(),
             (QList<QByteArray>{"data\\global\\One.txt", "data\\global\\two.bin", "c:top.txt"}));
    QCOMPARE(ws.SizeTexts(), (QStringList{"1 Bytes", "2 Bytes", "4 Bytes"}));
    QCOMPARE(ws.w->Rows->Row(2).SourcePath, files[3]);
    QCOMPARE(ws.w->LastInternalDir, QByteArray("c:"));

    // An answer with no separator: the next proposal is the bare file name.
    ws.Add({files[0]}, {QByteArray("")});
    QCOMPARE(ws.w->LastInternalDir, QByteArray());
    QCOMPARE(ws.Captions().last(), QByteArray());
    ws.Add({files[1]}, {std::nullopt});
    QCOMPARE(ws.ui.prompts.last().preset, QByteArray("two.bin"));
  }

  void addEnablesUpdateOnlyOnceConfirmed() {
    Workspace ws;
    ws.New(ws.path("m.QLM"));
    ws.ui.CancelFileDialog();
    ws.w->btnAdd->click();
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));
    ws.ui.CancelPrompt();
    ws.Add({MakeFile(ws, "a.txt", "a")}, {});
    QCOMPARE(ws.w->Rows->Count(), 0);
    QCOMPARE(ws.UpdateState(), QStringLiteral("on"));
  }

  void replaceQuestionFindsTheNameInAnyCase() {
    Workspace ws;
    OpenXyz(ws);
    const QString file = MakeFile(ws, "new.txt", "new contents");
    ws.ui.AnswerMessage(ui::idNo);
    ws.Add({file}, {QByteArray("DATA\\X.TXT")});
    QCOMPARE(ws.ui.messages.last().text, QStringLiteral("That file already exists, replace it?"));
    QCOMPARE(ws.ui.messages.last().title, QStringLiteral("Replace it?"));
    QCOMPARE(ws.ui.messages.last().flags, 36);
    QVERIFY(ws.w->Rows->Row(ws.RowOf("data\\x.txt")).SourcePath.isEmpty());

    ws.ui.AnswerMessage(ui::idYes);
    ws.Add({file}, {QByteArray("DATA\\X.TXT")});
    const ModEntry& row = ws.w->Rows->Row(ws.RowOf("data\\x.txt"));
    QCOMPARE(row.SourcePath, file);
    QCOMPARE(row.SizeText, QStringLiteral("2 Bytes"));  // still the archive entry's size
    QCOMPARE(ws.w->Rows->Count(), 3);

    ws.Add({file}, {QByteArray("data\\x.tx")});  // only the beginning of a caption: a new row
    QCOMPARE(ws.w->Rows->Count(), 4);
  }

  void removeRecordsOnlyArchiveNames() {
    Workspace ws;
    OpenXyz(ws);
    const QByteArray first = ws.Captions().first();
    ws.w->btnRemove->click();  // the first row, selected by Open
    QCOMPARE(ws.w->RemovedNames, (QList<QByteArray>{first}));
    ws.w->CommandsUpdated();
    ws.w->btnRemove->click();  // nothing selected: nothing removed, still a change
    QCOMPARE(ws.w->RemovedNames.size(), 1);
    QCOMPARE(ws.UpdateState(), QStringLiteral("on"));

    ws.Add({MakeFile(ws, "n.txt", "n")}, {QByteArray("data\\new.txt")});
    ws.w->SelectRow(ws.RowOf("data\\new.txt"));
    ws.w->btnRemove->click();
    QCOMPARE(ws.w->RemovedNames.size(), 1);  // never in the archive
    QCOMPARE(ws.w->Rows->Count(), 2);
  }

  void removedNameComesBackWithItsFile() {
    Workspace ws;
    OpenXyz(ws);
    ws.w->SelectRow(ws.RowOf("data\\y.txt"));
    ws.w->btnRemove->click();
    QCOMPARE(ws.w->RemovedNames, (QList<QByteArray>{"data\\y.txt"}));
    ws.Add({MakeFile(ws, "y.txt", "new y")}, {QByteArray("Data\\Y.txt")});
    QVERIFY(ws.w->RemovedNames.isEmpty());
    ws.w->SelectRow(ws.RowOf("Data\\Y.txt"));
    ws.w->btnRemove->click();
    QCOMPARE(ws.w->RemovedNames, (QList<QByteArray>{"Data\\Y.txt"}));
  }

  void removeTakesEverySelectedRowInListOrder() {
    Workspace ws;
    ws.New(ws.path("m.QLM"));
    ws.w->ArchiveNames = {"r3", "r1", "r6"};  // as if the archive had listed these
    QList<ModEntry> rows;
    for (int i = 0; i < 8; ++i) rows.append({"r" + QByteArray::number(i), SizeText(i), {}});
    ws.w->Rows->AppendMany(rows);
    QItemSelectionModel* selection = ws.w->ListView->selectionModel();
    for (int i : {6, 1, 2, 3})
      selection->select(ws.w->ListView->model()->index(i, 0),
                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ws.w->btnRemove->click();
    QCOMPARE(ws.Captions(), (QList<QByteArray>{"r0", "r4", "r5", "r7"}));
    QCOMPARE(ws.w->RemovedNames, (QList<QByteArray>{"r1", "r3", "r6"}));
  }
};

QTEST_MAIN(TestCmdEdit)
#include "test_cmd_edit.moc"

// Update through the real ARCHWRIT (its calls recorded on the way): the full
// New -> Add -> Mod Info -> Update -> Open -> Export road on the fixtures, the
// values passed for existing and new names, removals, a second Update, the
// save-changes question, and the failures that must leave changes pending;
// the Files list's marks on the rows Update writes and deletes.
#include <QBuffer>
#include <QDirIterator>
#include <QFileInfo>
#include <QtTest>

#include "Fixtures.h"
#include "Workspace.h"
#include "archive/ArchiveReader.h"
#include "archive/UpdateLibrary.h"
#include "forms/widgets/AnsiLineEdit.h"
#include "forms/widgets/AnsiMemo.h"
#include "platform/Files.h"

using cmd::Workspace;

namespace {

QByteArray EntryBytes(const QString& archive, const QByteArray& name) {
  QBuffer b;
  b.open(QIODevice::WriteOnly);
  return ReadEntryToStream(archive, name, b) ? b.data() : QByteArray("<missing>");
}

QString Add(const QByteArray& name, const QString& source, quint32 flags) {
  return QStringLiteral("add %1|%2 %3 -> 1")
      .arg(QString::fromLatin1(name), source, "0x" + QString::number(flags, 16));
}

// Record files left in the temporary folder.
QStringList Records() {
  return QDir(files::TempFolder()).entryList({QStringLiteral("ModInfo.*.dat")}, QDir::Files);
}

const QByteArray kSheet = "data\\global\\excel\\Arena.txt";

// A mod made by smpq with three entries and a record; Update off.
QString OpenSmpqMod(Workspace& ws) {
  const QString mod = ws.path("smpq.QLM");
  if (!cmd::SmpqCreate(mod, {{"data/global/excel/Arena.txt", "old sheet"},
                             {"data/keep.bin", "keep"},
                             {"data/gone.bin", "gone"},
                             {"(modinfo)", EncodeModInfo(ModInfo{})}}))
    return {};
  ws.Open(mod);
  return mod;
}

}  // namespace

class TestCmdUpdate : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    if (!cmd::HaveSmpq()) QSKIP("smpq is not installed");
    // A temporary folder of this test's own, so record files can be counted.
    QVERIFY(temp_.isValid());
    qputenv("TMPDIR", QFile::encodeName(temp_.path()));
  }

  void newAddUpdateOpenExportRoundTrip() {
    QF_REQUIRE_FIXTURES();
    Workspace ws;
    cmd::ArchwritCalls calls;
    const QString mod = ws.path("round.QLM");
    ws.New(mod);

    const QStringList sources = fixtures::allFiles();
    QList<std::optional<QByteArray>> names;
    for (const QString& file : sources) names << fixtures::internalName(file);
    ws.Add(sources, names);
    QByteArray dir;  // each proposal is the folder typed last and the file's own name
    for (int i = 0; i < sources.size(); ++i) {
      QCOMPARE(ws.ui.prompts.at(i).preset, dir + QFileInfo(sources[i]).fileName().toLatin1());
      dir = names[i]->left(names[i]->lastIndexOf('\\') + 1);
    }
    // Typed as a user types them.
    ws.w->edtTitle->setText(QStringLiteral("Caf\u00e9"));
    ws.w->edtAuthor->setText(QStringLiteral("Me"));
    ws.w->edtD2Version->setText(QStringLiteral("1.10"));
    ws.w->edtURL->setText(QStringLiteral("http://x.org"));
    ws.w->edtModVersion->setText(QStringLiteral("2"));
    ws.w->memDescription->setPlainText(QStringLiteral("a\nb"));
    ws.Update();

    QStringList expected = {QStringLiteral("open %1| 0x9 -> 1").arg(mod),
                            Add("(modinfo)", "<record>", 0x10200)};
    for (int i = 0; i < sources.size(); ++i) expected << Add(*names[i], sources[i], 0x10200);
    expected << QStringLiteral("close | 0 -> 1");
    QCOMPARE(calls.Take(), expected);
    QVERIFY(!QFileInfo::exists(calls.records.value(0)));
    QCOMPARE(ws.w->windowTitle(),
             QStringLiteral("Quillforge (round.QLM, %1 bytes)").arg(QFileInfo(mod).size()));
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));
    QCOMPARE(ws.ui.cursors, (QList<int>{-11, 0}));

    ws.Open(mod);
    QCOMPARE(ws.w->Rows->Count(), sources.size());
    for (int i = 0; i < sources.size(); ++i) {
      const int row = ws.RowOf(*names[i]);
      QVERIFY2(row >= 0, names[i]->constData());
      QCOMPARE(ws.w->Rows->Row(row).SizeText, QStringLiteral("%1 Bytes").arg(QFileInfo(sources[i]).size()));
    }
    const ModInfo info = ws.w->ModInfoFromFields();
    const QByteArray typed[] = {"Caf\xE9", "Me", "1.10", "http://x.org", "2", "a\r\nb"};
    for (int i = 0; i < ModInfo::TextCount; ++i) QCOMPARE(info.texts[i], typed[i]);
    QCOMPARE(ws.w->windowTitle(),
             QStringLiteral("Quillforge (round.QLM, %1 bytes)").arg(QFileInfo(mod).size()));

    for (int row = 0; row < ws.w->Rows->Count(); ++row) {
      const QString out = ws.path("export.%1").arg(row);
      ws.w->SelectRow(row);
      ws.ui.ConfirmFileDialog({out});
      ws.w->btnExport->click();
      const QString source = sources.at(names.indexOf(ws.w->Rows->Row(row).Caption));
      QCOMPARE(fixtures::readAll(out), fixtures::readAll(source));
    }
  }

  void existingNamesAreReplacedAndRemovedNamesDeletedLast() {
    Workspace ws;
    cmd::ArchwritCalls calls;
    const QString mod = OpenSmpqMod(ws);
    QVERIFY(!mod.isEmpty());
    const QString sheet = QDir(ws.inputDir()).filePath("Arena.txt"),
                  extra = QDir(ws.inputDir()).filePath("new.bin");
    QVERIFY(fixtures::writeAll(sheet, "new sheet") && fixtures::writeAll(extra, "new"));
    ws.w->SelectRow(ws.RowOf("data\\gone.bin"));
    ws.w->btnRemove->click();
    ws.ui.AnswerMessage(ui::idYes);
    ws.Add({sheet, extra}, {QByteArray("DATA\\GLOBAL\\EXCEL\\arena.txt"), QByteArray("data\\new.bin")});

    int pumps = 0;
    ws.ui.OnPump([&] { ++pumps; });
    ws.Update();
    const QStringList first = calls.Take();
    QCOMPARE(first,
             (QStringList{QStringLiteral("open %1| 0x5 -> 1").arg(mod), Add("(modinfo)", "<record>", 0x10201),
                          Add(kSheet, sheet, 0x10201), Add("data\\new.bin", extra, 0x10200),
                          "delete data\\gone.bin| 0 -> 1", "close | 0 -> 1"}));
    QCOMPARE(pumps, 4);  // three rows and one removed name
    QCOMPARE(EntryBytes(mod, kSheet), QByteArray("new sheet"));
    QCOMPARE(EntryBytes(mod, "data\\keep.bin"), QByteArray("keep"));
    QCOMPARE(EntryBytes(mod, "data\\gone.bin"), QByteArray("<missing>"));

    // The lists survive: a second Update asks for the same again, and the
    // archive still holds every row.
    QVERIFY(fixtures::writeAll(extra, "newer"));
    ws.w->edtModVersion->setText(QStringLiteral("3"));
    ws.Update();
    QStringList second = calls.Take();
    QCOMPARE(second.size(), first.size());
    QCOMPARE(second[3], first[3]);
    QCOMPARE(second[4], QStringLiteral("delete data\\gone.bin| 0 -> 0"));
    QCOMPARE(EntryBytes(mod, "data\\new.bin"), QByteArray("newer"));
    QCOMPARE(DecodeModInfo(EntryBytes(mod, "(modinfo)")).texts[ModInfo::ModVersion], QByteArray("3"));
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));
  }

  void removedThenAddedIsWrittenNotDeleted() {
    Workspace ws;
    cmd::ArchwritCalls calls;
    const QString mod = OpenSmpqMod(ws);
    const QString back = QDir(ws.inputDir()).filePath("back.bin");
    QVERIFY(fixtures::writeAll(back, "back again"));
    ws.w->SelectRow(ws.RowOf("data\\gone.bin"));
    ws.w->btnRemove->click();
    ws.Add({back}, {QByteArray("Data\\Gone.bin")});
    ws.Update();
    const QStringList lines = calls.Take();
    QVERIFY(lines.contains(Add("Data\\Gone.bin", back, 0x10201)));
    QVERIFY(!lines.join('\n').contains("delete"));
    QCOMPARE(EntryBytes(mod, "data\\gone.bin"), QByteArray("back again"));
    ws.Open(mod);
    QVERIFY(ws.Captions().contains("Data\\Gone.bin"));
  }

  // While changes are pending, a row the next Update writes from a file is
  // bold (in its name, so the Size column's width holds), and a second row of
  // a removed entry's name is struck out: Update deletes that entry.
  void pendingRowsAreMarked() {
    Workspace ws;
    OpenSmpqMod(ws);
    ws.w->show();
    ws.w->Rows->Append(ModEntry{"DATA\\KEEP.BIN", SizeText(4), QString()});
    const auto font = [&](const QByteArray& name, int column = ModListModel::NameColumn) {
      return ws.w->Rows->index(ws.RowOf(name), column).data(Qt::FontRole).value<QFont>();
    };
    const QString file = QDir(ws.inputDir()).filePath("new.bin");
    QVERIFY(fixtures::writeAll(file, "new"));
    ws.Add({file}, {QByteArray("data\\new.bin")});
    QVERIFY(font("data\\new.bin").bold() && !font("data\\new.bin", 1).bold() && !font(kSheet).bold());
    QVERIFY(ws.w->Rows->index(ws.RowOf("data\\new.bin"), 1).data(Qt::ToolTipRole).toString().contains(file));
    ws.w->SelectRow(ws.RowOf("data\\keep.bin"));
    ws.w->btnRemove->click();
    QVERIFY(font("DATA\\KEEP.BIN").strikeOut() && !font("data\\gone.bin").strikeOut());
    ws.Update();
    QVERIFY(!font("data\\new.bin").bold() && !font("DATA\\KEEP.BIN").strikeOut());
  }

  void changesMadeWhileWritingStayPending() {
    Workspace ws;
    cmd::ArchwritCalls calls;
    const QString mod = OpenSmpqMod(ws);
    ws.w->btnRemove->click();
    ws.ui.OnPump([&] {
      ws.w->edtTitle->setText(QStringLiteral("typed meanwhile"));
      ws.w->btnRemove->click();  // ignored while Update runs
      ws.w->btnUpdate->click();
    });
    ws.Update();
    ws.ui.OnPump({});
    QCOMPARE(calls.Take().filter("open").size(), 1);
    QCOMPARE(ws.w->Rows->Count(), 2);
    QCOMPARE(ws.UpdateState(), QStringLiteral("on"));
    QCOMPARE(DecodeModInfo(EntryBytes(mod, "(modinfo)")).texts[ModInfo::Title], QByteArray());
  }

  void failuresWriteNothingAndKeepChangesPending_data() {
    QTest::addColumn<QString>("failure");
    QTest::newRow("library missing") << "library";
    QTest::newRow("no mod open") << "nomod";
    QTest::newRow("archive cannot be created") << "create";
    QTest::newRow("archive in a later format") << "format";
  }
  void failuresWriteNothingAndKeepChangesPending() {
    QFETCH(QString, failure);
    Workspace ws;
    const QStringList recordsBefore = Records();
    QString mod;
    QString expected;
    if (failure == "library") {
      mod = OpenSmpqMod(ws);
      UpdateLibrary::SetLibraryFileForTesting(QStringLiteral("/nonexistent/libARCHWRIT.so"));
      expected = "Cannot load the archive-update library ARCHWRIT; the mod was not updated.";
    } else if (failure == "create") {
      mod = ws.path("no/such/folder/m.QLM");
      ws.New(mod);
      expected = QStringLiteral("Cannot open file %1 for update.").arg(mod);
    } else if (failure == "format") {
      mod = ws.path("v4.QLM");
      QVERIFY(cmd::SmpqCreate(mod, {{"data/keep.bin", "keep"}, {"(modinfo)", EncodeModInfo(ModInfo{})}}, 4));
      ws.Open(mod);
      expected = QStringLiteral(
                     "Cannot open file %1 for update: the archive is in MPQ format version 4, and "
                     "this program writes only version 1, the game's own format.")
                     .arg(mod);
    } else {
      expected = "No mod is open to update; create or open a mod first.";
    }
    const QByteArray before = fixtures::readAll(mod);
    const QString caption = ws.w->windowTitle();
    ws.w->edtAuthor->setText(QStringLiteral("pending"));
    ws.ui.AnswerMessage(ui::idOk);
    ws.Update();
    UpdateLibrary::SetLibraryFileForTesting({});

    QCOMPARE(ws.ui.messages.last().text, expected);
    QCOMPARE(ws.ui.messages.last().title, ui::ApplicationTitle());
    QCOMPARE(ws.ui.messages.last().flags, 16);
    QCOMPARE(ws.UpdateState(), QStringLiteral("on"));
    QCOMPARE(ws.w->windowTitle(), caption);
    QCOMPARE(fixtures::readAll(mod), before);
    QCOMPARE(Records(), recordsBefore);
    QCOMPARE(ws.ui.cursors.value(ws.ui.cursors.size() - 1, 0), 0);
  }

  void saveChangesQuestionRunsUpdateFirst() {
    Workspace ws;
    cmd::ArchwritCalls calls;
    const QString mod = OpenSmpqMod(ws);
    ws.w->edtTitle->setText(QStringLiteral("before open"));
    ws.ui.AnswerMessage(ui::idYes);
    ws.ui.CancelFileDialog([&] { QCOMPARE(calls.Take().size(), 3); });  // open, record, close already done
    ws.w->btnOpen->click();
    QCOMPARE(ws.ui.order, (QStringList{"file", "message", "file"}));
    QCOMPARE(DecodeModInfo(EntryBytes(mod, "(modinfo)")).texts[ModInfo::Title], QByteArray("before open"));

    // An Update that fails ends New before its dialog.
    ws.w->edtTitle->setText(QStringLiteral("before new"));
    UpdateLibrary::SetLibraryFileForTesting(QStringLiteral("/nonexistent/libARCHWRIT.so"));
    ws.ui.AnswerMessage(ui::idYes);
    ws.ui.AnswerMessage(ui::idOk);
    ws.w->btnNew->click();
    UpdateLibrary::SetLibraryFileForTesting(QStringLiteral(QF_RECORDING_ARCHWRIT));
    QCOMPARE(ws.ui.fileDialogs.size(), 2);
    QCOMPARE(ws.w->ModFileName, mod);

    // At exit, Yes still writes every change.
    ws.w->edtTitle->setText(QStringLiteral("at exit"));
    ws.ui.AnswerMessage(ui::idYes);
    ws.Destroy();
    QCOMPARE(ws.ui.messages.last().text, QStringLiteral("Save changes to smpq.QLM"));
    QCOMPARE(DecodeModInfo(EntryBytes(mod, "(modinfo)")).texts[ModInfo::Title], QByteArray("at exit"));
  }

 private:
  QTemporaryDir temp_;
};

QTEST_MAIN(TestCmdUpdate)
#include "test_cmd_update.moc"

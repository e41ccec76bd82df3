// The Edit page of the main window on real archives, every flow answered
// through the scripted dialog seam: filling the grid on entering the page,
// the discard question, Save, Import, their failures, and a saved sheet
// reaching the archive through the update library.
#include <QBuffer>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "ArchiveBuilder.h"
#include "Fixtures.h"
#include "ScriptedUi.h"
#include "archive/ArchiveReader.h"
#include "archive/EntryKind.h"
#include "archive/SheetCodec.h"
#include "forms/edit/EditPageGrid.h"
#include "forms/edit/SheetGridModel.h"
#include "forms/files/FilesView.h"
#include "forms/main/untMain.h"
#include "forms/preferences/untPreferences.h"
#include "forms/widgets/FolderEdit.h"
#include "platform/Ansi.h"

namespace {

const QByteArray kCaps = "data\\global\\excel\\Caps.TXT";
const QByteArray kFolderDot = "data\\global\\excel.txt\\readme";
const QByteArray kGraphic = "data\\global\\ui\\panel.dc6";
const QByteArray kEmpty = "data\\empty.txt";
const QByteArray kSingle = "data\\single.txt";
const QByteArray kHigh = "data\\high.txt";
const QByteArray kMissing = "data\\missing.txt";  // listed, but not in the archive

const QByteArray kCapsText = "a\tb\tc\r\n1\t2\t3\r\n4\t5\t6\r\n";

QByteArray HighText() {
  QByteArray row;
  for (int b = 0x80; b <= 0xff; ++b) row.append(char(b));
  return "h1\th2\r\n" + row + "\t\x80\xff\r\n";
}

QList<QByteArray> Rows(const SheetGrid& grid) {
  QList<QByteArray> rows;
  for (int r = 0; r < grid.RowCount(); ++r) {
    QByteArray line;
    grid.AppendJoinedRow(r, line);
    rows << line;
  }
  return rows;
}

}  // namespace

class TestEditPage : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString mod_;
  QByteArray arena_;      // the fixture sheet's internal name
  QByteArray arenaText_;  // and its bytes
  std::unique_ptr<ScriptedUi> ui_;
  std::unique_ptr<TfrmPreferences> prefs_;
  std::unique_ptr<TfrmMain> frm_;

  QString path(const QString& name) const { return dir_.filePath(name); }
  EditPageGrid& grid() const { return *qobject_cast<EditPageGrid*>(frm_->StringGrid); }
  const SheetGrid& cells() const { return grid().Grid(); }

  int rowOf(const QByteArray& name) const {
    for (int r = 0; r < frm_->Rows->Count(); ++r)
      if (frm_->Rows->Row(r).Caption == name) return r;
    return -1;
  }
  void select(const QByteArray& name) { frm_->SelectRow(rowOf(name)); }

  // The user moves the focus into the page from the Files list, as a page
  // switch does; true when that raised the page's enter event once.
  bool enterPage() {
    frm_->PageControl->setCurrentWidget(frm_->tbsFiles);
    frm_->ListView->setFocus();
    // The user's pause: the cell editor closed on leaving is gone by then.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QSignalSpy ran(frm_.get(), &TfrmMain::handlerRun);
    frm_->PageControl->setCurrentWidget(frm_->tbsEdit);
    return ran.count() == 1 && ran.at(0).at(0).toString() == QStringLiteral("tbsEditEnter");
  }

  // Types over the current cell's open editor, a key press a character, as
  // the user does (also characters no key of a test keyboard has).
  void typeIntoGrid(const QString& text) {
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor && grid().isAncestorOf(editor));
    editor->selectAll();
    for (QChar c : text)
      QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }

  void checkCleared() const {
    QCOMPARE(cells().RowCount(), 1);
    QCOMPARE(cells().ColCount(), 1);
    QCOMPARE(cells().FixedRows(), 0);
    QCOMPARE(cells().Cell(0, 0), QByteArray());
    QVERIFY(!grid().isEnabled());
  }

  void checkLastMessage(const QString& text, const QString& title, int flags) const {
    QVERIFY(!ui_->messages.isEmpty());
    QCOMPARE(ui_->messages.last().text, text);
    QCOMPARE(ui_->messages.last().title, title);
    QCOMPARE(ui_->messages.last().flags, flags);
  }

 private slots:
  void initTestCase() {
    QF_REQUIRE_FIXTURES();
    QVERIFY(dir_.isValid());
    QDir().mkpath(path("input"));
    const QString arenaFile = fixtures::modDir() + "/data/global/excel/Arena.txt";
    arena_ = fixtures::internalName(arenaFile);
    arenaText_ = fixtures::readAll(arenaFile);
    QVERIFY(!arenaText_.isEmpty());
    mod_ = path("Sheets.QLM");
    QVERIFY(testarchive::Build(mod_, {{arena_, arenaText_},
                                      {kCaps, kCapsText},
                                      {kFolderDot, "a\tb\r\n"},
                                      {kGraphic, QByteArray("\x01\x00\x09\x0d", 4)},
                                      {kEmpty, ""},
                                      {kSingle, "a\tb"},
                                      {kHigh, HighText()}}));
    TfrmPreferences::SetIniFileNameForTesting(path("QUILL.INI"));
    ui::SetApplicationTitle(QStringLiteral("Hearthwarden"));
  }
  void cleanupTestCase() { ReleaseArchiveState(); }

  // A fresh window with the mod open, as Open leaves it, shown and active.
  void init() {
    ui_ = std::make_unique<ScriptedUi>();
    prefs_ = std::make_unique<TfrmPreferences>();
    prefs_->edtInputPath->setText(path("input"));
    frm_ = std::make_unique<TfrmMain>();
    frm_->SetForms(nullptr, prefs_.get());
    frm_->ModFileName = mod_;
    for (const QByteArray& name : {arena_, kCaps, kFolderDot, kGraphic, kEmpty, kSingle, kHigh, kMissing})
      frm_->Rows->Append({name, SizeText(EntrySize(mod_, name)), QString()});
    frm_->CommandsModStarted();
    frm_->show();
    frm_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frm_.get()));
  }
  void cleanup() {
    // Nothing to write at close: no save-changes question.
    if (frm_) frm_->CommandsUpdated();
    frm_.reset();
    prefs_.reset();
    ui_.reset();
  }

  void sheetEntryRule_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("sheet");
    QTest::newRow("lower") << QByteArray("data\\global\\excel\\misc.txt") << true;
    QTest::newRow("capitals") << QByteArray("MISC.TXT") << true;
    QTest::newRow("mixed") << QByteArray("a.tXt") << true;
    QTest::newRow("only the extension") << QByteArray(".txt") << true;
    QTest::newRow("dot in a folder part") << QByteArray("data\\excel.txt\\readme") << false;
    QTest::newRow("colon after the dot") << QByteArray("a.txt:stream") << false;
    QTest::newRow("last dot counts") << QByteArray("a.txt.bak") << false;
    QTest::newRow("longer extension") << QByteArray("a.txts") << false;
    QTest::newRow("no dot") << QByteArray("txt") << false;
    QTest::newRow("empty") << QByteArray() << false;
  }
  void sheetEntryRule() {
    QFETCH(QByteArray, name);
    QFETCH(bool, sheet);
    QCOMPARE(IsSheetEntry(name), sheet);
  }

  // --- entering the page ---

  void enteringShowsTheSelectedSheetFromTheArchive() {
    select(arena_);
    QVERIFY(enterPage());
    QVERIFY(grid().isEnabled());
    QCOMPARE(cells().FixedRows(), 1);
    QCOMPARE(Rows(cells()), SplitLines(arenaText_));
    QVERIFY(!grid().Modified());

    // Capitals are a sheet too; a fresh entry shows the new sheet whole.
    select(kCaps);
    QVERIFY(enterPage());
    QCOMPARE(Rows(cells()), SplitLines(kCapsText));
    QCOMPARE(grid().model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("c"));

    // A single line is one editable row without a fixed row.
    select(kSingle);
    QVERIFY(enterPage());
    QCOMPARE(cells().FixedRows(), 0);
    QCOMPARE(Rows(cells()), QList<QByteArray>{"a\tb"});
    QVERIFY(grid().model()->flags(grid().model()->index(0, 0)) & Qt::ItemIsEditable);
  }

  void enteringWithoutASheetLeavesTheGridCleared_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::newRow(".txt in a folder part") << kFolderDot;
    QTest::newRow("not a sheet") << kGraphic;
    QTest::newRow("nothing selected") << QByteArray();
  }
  void enteringWithoutASheetLeavesTheGridCleared() {
    QFETCH(QByteArray, name);
    select(kCaps);
    QVERIFY(enterPage());
    QCOMPARE(cells().RowCount(), 3);
    frm_->ListView->clearSelection();
    if (!name.isEmpty()) select(name);
    QVERIFY(enterPage());
    checkCleared();
    QVERIFY(ui_->messages.isEmpty());
  }

  void focusMovesInsideThePageDoNotRefill() {
    select(kCaps);
    QVERIFY(enterPage());
    typeIntoGrid(QStringLiteral("edited"));
    QSignalSpy ran(frm_.get(), &TfrmMain::handlerRun);
    frm_->StringGrid->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(ran.count(), 0);
    QCOMPARE(cells().Cell(0, 1), QByteArray("edited"));
  }

  void pendingSourceIsShownInsteadOfTheArchiveCopy() {
    const QString source = path("pending.txt");
    QVERIFY(fixtures::writeAll(source, "x\ty\nfrom\tdisk"));
    frm_->Rows->SetSourcePath(rowOf(kCaps), source);
    select(kCaps);
    QVERIFY(enterPage());
    QCOMPARE(Rows(cells()), (QList<QByteArray>{"x\ty", "from\tdisk"}));
  }

  void enteringFailures() {
    // A source file that is gone: its own message, the header row ready.
    const QString gone = path("gone.txt");
    frm_->Rows->SetSourcePath(rowOf(kCaps), gone);
    select(kCaps);
    ui_->AnswerMessage(ui::idOk);
    QVERIFY(enterPage());
    checkLastMessage("Cannot open file " + gone + ".", ui::ApplicationTitle(), ui::mbOk | ui::mbIconError);
    QCOMPARE(cells().RowCount(), 2);
    QCOMPARE(cells().ColCount(), 1);
    QCOMPARE(cells().FixedRows(), 1);
    QVERIFY(grid().isEnabled());

    // An empty entry: the index error, one enabled empty cell.
    select(kEmpty);
    ui_->AnswerMessage(ui::idOk);
    QVERIFY(enterPage());
    checkLastMessage("List index out of bounds (0)", ui::ApplicationTitle(), ui::mbOk | ui::mbIconError);
    QCOMPARE(cells().RowCount(), 1);
    QCOMPARE(cells().FixedRows(), 0);
    QCOMPARE(cells().Cell(0, 0), QByteArray());
    QVERIFY(grid().isEnabled());

    // An entry the archive does not hold, and an archive that is gone: a
    // message naming both, and the grid cleared.
    select(kMissing);
    ui_->AnswerMessage(ui::idOk);
    QVERIFY(enterPage());
    checkLastMessage(QStringLiteral("Cannot read data\\missing.txt from the mod ") + mod_ + ".",
                     ui::ApplicationTitle(), ui::mbOk | ui::mbIconError);
    checkCleared();
    frm_->ModFileName = path("nowhere.QLM");
    select(kSingle);
    ui_->AnswerMessage(ui::idOk);
    QVERIFY(enterPage());
    checkLastMessage("Cannot read data\\single.txt from the mod " + frm_->ModFileName + ".",
                     ui::ApplicationTitle(), ui::mbOk | ui::mbIconError);
    checkCleared();
    QCOMPARE(ui_->messages.size(), 4);
  }

  // --- unsaved edits ---

  void unsavedEditsAskBeforeTheyAreDiscarded() {
    select(kCaps);
    QVERIFY(enterPage());
    typeIntoGrid(QStringLiteral("mine"));
    QVERIFY(grid().Modified());

    // No keeps the edits, and the question comes again next time.
    ui_->AnswerMessage(ui::idNo);
    QVERIFY(enterPage());
    checkLastMessage(QStringLiteral("Discard the changes to the sheet?"), QStringLiteral("Discard Changes"),
                     ui::mbYesNo | ui::mbIconQuestion);
    QCOMPARE(cells().Cell(0, 1), QByteArray("mine"));
    QVERIFY(grid().Modified());

    // Yes shows the sheet afresh; entering again asks nothing.
    ui_->AnswerMessage(ui::idYes);
    QVERIFY(enterPage());
    QCOMPARE(Rows(cells()), SplitLines(kCapsText));
    QVERIFY(!grid().Modified());
    QVERIFY(enterPage());
    QCOMPARE(ui_->messages.size(), 2);
  }

  // --- Save ---

  void saveWritesTheGridAndMakesItTheSource() {
    select(kHigh);
    QVERIFY(enterPage());
    // Cells show their bytes as Windows-1252 and give back the same bytes.
    const QModelIndex cell = grid().model()->index(0, 0);
    QCOMPARE(cell.data().toString().at(0), QChar(0x20AC));
    QCOMPARE(ansi::fromDisplay(cell.data().toString()), cells().Cell(0, 1));
    grid().setCurrentIndex(grid().model()->index(0, 1));
    typeIntoGrid(ansi::toDisplay("\x80\x9f\xff"));
    QVERIFY(!frm_->btnUpdate->isEnabled());

    const QString out = path("input/high.txt");
    ui_->ConfirmFileDialog({out});
    frm_->tbSheetSave->click();
    QCOMPARE(ui_->fileDialogs.size(), 1);
    const FileDialog& d = ui_->fileDialogs.first().dialog;
    QCOMPARE(d.kind(), FileDialog::Save);
    QCOMPARE(d.Title, QStringLiteral("Save Diablo II Sheet"));
    QCOMPARE(d.Filter, QStringLiteral("Diablo II Sheets (*.TXT)|*.TXT|All Files (*.*)|*.*"));
    QCOMPARE(d.Options, 0x8000Eu);
    QCOMPARE(d.DefaultExt, QStringLiteral("TXT"));
    QCOMPARE(d.FileName, QString());
    QCOMPARE(d.InitialDir, path("input"));
    // The name prompt, whose answer would change nothing, is not shown.
    QVERIFY(ui_->prompts.isEmpty());
    QVERIFY(ui_->messages.isEmpty());

    QByteArray expected = HighText();
    expected.replace("\t\x80\xff\r\n", "\t\x80\x9f\xff\r\n");
    QCOMPARE(fixtures::readAll(out), expected);
    const ModEntry& entry = frm_->Rows->Row(rowOf(kHigh));
    QCOMPARE(entry.SourcePath, out);
    QCOMPARE(entry.SizeText, SizeText(EntrySize(mod_, kHigh)));
    QVERIFY(frm_->btnUpdate->isEnabled());
    QVERIFY(frm_->mniUpdateMod->isEnabled());
    QVERIFY(!grid().Modified());

    // Entering again shows the saved file, and asks nothing.
    QVERIFY(fixtures::writeAll(out, "saved\tfile\r\n"));
    QVERIFY(enterPage());
    QCOMPARE(Rows(cells()), QList<QByteArray>{"saved\tfile"});
  }

  void saveStopsWithoutAModOrASelection() {
    // No mod open: nothing at all (an unanswered dialog would fail the test).
    const QString out = path("input/none.txt");
    frm_->ModFileName.clear();
    frm_->tbSheetSave->click();
    frm_->tbSheetImport->click();
    QVERIFY(ui_->order.isEmpty());
    frm_->ModFileName = mod_;

    ui_->CancelFileDialog();
    frm_->tbSheetSave->click();
    QVERIFY(!QFile::exists(out));

    // The dialog comes first, then the news that no entry is selected.
    frm_->ListView->clearSelection();
    ui_->ConfirmFileDialog({out});
    ui_->AnswerMessage(ui::idOk);
    frm_->tbSheetSave->click();
    QCOMPARE(ui_->order, (QStringList{"file", "file", "message"}));
    checkLastMessage(QStringLiteral("No file selected in filelist to replace."),
                     QStringLiteral("No selection."), ui::mbOk | ui::mbIconExclamation);
    QVERIFY(!QFile::exists(out));
    QVERIFY(!frm_->btnUpdate->isEnabled());
  }

  void saveFailuresLeaveTheSourceAlone() {
    select(kCaps);
    QVERIFY(enterPage());
    typeIntoGrid(QStringLiteral("kept"));
    const QString bad = path("no such folder/caps.txt");
    ui_->ConfirmFileDialog({bad});
    ui_->AnswerMessage(ui::idOk);
    frm_->tbSheetSave->click();
    checkLastMessage("Cannot create file " + bad + ".", ui::ApplicationTitle(), ui::mbOk | ui::mbIconError);
    QCOMPARE(frm_->Rows->Row(rowOf(kCaps)).SourcePath, QString());
    QVERIFY(!frm_->btnUpdate->isEnabled());
    // The edits are still unsaved.
    QVERIFY(grid().Modified());
  }

  // --- Import ---

  void importFillsTheGridFromAFile() {
    const QString sheet = path("input/import.txt");
    QVERIFY(fixtures::writeAll(sheet, "p\tq\r\n7\t8\r\n"));

    // A sheet entry selected: no message.
    select(kCaps);
    ui_->ConfirmFileDialog({sheet});
    frm_->tbSheetImport->click();
    const FileDialog& d = ui_->fileDialogs.last().dialog;
    QCOMPARE(d.kind(), FileDialog::Open);
    QCOMPARE(d.Title, QStringLiteral("Open Diablo II Sheet"));
    QCOMPARE(d.Filter, QStringLiteral("Diablo II Sheets (*.TXT)|*.TXT|All Files (*.*)|*.*"));
    QCOMPARE(d.Options, 0x8030Cu);
    QCOMPARE(d.DefaultExt, QString());
    QCOMPARE(d.FileName, QString());
    QCOMPARE(d.InitialDir, path("input"));
    QVERIFY(ui_->messages.isEmpty());
    QCOMPARE(Rows(cells()), (QList<QByteArray>{"p\tq", "7\t8"}));
    QCOMPARE(cells().FixedRows(), 1);
    QVERIFY(grid().isEnabled());
    // An imported sheet is not saved anywhere: it counts as unsaved.
    QVERIFY(grid().Modified());
    QCOMPARE(frm_->Rows->Row(rowOf(kCaps)).SourcePath, QString());
    QVERIFY(!frm_->btnUpdate->isEnabled());

    // Another entry selected: a warning, then the import all the same; the
    // unsaved import is asked about first.
    select(kGraphic);
    QVERIFY(fixtures::writeAll(sheet, "r\ts\n"));
    ui_->ConfirmFileDialog({sheet});
    ui_->AnswerMessage(ui::idOk);
    ui_->AnswerMessage(ui::idYes);
    frm_->tbSheetImport->click();
    QCOMPARE(ui_->messages.at(0).text,
             QStringLiteral("You need to select a Diablo II Sheet (*.txt) from the internal list first."));
    QCOMPARE(ui_->messages.at(0).title, QStringLiteral("Select sheet first"));
    QCOMPARE(ui_->messages.at(0).flags, ui::mbOk | ui::mbIconExclamation);
    QCOMPARE(ui_->messages.at(1).text, QStringLiteral("Discard the changes to the sheet?"));
    QCOMPARE(Rows(cells()), QList<QByteArray>{"r\ts"});

    // Nothing selected: no message; No to the question keeps the grid.
    frm_->ListView->clearSelection();
    ui_->ConfirmFileDialog({sheet});
    ui_->AnswerMessage(ui::idNo);
    QVERIFY(fixtures::writeAll(sheet, "other\r\n"));
    frm_->tbSheetImport->click();
    QCOMPARE(ui_->messages.size(), 3);
    QCOMPARE(Rows(cells()), QList<QByteArray>{"r\ts"});

    // Cancelled: nothing changes.
    ui_->CancelFileDialog();
    frm_->tbSheetImport->click();
    QCOMPARE(Rows(cells()), QList<QByteArray>{"r\ts"});
  }

  void importFailures() {
    select(kCaps);
    QVERIFY(enterPage());
    const QString empty = path("input/empty.txt");
    QVERIFY(fixtures::writeAll(empty, ""));
    ui_->ConfirmFileDialog({empty});
    ui_->AnswerMessage(ui::idOk);
    frm_->tbSheetImport->click();
    checkLastMessage("List index out of bounds (0)", ui::ApplicationTitle(), ui::mbOk | ui::mbIconError);
    QCOMPARE(cells().RowCount(), 1);
    QCOMPARE(cells().ColCount(), 1);
    QCOMPARE(cells().FixedRows(), 0);
    QCOMPARE(cells().Cell(0, 0), QByteArray("a"));  // not rewritten
    QVERIFY(!grid().Modified());

    const QString gone = path("input/gone.txt");
    ui_->ConfirmFileDialog({gone});
    ui_->AnswerMessage(ui::idOk);
    frm_->tbSheetImport->click();
    checkLastMessage("Cannot open file " + gone + ".", ui::ApplicationTitle(), ui::mbOk | ui::mbIconError);
    QCOMPARE(cells().RowCount(), 2);
    QCOMPARE(cells().FixedRows(), 1);
    QVERIFY(grid().isEnabled());
  }

  // --- into the archive ---

  void savedSheetReachesTheArchiveByUpdate() {
    // A copy of the mod, so the other cases keep theirs.
    const QString copy = path("Updated.QLM");
    QFile::remove(copy);
    QVERIFY(QFile::copy(mod_, copy));
    frm_->ModFileName = copy;
    select(arena_);
    QVERIFY(enterPage());
    typeIntoGrid(QStringLiteral("changed"));
    const QString out = path("input/Arena.txt");
    ui_->ConfirmFileDialog({out});
    frm_->tbSheetSave->click();
    QVERIFY(frm_->btnUpdate->isEnabled());
    const QByteArray saved = fixtures::readAll(out);
    QVERIFY(saved.contains("changed"));

    // Update adds the row's source under its name, replacing the archive's copy.
    frm_->btnUpdate->click();
    QVERIFY(ui_->messages.isEmpty());
    QVERIFY(!frm_->btnUpdate->isEnabled());

    QBuffer stored;
    stored.open(QIODevice::WriteOnly);
    QVERIFY(ReadEntryToStream(copy, arena_, stored));
    QCOMPARE(stored.data(), saved);
    // And the page shows it from the archive once the source is cleared.
    frm_->Rows->SetSourcePath(rowOf(arena_), QString());
    QVERIFY(enterPage());
    QCOMPARE(cells().Cell(0, 1), QByteArray("changed"));
  }
};

QTEST_MAIN(TestEditPage)
#include "test_editpage.moc"

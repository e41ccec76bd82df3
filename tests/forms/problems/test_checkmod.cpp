// Check Mod in the main window: what it reads (pending files, the unsaved
// grid, the game folder of the preferences), the Problems dock, and a
// finding opening its cell on the Edit page.
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTreeView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "ArchiveBuilder.h"
#include "Fixtures.h"
#include "ScriptedUi.h"
#include "archive/ArchiveReader.h"
#include "forms/edit/EditPageGrid.h"
#include "forms/main/untMain.h"
#include "forms/preferences/RulesFileEdit.h"
#include "forms/preferences/untPreferences.h"
#include "forms/problems/ProblemsDock.h"
#include "forms/widgets/FolderEdit.h"
#include "platform/Ui.h"

namespace {

const QByteArray kUnique = "data\\global\\excel\\UniqueItems.txt";
const QByteArray kWeapons = "data\\global\\excel\\weapons.txt";
const QByteArray kArmor = "data\\global\\excel\\armor.txt";
const QByteArray kMisc = "data\\global\\excel\\misc.txt";

// Many rows before the faulty one, so showing it means scrolling to it.
QByteArray UniqueItems() {
  QByteArray text = "index\tcode\tprop1\tprop2\tprop3\tprop4\r\n";
  for (int i = 0; i < 200; ++i) text += "Cap " + QByteArray::number(i) + "\tcap\tallskills\t\t\t\r\n";
  return text + "Odd\tcap\tallskills\t\t\tallskils\r\n";  // line 202
}

}  // namespace

class TestCheckMod : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString mod_;
  std::unique_ptr<ScriptedUi> ui_;
  std::unique_ptr<TfrmPreferences> prefs_;
  std::unique_ptr<TfrmMain> frm_;

  EditPageGrid& grid() const { return *qobject_cast<EditPageGrid*>(frm_->StringGrid); }
  QTreeView* table() const { return frm_->dockProblems->tblProblems; }

  int rowOf(const QByteArray& name) const {
    for (int r = 0; r < frm_->Rows->Count(); ++r)
      if (frm_->Rows->Row(r).Caption == name) return r;
    return -1;
  }

  // The table row (as sorted now) whose message contains text; -1 if none.
  int findingRow(const char* text) const {
    for (int r = 0; r < frm_->dockProblems->Count(); ++r)
      if (frm_->dockProblems->FindingAt(r).message.contains(text)) return r;
    return -1;
  }

  void checkMod() {
    frm_->mniCheckMod->trigger();
    QApplication::processEvents();
  }

  // The current cell of the grid is the finding's, and in view.
  void checkShownCell(int line, int column) {
    QCOMPARE(frm_->PageControl->currentWidget(), frm_->tbsEdit);
    const QModelIndex current = grid().currentIndex();
    QCOMPARE(current.row() + grid().Grid().FixedRows() + 1, line);
    QCOMPARE(current.column(), column);
    QVERIFY(grid().viewport()->rect().contains(grid().visualRect(current).center()));
    QCOMPARE(grid().model()->headerData(current.row(), Qt::Vertical).toInt(), line);
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    mod_ = dir_.filePath("Check.QLM");
    QVERIFY(testarchive::Build(mod_, {{kUnique, UniqueItems()},
                                      {kWeapons, "name\tcode\ttype\r\nAxe\taxe\taxe\r\n"},
                                      {kArmor, "name\tcode\r\nCap\tcap\r\n"},
                                      {kMisc, "name\tcode\r\nRing\trin\r\nAmulet\tamu\r\n"},
                                      {"data\\global\\ui\\panel.dc6", "xx"}}));
    // The game: its patch archive holds the Properties sheet.
    QDir().mkpath(dir_.filePath("game"));
    QVERIFY(testarchive::Build(dir_.filePath("game/patch_d2.mpq"),
                               {{"data\\global\\excel\\Properties.txt", "code\r\nallskills\r\n"}},
                               testarchive::Storage::CompressedEncrypted, testarchive::Listing::NoListfile));
    TfrmPreferences::SetIniFileNameForTesting(dir_.filePath("QUILL.INI"));
  }
  void cleanupTestCase() { ReleaseArchiveState(); }

  void init() {
    ui_ = std::make_unique<ScriptedUi>();
    prefs_ = std::make_unique<TfrmPreferences>();
    frm_ = std::make_unique<TfrmMain>();
    frm_->SetForms(nullptr, prefs_.get());
    frm_->resize(900, 700);
    frm_->show();
    frm_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frm_.get()));
  }
  void cleanup() {
    if (frm_) frm_->CommandsUpdated();
    frm_.reset();
    prefs_.reset();
    ui_.reset();
  }

  // Available only while a mod is open; F7; its hint.
  void commandAvailability() {
    QVERIFY(!frm_->mniCheckMod->isEnabled());
    QCOMPARE(frm_->mniCheckMod->shortcut(), QKeySequence(Qt::Key_F7));
    QCOMPARE(frm_->mniCheckMod->statusTip(),
             QStringLiteral("Check the mod's sheets for faults the game would trip over."));
    QCOMPARE(frm_->mniCheckMod->text(), QStringLiteral("&Check Mod"));
    QVERIFY(!frm_->dockProblems->isVisible());
    openMod();
    QVERIFY(frm_->mniCheckMod->isEnabled());
  }

  // The pending file of a row is checked, not the archive's copy; without
  // the game folder the Properties codes go unchecked, with it the typo is
  // found. The dock's title counts the findings; it sorts by a column.
  void readsPendingFilesAndTheGameFolder() {
    openMod();
    const QString pending = dir_.filePath("weapons.txt");
    QVERIFY(fixtures::writeAll(pending, "name\tcode\ttype\r\nAxe\taxe\taxe\r\nHand Axe\thaxaxe\r\n"));
    frm_->Rows->SetSourcePath(rowOf(kWeapons), pending);
    checkMod();
    QVERIFY(frm_->dockProblems->isVisible());
    QCOMPARE(frm_->dockProblems->windowTitle(), QStringLiteral("Problems (1)"));
    QCOMPARE(frm_->dockProblems->FindingAt(0).file, kWeapons);
    QCOMPARE(frm_->dockProblems->FindingAt(0).line, 3);
    QVERIFY(frm_->HintPanel->text().contains("Properties.txt"));

    prefs_->edtGameFolder->setText(dir_.filePath("game"));
    checkMod();
    QCOMPARE(frm_->dockProblems->windowTitle(), QStringLiteral("Problems (2)"));
    QVERIFY(findingRow("\"allskils\" is not a Properties code [ref]") >= 0);
    QVERIFY(ui_->messages.isEmpty());

    // Sorted by line, largest first: the UniqueItems line 202 leads.
    table()->sortByColumn(2, Qt::DescendingOrder);
    QCOMPARE(frm_->dockProblems->FindingAt(0).line, 202);
    QCOMPARE(table()->model()->index(0, 1).data().toString(), QString::fromLatin1(kUnique));
  }

  // A damaged entry of the game's newest archive is said, and its older copy
  // (which takes the typo) never stands in: the mod is checked without the
  // game, the status bar naming what went unchecked.
  void damagedGameArchive() {
    openMod();
    const QString game = dir_.filePath("damaged-game");
    QVERIFY(QDir().mkpath(game));
    const QByteArray properties = "data\\global\\excel\\Properties.txt";
    const auto none = testarchive::Listing::NoListfile;
    const auto packed = testarchive::Storage::CompressedEncrypted;
    QVERIFY(testarchive::Build(game + "/d2data.mpq", {{properties, "code\r\nallskills\r\nallskils\r\n"}}, packed,
                               none));
    QVERIFY(testarchive::Build(game + "/patch_d2.mpq", {{properties, "code\r\nallskills\r\n"}}, packed, none));
    QVERIFY(testarchive::DamageEntry(game + "/patch_d2.mpq", properties));
    prefs_->edtGameFolder->setText(game);
    ui_->AnswerMessage(ui::idOk);
    checkMod();
    QCOMPARE(ui_->messages.size(), 1);
    QVERIFY(ui_->messages.first().text.contains("patch_d2.mpq"));
    QVERIFY(ui_->messages.first().text.contains(properties));
    const QString hint = frm_->HintPanel->text();
    QVERIFY2(hint.contains("not checked (missing: ") && hint.contains("Properties.txt"), qPrintable(hint));
  }

  // Double-click on a finding: its entry selected, the Edit page open, the
  // cell current and scrolled into view. Enter does the same.
  void findingOpensItsCell() {
    openMod();
    prefs_->edtGameFolder->setText(dir_.filePath("game"));
    checkMod();
    const int ref = findingRow("allskils");
    QVERIFY(ref >= 0);
    QVERIFY(frm_->PageControl->currentWidget() != frm_->tbsEdit);
    const QRect cell = table()->visualRect(table()->model()->index(ref, 4));
    // A double-click as the mouse sends it: the first click, then the second.
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(frm_->SelectedRow(), rowOf(kUnique));
    checkShownCell(202, 5);

    // Back on the Files page with another row selected, Enter on the finding.
    frm_->PageControl->setCurrentWidget(frm_->tbsFiles);
    frm_->SelectRow(rowOf(kMisc));
    table()->setFocus();
    table()->setCurrentIndex(table()->model()->index(ref, 0));
    QTest::keyClick(table(), Qt::Key_Return);
    QCOMPARE(frm_->SelectedRow(), rowOf(kUnique));
    checkShownCell(202, 5);
    QVERIFY(ui_->messages.isEmpty());
  }

  // A message met in many places is one row with its count, opened to its
  // places by a double-click; a double-click on a place opens its cell.
  // Allowing its value asks first, offers a rules file beside the mod when
  // none is set, writes the line the rules reader reads, and checks again.
  void repeatedMessagesGroupedAndAllowed() {
    // In a folder of the case's own, removed with the others once nothing
    // holds the mod (no folder with an open file in it can be removed on Windows).
    const QDir here(dir_.filePath("repeats"));
    QVERIFY(here.mkpath("."));
    const QString mod = here.filePath("Repeats.QLM");
    QVERIFY(testarchive::Build(mod, {{kUnique, "index\tcode\tprop1\tprop4\r\nA\tcap\tallskils\t\r\n"
                                               "B\tcap\tallskils\t\r\nC\tcap\tfire\tallskils\r\n"},
                                     {kWeapons, "name\tcode\r\nAxe\taxe\r\n"},
                                     {kArmor, "name\tcode\r\nCap\tcap\r\n"},
                                     {kMisc, "name\tcode\r\nRing\trin\r\n"}}));
    openMod(mod, {kUnique, kWeapons, kArmor, kMisc});
    prefs_->edtGameFolder->setText(dir_.filePath("game"));
    checkMod();
    QCOMPARE(frm_->dockProblems->windowTitle(), QStringLiteral("Problems (4)"));
    QAbstractItemModel* shown = table()->model();
    QCOMPARE(shown->rowCount(), 2);
    QCOMPARE(shown->index(0, 4).data().toString(),
             QStringLiteral("\"allskils\" is not a Properties code [ref] (3 times)"));
    const QModelIndex group = shown->index(0, 0);
    QCOMPARE(shown->rowCount(group), 3);
    QCOMPARE(shown->rowCount(shown->index(1, 0)), 0);

    QVERIFY(!table()->isExpanded(group));
    const QPoint groupAt = table()->visualRect(shown->index(0, 4)).center();
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, groupAt);
    QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, groupAt);
    QVERIFY(table()->isExpanded(group));
    QCOMPARE(frm_->PageControl->currentWidget(), frm_->tbsFiles);
    const QPoint placeAt = table()->visualRect(shown->index(2, 4, group)).center();
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, placeAt);
    QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, placeAt);
    checkShownCell(4, 3);

    // No rules file: the one beside the mod is offered; No changes nothing.
    QVERIFY(prefs_->RulesFile().isEmpty());
    const QString beside = here.filePath("Repeats.rules");
    table()->setCurrentIndex(shown->index(1, 0, group));
    QVERIFY(frm_->dockProblems->mniAllowValue->isEnabled());
    ui_->AnswerMessage(ui::idNo);
    frm_->dockProblems->mniAllowValue->trigger();
    QVERIFY(ui_->messages.last().text.contains(beside));
    QVERIFY(!QFileInfo::exists(beside));
    ui_->AnswerMessage(ui::idYes);
    frm_->dockProblems->mniAllowValue->trigger();
    QCOMPARE(fixtures::readAll(beside), QByteArray("allow UniqueItems.txt : prop1 prop4 = allskils\n"));
    QCOMPARE(prefs_->RulesFile(), beside);
    QCOMPARE(frm_->dockProblems->windowTitle(), QStringLiteral("Problems (1)"));

    // With a rules file set, its line ends kept; a cube qualifier is allowed
    // by a qualifier line, quoted where a column name holds a blank.
    QVERIFY(fixtures::writeAll(beside, "# mine\r\noff space"));
    QVERIFY(testarchive::Build(mod, {{"data\\global\\excel\\cubemain.txt",
                                      "description\tinput 1\toutput\r\na\t\"cap,zap\"\tcap\r\n"}}));
    openMod(mod, {"data\\global\\excel\\cubemain.txt"});
    prefs_->edtGameFolder->setText(QString());
    checkMod();
    const int zap = findingRow("\"zap\" is not a known qualifier");
    QVERIFY(zap >= 0);
    table()->setCurrentIndex(shown->index(zap, 0));
    ui_->AnswerMessage(ui::idYes);
    frm_->dockProblems->mniAllowValue->trigger();
    QCOMPARE(fixtures::readAll(beside),
             QByteArray("# mine\r\noff space\r\nqualifier cubemain.txt : \"input 1\" = zap\r\n"));
    QCOMPARE(findingRow("zap"), -1);
    QVERIFY(ui_->messages.size() == 3 && ui_->errors.isEmpty());

    prefs_->edtRulesFile->setText(QString());
    prefs_->StorePreferences();
  }

  // Edits no Save has written are checked as the grid shows them, and a
  // finding in that sheet opens its cell without reloading the sheet (no
  // question about discarding the edits).
  void unsavedGridCheckedAsShown() {
    openMod();
    frm_->SelectRow(rowOf(kMisc));
    frm_->EditSelectedSheet();
    QCOMPARE(frm_->EditShownName, kMisc);
    QVERIFY(grid().model()->setData(grid().model()->index(1, 1), QStringLiteral("rin")));
    QVERIFY(grid().Modified());
    frm_->PageControl->setCurrentWidget(frm_->tbsFiles);
    frm_->SelectRow(rowOf(kArmor));
    checkMod();
    const int dup = findingRow("repeats the key");
    QVERIFY(dup >= 0);
    QCOMPARE(frm_->dockProblems->FindingAt(dup).file, kMisc);
    QCOMPARE(frm_->dockProblems->FindingAt(dup).line, 3);

    table()->setFocus();
    table()->setCurrentIndex(table()->model()->index(dup, 0));
    QTest::keyClick(table(), Qt::Key_Enter);
    QVERIFY(ui_->messages.isEmpty());
    QVERIFY(grid().Modified());
    QCOMPARE(grid().Grid().Cell(1, 2), QByteArray("rin"));
    checkShownCell(3, 1);
  }

  // A change to what Update writes greys the findings under a line that
  // offers to check again; the button and F7 do, and the findings are
  // current again. Remove, a saved sheet, Update and Open each do it.
  void changesLeaveTheFindingsOutOfDate() {
    openMod();
    ProblemsDock& dock = *frm_->dockProblems;
    const QString pending = dir_.filePath("weapons.txt");
    QVERIFY(fixtures::writeAll(pending, "name\tcode\ttype\r\nAxe\taxe\taxe\r\nHand Axe\thaxaxe\r\n"));
    frm_->Rows->SetSourcePath(rowOf(kWeapons), pending);
    checkMod();
    QCOMPARE(dock.Count(), 1);
    QVERIFY(!dock.OutOfDate());
    QVERIFY(!dock.pnlProblemsOutOfDate->isVisible());
    const QPalette current = table()->palette();
    QVERIFY(current.color(QPalette::Text) != current.color(QPalette::Disabled, QPalette::Text));

    frm_->SelectRow(rowOf(kWeapons));
    frm_->btnRemove->click();
    QCOMPARE(rowOf(kWeapons), -1);
    QVERIFY(dock.pnlProblemsOutOfDate->isVisible());
    QVERIFY(dock.lblProblemsOutOfDate->text().contains("F7"));
    QCOMPARE(dock.Count(), 1);
    QCOMPARE(table()->palette().color(QPalette::Text), current.color(QPalette::Disabled, QPalette::Text));
    dock.btnProblemsCheckAgain->click();
    QCOMPARE(dock.Count(), 0);
    QVERIFY(!dock.pnlProblemsOutOfDate->isVisible());
    QCOMPARE(table()->palette().color(QPalette::Text), current.color(QPalette::Text));

    // The repeated key typed, checked unsaved, then saved; showing another
    // sheet changes nothing checked, and dropping unsaved edits does.
    frm_->SelectRow(rowOf(kMisc));
    frm_->EditSelectedSheet();
    QVERIFY(!dock.OutOfDate());
    QVERIFY(grid().model()->setData(grid().model()->index(1, 1), QStringLiteral("rin")));
    QVERIFY(dock.OutOfDate());
    QTest::keyClick(table(), Qt::Key_F7);
    QVERIFY(!dock.OutOfDate());
    QVERIFY(findingRow("repeats the key") >= 0);
    ui_->ConfirmFileDialog({dir_.filePath("misc.txt")});
    frm_->tbSheetSave->click();
    QVERIFY(dock.OutOfDate());
    QTest::keyClick(table(), Qt::Key_F7);
    QVERIFY(!dock.OutOfDate());
    QVERIFY(findingRow("repeats the key") >= 0);
    frm_->PageControl->setCurrentWidget(frm_->tbsFiles);
    frm_->SelectRow(rowOf(kArmor));
    frm_->EditSelectedSheet();
    QVERIFY(!dock.OutOfDate());
    QVERIFY(grid().model()->setData(grid().model()->index(0, 0), QStringLiteral("Helm")));
    QTest::keyClick(table(), Qt::Key_F7);
    ui_->AnswerMessage(ui::idYes);
    frm_->PageControl->setCurrentWidget(frm_->tbsFiles);
    frm_->SelectRow(rowOf(kMisc));
    frm_->EditSelectedSheet();
    QVERIFY(ui_->messages.last().text.contains("Discard the changes"));
    QVERIFY(dock.OutOfDate());

    frm_->CommandsUpdated();
    QVERIFY(dock.OutOfDate());
    checkMod();
    ui_->AnswerMessage(ui::idOk);  // the test mod has no mod information
    frm_->OpenModFile(mod_);
    QVERIFY(dock.OutOfDate());
    QVERIFY(ui_->errors.isEmpty());
  }

 private:
  void openMod() {
    openMod(mod_, {kUnique, kWeapons, kArmor, kMisc, QByteArray("data\\global\\ui\\panel.dc6")});
  }
  void openMod(const QString& mod, const QList<QByteArray>& names) {
    frm_->Rows->Clear();
    frm_->ModFileName = mod;
    for (const QByteArray& name : names) frm_->Rows->Append({name, SizeText(EntrySize(mod, name)), QString()});
    frm_->CommandsModStarted();
  }
};

QTEST_MAIN(TestCheckMod)
#include "test_checkmod.moc"

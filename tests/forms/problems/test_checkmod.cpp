// Check Mod in the main window: what it reads (pending files, the unsaved
// grid, the game folder of the preferences), the Problems dock, and a
// finding opening its cell on the Edit page.
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "ArchiveBuilder.h"
#include "Fixtures.h"
#include "ScriptedUi.h"
#include "archive/ArchiveReader.h"
#include "forms/edit/EditPageGrid.h"
#include "forms/main/untMain.h"
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
  QTableView* table() const { return frm_->dockProblems->tblProblems; }

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

    // The repeated key, once saved.
    frm_->SelectRow(rowOf(kMisc));
    frm_->EditSelectedSheet();
    QVERIFY(grid().model()->setData(grid().model()->index(1, 1), QStringLiteral("rin")));
    QVERIFY(!dock.OutOfDate());
    ui_->ConfirmFileDialog({dir_.filePath("misc.txt")});
    frm_->tbSheetSave->click();
    QVERIFY(dock.OutOfDate());
    QTest::keyClick(table(), Qt::Key_F7);
    QVERIFY(!dock.OutOfDate());
    QVERIFY(findingRow("repeats the key") >= 0);

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
    frm_->ModFileName = mod_;
    for (const QByteArray& name :
         {kUnique, kWeapons, kArmor, kMisc, QByteArray("data\\global\\ui\\panel.dc6")})
      frm_->Rows->Append({name, SizeText(EntrySize(mod_, name)), QString()});
    frm_->CommandsModStarted();
  }
};

QTEST_MAIN(TestCheckMod)
#include "test_checkmod.moc"

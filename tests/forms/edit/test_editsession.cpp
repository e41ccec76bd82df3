// A modder's session on the Edit page of the real, shown window, driven by
// mouse and keys: edits left unsaved while another entry is opened (from the
// Files list, a Problems finding, Take Selected Rows, a string table), with a
// real box up while the question is asked; the cell editor on entering a
// cell, changed cells tinted, columns fitted by their header's border; the
// line naming the entry, entries no editor shows, the string table's preview
// while typing, the find bar's keyboard order, and the Problems dock marked
// out of date.
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include "ArchiveBuilder.h"
#include "Fixtures.h"
#include "ModalDriver.h"
#include "ScriptedUi.h"
#include "StringFixtures.h"
#include "archive/ArchiveReader.h"
#include "forms/compare/CompareEntryFilter.h"
#include "forms/compare/ComparePage.h"
#include "forms/edit/EditPageGrid.h"
#include "forms/edit/strings/StringTablePage.h"
#include "forms/files/FilesView.h"
#include "forms/main/untMain.h"
#include "forms/preferences/untPreferences.h"
#include "forms/problems/ProblemsDock.h"

namespace {

const QByteArray kMisc = "data\\global\\excel\\misc.txt";
const QByteArray kCube = "data\\global\\excel\\cubemain.txt";
const QByteArray kPatch = "data\\local\\lng\\eng\\patchstring.tbl";
const QByteArray kWide = "data\\global\\excel\\wide.txt";
const QByteArray kSound = "data\\global\\sfx\\hit.wav";
const int kWideRow = 1400;  // far below the rows in view

// Many short cells and, far down, one wide one in column 1.
QByteArray WideSheet() {
  QByteArray text = "a\tb\tc\r\n";
  for (int r = 1; r < 1500; ++r)
    text +=
        r == kWideRow ? "x\tthe one cell of this column that is wider than all others\tz\r\n" : "x\ty\tz\r\n";
  return text;
}

// Whether the cell shows the tint of a changed cell.
bool Tinted(const QAbstractItemModel* model, int row, int col) {
  const QVariant tint = model->index(row, col).data(Qt::BackgroundRole);
  return tint.isValid() && tint.value<QColor>().alpha() > 0;
}

QLineEdit* CellEditor() {
  return qobject_cast<QLineEdit*>(QApplication::focusWidget());
}

}  // namespace

class TestEditSession : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString mod_, other_;
  int miscRows_ = 0;
  std::unique_ptr<ScriptedUi> ui_;
  std::unique_ptr<TfrmPreferences> prefs_;
  std::unique_ptr<TfrmMain> frm_;

  EditPageGrid& grid() const { return *qobject_cast<EditPageGrid*>(frm_->StringGrid); }

  int rowOf(const QByteArray& name) const {
    for (int r = 0; r < frm_->Rows->Count(); ++r)
      if (frm_->Rows->Row(r).Caption == name) return r;
    return -1;
  }

  // A click on the page's tab, as the user switches pages.
  void clickTab(QWidget* page) {
    QTabBar* bar = frm_->PageControl->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(frm_->PageControl->indexOf(page)).center());
  }
  // A click on the entry's row in the Files list.
  void clickRow(const QByteArray& name) {
    const QModelIndex index = frm_->ListView->model()->index(rowOf(name), 0);
    frm_->ListView->scrollTo(index);
    QTest::mouseClick(frm_->ListView->viewport(), Qt::LeftButton, {},
                      frm_->ListView->visualRect(index).center());
  }
  // A click on a cell of the grid.
  void clickCell(int row, int col) {
    const QModelIndex index = grid().model()->index(row, col);
    static_cast<QTableView&>(grid()).scrollTo(index);
    QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, grid().visualRect(index).center());
  }
  // The discard question answered Yes, while the box's own event loop runs.
  // A real box is on screen meanwhile: it takes the focus and gives it back.
  void discardWhenAsked(bool activatedAgain = true) { answerWhenAsked(ui::idYes, activatedAgain); }
  void answerWhenAsked(int answer, bool activatedAgain = true) {
    ui_->AnswerMessage(answer, [this, answer, activatedAgain] {
      QMessageBox box(QMessageBox::Question, QStringLiteral("Discard Changes"), QStringLiteral("Discard?"),
                      QMessageBox::Yes | QMessageBox::No, frm_.get());
      modal::WhenShown<QMessageBox>([answer](QMessageBox* shown) {
        QVERIFY(QTest::qWaitForWindowActive(shown));
        // As on a desktop, the box's default button takes the focus.
        shown->button(QMessageBox::Yes)->setFocus(Qt::ActiveWindowFocusReason);
        QApplication::processEvents();
        shown->button(answer == ui::idYes ? QMessageBox::Yes : QMessageBox::No)->click();
      });
      box.exec();
      if (!activatedAgain) return;
      // The window manager gives the window back its activation.
      frm_->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(frm_.get()));
    });
  }
  // Keys as the keyboard sends them: each to whatever has the focus then.
  static void typeKeys(const QString& text) {
    for (QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
  }
  void settle() {
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
  }

  // The entry opened on the Edit page with the Files list's row and the tab.
  void openByTab(const QByteArray& name) {
    clickTab(frm_->tbsFiles);
    settle();  // the user's pause
    clickRow(name);
    clickTab(frm_->tbsEdit);
    settle();
  }

  // The grid shows the sheet and its editor is open in the current cell.
  void checkShowing(const QByteArray& name) {
    QCOMPARE(frm_->EditShownName, name);
    QVERIFY(!grid().Modified());
    QVERIFY(CellEditor());
    QVERIFY(grid().isAncestorOf(CellEditor()));
    QCOMPARE(CellEditor()->text(), grid().currentIndex().data().toString());
  }

 private slots:
  void initTestCase() {
    QF_REQUIRE_FIXTURES();
    QF_REQUIRE_STRING_FIXTURES();
    QVERIFY(dir_.isValid());
    const QString excel = fixtures::modDir() + "/data/global/excel/";
    mod_ = dir_.filePath("Session.QLM");
    const QByteArray misc = fixtures::readAll(excel + "misc.txt");
    QVERIFY(testarchive::Build(
        mod_, {{kMisc, misc},
               {kCube, fixtures::readAll(excel + "cubemain.txt")},
               {kPatch, fixtures::readAll(fixtures::stringsDir() + "/lng/eng/patchstring.tbl")},
               {kWide, WideSheet()},
               {kSound, QByteArray("RIFF\x04\0\0\0WAVE", 12)}}));
    // The other mod's misc.txt has one row more, right under the header.
    miscRows_ = int(misc.count("\r\n"));
    QByteArray otherMisc = misc;
    otherMisc.insert(otherMisc.indexOf("\r\n") + 2, "Taken\r\n");
    other_ = dir_.filePath("Other.QLM");
    QVERIFY(testarchive::Build(other_, {{kMisc, otherMisc}}));
    TfrmPreferences::SetIniFileNameForTesting(dir_.filePath("QUILL.INI"));
  }
  void cleanupTestCase() { ReleaseArchiveState(); }

  void init() {
    ui_ = std::make_unique<ScriptedUi>();
    prefs_ = std::make_unique<TfrmPreferences>();
    frm_ = std::make_unique<TfrmMain>();
    frm_->SetForms(nullptr, prefs_.get());
    frm_->ModFileName = mod_;
    for (const QByteArray& name : {kMisc, kCube, kPatch, kWide, kSound})
      frm_->Rows->Append({name, SizeText(EntrySize(mod_, name)), QString()});
    frm_->CommandsModStarted();
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

  // Edited, not saved, another sheet selected on the Files page, the Edit
  // tab clicked and the edits discarded: the other sheet is shown.
  void discardingByTheEditTab() {
    openByTab(kMisc);
    checkShowing(kMisc);
    clickCell(1, 1);
    QTest::keyClicks(CellEditor(), QStringLiteral("edited"));
    QVERIFY(grid().Modified());
    discardWhenAsked();
    openByTab(kCube);
    QCOMPARE(ui_->messages.size(), 1);
    checkShowing(kCube);
    QTest::keyClicks(CellEditor(), QStringLiteral("x"));
    QVERIFY(grid().Modified());
  }

  // Without a window manager the window stays inactive after the box: keys
  // still reach the grid and open an editor there, which no focus change
  // closes. Leaving the page and coming back must not trip over it.
  void discardingTwiceWithoutActivation() {
    openByTab(kMisc);
    clickCell(1, 1);
    QTest::keyClicks(CellEditor(), QStringLiteral("edited"));
    discardWhenAsked(false);
    openByTab(kCube);
    QCOMPARE(frm_->EditShownName, kCube);
    QTest::keyClicks(&grid(), QStringLiteral("typed"));
    QVERIFY(grid().Modified());
    // The click on the Files tab brings the window back.
    clickTab(frm_->tbsFiles);
    frm_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frm_.get()));
    settle();
    clickRow(kMisc);
    discardWhenAsked();
    clickTab(frm_->tbsEdit);
    settle();
    QCOMPARE(ui_->messages.size(), 2);
    checkShowing(kMisc);
  }

  // A string table edited, a sheet opened instead, and back.
  void discardingAStringTable() {
    openByTab(kPatch);
    QTableView* strings = frm_->StringsPage->Grid();
    QVERIFY(frm_->StringsPage->Active());
    const QModelIndex text = strings->model()->index(3, 2);
    QTest::mouseClick(strings->viewport(), Qt::LeftButton, {}, strings->visualRect(text).center());
    QTest::mouseDClick(strings->viewport(), Qt::LeftButton, {}, strings->visualRect(text).center());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("edited"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(frm_->StringsPage->Modified());
    discardWhenAsked();
    openByTab(kMisc);
    checkShowing(kMisc);
    clickCell(2, 2);
    QTest::keyClicks(CellEditor(), QStringLiteral("edited"));
    discardWhenAsked();
    openByTab(kPatch);
    QVERIFY(frm_->StringsPage->Active());
    QVERIFY(!frm_->StringsPage->Modified());
    QCOMPARE(ui_->messages.size(), 2);
  }

  // Take Selected Rows opens the Compare page's sheet on the Edit page,
  // where another sheet has unsaved edits: asked once; No keeps them and
  // takes nothing, Yes takes the row, and Undo puts the sheet back.
  void takingRowsOverUnsavedEdits() {
    openByTab(kCube);
    clickCell(0, 0);
    QTest::keyClicks(CellEditor(), QStringLiteral("edited"));
    ui_->Choose(QStringLiteral("Another &Mod..."));
    ui_->ConfirmFileDialog({other_});
    frm_->mniCompare->trigger();
    settle();
    ComparePage* page = frm_->tbsCompare;
    QCOMPARE(frm_->PageControl->currentWidget(), page);
    for (int r = 0; r < page->Filter->rowCount(); ++r)
      if (page->Filter->index(r, 0).data().toString() == QString::fromLatin1(kMisc))
        page->lvCompare->setCurrentIndex(page->Filter->index(r, 0));
    QTreeView* cells = page->lvCompareCells;
    QTest::mouseClick(cells->viewport(), Qt::LeftButton, {},
                      cells->visualRect(cells->model()->index(0, 0)).center());
    QVERIFY(page->btnTakeRows->isEnabled());

    answerWhenAsked(ui::idNo);
    QTest::mouseClick(page->btnTakeRows, Qt::LeftButton);
    settle();
    QCOMPARE(ui_->messages.size(), 1);
    QCOMPARE(frm_->EditShownName, kCube);
    QVERIFY(grid().Modified());

    frm_->PageControl->setCurrentWidget(page);
    settle();
    discardWhenAsked();
    QTest::mouseClick(page->btnTakeRows, Qt::LeftButton);
    settle();
    QCOMPARE(ui_->messages.size(), 2);
    QCOMPARE(frm_->EditShownName, kMisc);
    QCOMPARE(grid().Editor().Stack().undoText(), QStringLiteral("Take Selected Rows"));
    QCOMPARE(grid().Grid().RowCount(), miscRows_ + 1);
    // One row is tinted, the taken one: the rows that stayed are not.
    int tintedRows = 0;
    for (int r = 0; r < grid().model()->rowCount(); ++r) tintedRows += Tinted(grid().model(), r, 0);
    QCOMPARE(tintedRows, 1);
    QVERIFY(CellEditor());
    QTest::keyClick(CellEditor(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    QCOMPARE(grid().Grid().RowCount(), miscRows_);
    tintedRows = 0;
    for (int r = 0; r < grid().model()->rowCount(); ++r) tintedRows += Tinted(grid().model(), r, 0);
    QCOMPARE(tintedRows, 0);
    QVERIFY(!grid().Modified());
    QVERIFY(CellEditor());
    QCOMPARE(CellEditor()->text(), grid().currentIndex().data().toString());
  }

  // Entering a cell by a click, an arrow key or Tab selects its whole text,
  // so typing replaces it; Ctrl+A selects it again. Undo goes back to the
  // cell with its text selected and in view.
  void cellEditorOnEnteringACell() {
    openByTab(kMisc);
    auto wholeSelected = [this] {
      QLineEdit* editor = CellEditor();
      return editor && !editor->text().isEmpty() && editor->selectedText() == editor->text();
    };
    clickCell(2, 0);
    QVERIFY(wholeSelected());
    QTest::keyClick(CellEditor(), Qt::Key_Down);
    QCOMPARE(grid().currentIndex().row(), 3);
    QVERIFY(wholeSelected());
    QTest::keyClick(CellEditor(), Qt::Key_Tab);
    QVERIFY(wholeSelected());
    const QString before = CellEditor()->text();
    QTest::keyClicks(CellEditor(),
                     QStringLiteral("a value typed over the old one and longer than the cell is wide"));
    QCOMPARE(grid().Grid().Cell(1, 4),
             QByteArray("a value typed over the old one and longer than the cell is wide"));
    clickCell(2, 0);
    QTest::keyClick(CellEditor(), Qt::Key_End);
    QVERIFY(!wholeSelected());
    QTest::keyClick(CellEditor(), Qt::Key_A, Qt::ControlModifier);
    QVERIFY(wholeSelected());

    QTest::keyClick(CellEditor(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(grid().currentIndex(), grid().model()->index(3, 1));
    QCOMPARE(CellEditor()->text(), before);
    QVERIFY(wholeSelected());
    // The caret, at the end of the selection, is inside the editor.
    CellEditor()->repaint();
    QVERIFY(CellEditor()->rect().contains(
        CellEditor()->inputMethodQuery(Qt::ImCursorRectangle).toRect().center()));
    QVERIFY(!grid().Modified());

    // Undone where the editor is: the old text whole, selected, in view.
    const QString old = CellEditor()->text();
    QTest::keyClick(CellEditor(), Qt::Key_End);
    QTest::keyClicks(CellEditor(),
                     QStringLiteral(" and a long tail that runs far past the right edge of the cell"));
    QTest::keyClick(CellEditor(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(CellEditor()->text(), old);
    QVERIFY(wholeSelected());
    CellEditor()->repaint();
    QVERIFY(CellEditor()->rect().contains(
        CellEditor()->inputMethodQuery(Qt::ImCursorRectangle).toRect().center()));
  }

  // In the string table, Ctrl+A and typing over a text replace it.
  void stringTextReplacedAfterCtrlA() {
    openByTab(kPatch);
    QTableView* strings = frm_->StringsPage->Grid();
    const QModelIndex text = strings->model()->index(5, 2);
    QVERIFY(!text.data().toString().isEmpty());
    QTest::mouseClick(strings->viewport(), Qt::LeftButton, {}, strings->visualRect(text).center());
    QTest::keyClick(strings, Qt::Key_A, Qt::ControlModifier);
    typeKeys(QStringLiteral("Edited by hand 2456"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(text.data().toString(), QStringLiteral("Edited by hand 2456"));
    // Inside the open editor, Ctrl+A selects its text: typing replaces it.
    QTest::mouseDClick(strings->viewport(), Qt::LeftButton, {}, strings->visualRect(text).center());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    typeKeys(QStringLiteral("Again"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(text.data().toString(), QStringLiteral("Again"));
  }

  // Cells changed since the sheet was shown have a tint, rows inserted too;
  // an undone change has none; a fresh showing clears them all.
  void changedCellsAreTinted() {
    openByTab(kMisc);
    const QAbstractItemModel* model = grid().model();
    auto tinted = [model](int row, int col) { return Tinted(model, row, col); };
    QVERIFY(!tinted(1, 1));
    clickCell(1, 1);
    QTest::keyClicks(CellEditor(), QStringLiteral("changed"));
    QVERIFY(tinted(1, 1));
    QVERIFY(!tinted(1, 0));
    QVERIFY(!tinted(2, 1));
    // A row inserted above: the changed cell moves down with its tint.
    clickCell(0, 0);
    QTest::keyClick(CellEditor(), Qt::Key_I, Qt::ControlModifier);
    QVERIFY(tinted(0, 0));
    QVERIFY(!tinted(1, 1));
    QVERIFY(tinted(2, 1));
    QTest::keyClick(CellEditor(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(CellEditor(), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!tinted(1, 1));
    QVERIFY(!tinted(0, 0));
    QTest::keyClicks(CellEditor(), QStringLiteral("again"));
    QVERIFY(grid().Modified());
    discardWhenAsked();
    openByTab(kMisc);
    QVERIFY(!tinted(grid().currentIndex().row(), grid().currentIndex().column()));
  }

  // A double-click on a column header's right border fits the column to
  // its widest text, also one far below the rows in view.
  void headerBorderFitsTheColumn() {
    openByTab(kWide);
    QHeaderView* header = grid().horizontalHeader();
    const QModelIndex wide = grid().model()->index(kWideRow - 1, 1);
    const int needed = grid().fontMetrics().horizontalAdvance(wide.data().toString());
    QVERIFY(grid().columnWidth(1) < needed);
    const QPoint border(header->sectionViewportPosition(1) + header->sectionSize(1) - 1,
                        header->height() / 2);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, border);
    QVERIFY(grid().columnWidth(1) >= needed);
    QVERIFY(grid().columnWidth(1) < needed + 40);
    QCOMPARE(grid().columnWidth(0), SheetGridView::kDefaultColWidth);
  }

  // The line above the editor names the entry, and its pending file once it
  // has one.
  void headerNamesTheEntry() {
    openByTab(kMisc);
    QCOMPARE(frm_->lblEditEntry->text(), QString::fromLatin1(kMisc));
    QVERIFY(frm_->lblEditEntry->isVisible());
    const QString saved = dir_.filePath("saved-misc.txt");
    ui_->ConfirmFileDialog({saved});
    QTest::keyClick(CellEditor(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(QFile::exists(saved));
    QCOMPARE(frm_->lblEditEntry->text(), QString::fromLatin1(kMisc) +
                                             QStringLiteral(" \u2014 from the pending file ") +
                                             QDir::toNativeSeparators(saved));
    openByTab(kPatch);
    QCOMPARE(frm_->lblEditEntry->text(), QString::fromLatin1(kPatch));
    QVERIFY(QFile::remove(saved));
  }

  // An entry no editor shows: a note in the grid's place naming its kind
  // and Export, Save off (Ctrl+S asks for nothing); a sheet after it is
  // shown and saved as before.
  void entryWithoutAnEditor() {
    openByTab(kSound);
    QVERIFY(frm_->lblNoEditor->isVisible());
    QVERIFY(!frm_->StringGrid->isVisible());
    QVERIFY(frm_->lblNoEditor->text().contains(QStringLiteral(".wav")));
    QVERIFY(frm_->lblNoEditor->text().contains(QStringLiteral("Export")));
    QCOMPARE(frm_->lblEditEntry->text(), QString::fromLatin1(kSound));
    QVERIFY(!frm_->tbSheetSave->isEnabled());
    QTest::keyClick(frm_->tbsEdit, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(ui_->order.isEmpty());
    openByTab(kMisc);
    QVERIFY(!frm_->lblNoEditor->isVisible());
    QVERIFY(frm_->StringGrid->isVisible());
    QVERIFY(frm_->tbSheetSave->isEnabled());
    checkShowing(kMisc);
  }

  // The string table's preview follows each keystroke in the cell editor,
  // and goes back to the text when the editor is left with Escape.
  void previewFollowsTyping() {
    openByTab(kPatch);
    QTableView* strings = frm_->StringsPage->Grid();
    const QModelIndex text = strings->model()->index(5, 2);
    QTest::mouseClick(strings->viewport(), Qt::LeftButton, {}, strings->visualRect(text).center());
    const QString before = frm_->StringsPage->Preview()->toPlainText();
    QVERIFY(!before.isEmpty());
    QTest::mouseDClick(strings->viewport(), Qt::LeftButton, {}, strings->visualRect(text).center());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
    typeKeys(QStringLiteral("Zq"));
    QCOMPARE(frm_->StringsPage->Preview()->toPlainText(), before + QStringLiteral("Zq"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QCOMPARE(frm_->StringsPage->Preview()->toPlainText(), before + QStringLiteral("Z"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(frm_->StringsPage->Preview()->toPlainText(), before);
    QVERIFY(!frm_->StringsPage->Modified());
  }

  // The same from a finding of Check Mod in the sheet not shown.
  void discardingByAFinding() {
    openByTab(kMisc);
    clickCell(1, 1);
    QTest::keyClicks(CellEditor(), QStringLiteral("edited"));
    clickTab(frm_->tbsFiles);
    settle();
    clickRow(kCube);
    frm_->mniCheckMod->trigger();
    settle();
    // A place of a finding in the sheet not shown: a message met once, or
    // the first place of one met in many places, opened.
    QTreeView* problems = frm_->dockProblems->tblProblems;
    QAbstractItemModel* shown = problems->model();
    QModelIndex place;
    for (int r = 0; r < shown->rowCount() && !place.isValid(); ++r) {
      if (frm_->dockProblems->FindingAt(r).file != kCube) continue;
      place = shown->index(r, 4);
      if (!frm_->dockProblems->PlaceAt(place)) {
        problems->expand(place.siblingAtColumn(0));
        place = shown->index(0, 4, place.siblingAtColumn(0));
      }
    }
    QVERIFY(place.isValid());
    QVERIFY(frm_->dockProblems->PlaceAt(place));
    const int line = frm_->dockProblems->PlaceAt(place)->line;
    const QRect cell = problems->visualRect(place);
    discardWhenAsked();
    QTest::mouseClick(problems->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(problems->viewport(), Qt::LeftButton, {}, cell.center());
    settle();
    checkShowing(kCube);
    QCOMPARE(grid().CurrentCell().row, line - 1);
  }
};

QTEST_MAIN(TestEditSession)
#include "test_editsession.moc"

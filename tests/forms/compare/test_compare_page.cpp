// Compare With driven through the window: the other mod chosen in the
// scripted dialogs, the Compare page's counts, filter and state switches,
// Take Theirs of entries changed, only there and only here, its undo, the
// cell view's Take Selected Rows as one step of the sheet's history, and
// the archive Update writes after them, read back with smpq; a string
// table's texts in the cell view.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "Fixtures.h"
#include "Workspace.h"
#include "archive/ModInfo.h"
#include "archive/sheetedit/SheetEditor.h"
#include "archive/strings/StringTableCodec.h"
#include "forms/compare/CompareCellModel.h"
#include "forms/compare/CompareEntryFilter.h"
#include "forms/compare/CompareEntryModel.h"
#include "forms/compare/ComparePage.h"
#include "forms/compare/CompareWith.h"
#include "forms/edit/EditPageGrid.h"
#include "forms/widgets/StatusProgressBar.h"

using cmd::Workspace;

namespace {

const QByteArray kGems = "data\\global\\excel\\gems.txt";
const QByteArray kGemsHere = "name\tcode\tlevel\r\nRuby\tgrb\t1\r\nOpal\tgop\t2\r\n";
const QByteArray kGemsThere = "name\tcode\tlevel\r\nRuby\tgrb\t5\r\nJade\tgjd\t3\r\nOpal\tgop\t2\r\n";

// This mod and the other one, made by smpq.
bool MakeMods(Workspace& ws, QString& here, QString& there) {
  here = ws.path("here.QLM");
  there = ws.path("there.QLM");
  return cmd::SmpqCreate(here, {{"data/global/excel/gems.txt", kGemsHere},
                                {"data/a.bin", "old bytes"},
                                {"data/gone.bin", "only here"},
                                {"data/keep.bin", "same"},
                                {"(modinfo)", EncodeModInfo(ModInfo{})}}) &&
         cmd::SmpqCreate(there, {{"data/global/excel/gems.txt", kGemsThere},
                                 {"data/a.bin", "new bytes!"},
                                 {"data/new.bin", "only there"},
                                 {"data/keep.bin", "same"},
                                 {"(modinfo)", EncodeModInfo(ModInfo{})}});
}

void CompareWithMod(Workspace& ws, const QString& other) {
  ws.ui.Choose(QStringLiteral("Another &Mod..."));
  ws.ui.ConfirmFileDialog({other});
  ws.w->mniCompare->trigger();
}

QStringList ShownNames(ComparePage* page) {
  QStringList names;
  for (int r = 0; r < page->Filter->rowCount(); ++r) names << page->Filter->index(r, 0).data().toString();
  return names;
}

// Selects the listed entries with these names.
void SelectEntries(ComparePage* page, const QStringList& names) {
  auto* selection = page->lvCompare->selectionModel();
  selection->clearSelection();
  for (int r = 0; r < page->Filter->rowCount(); ++r)
    if (names.contains(page->Filter->index(r, 0).data().toString()))
      selection->select(page->Filter->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void ChooseEntry(ComparePage* page, const QString& name) {
  for (int r = 0; r < page->Filter->rowCount(); ++r)
    if (page->Filter->index(r, 0).data().toString() == name)
      page->lvCompare->selectionModel()->setCurrentIndex(
          page->Filter->index(r, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// name -> (size text, whether a source file is set)
QMap<QByteArray, QPair<QString, bool>> Rows(const Workspace& ws) {
  QMap<QByteArray, QPair<QString, bool>> rows;
  for (const ModEntry& e : ws.w->Rows->Rows()) rows.insert(e.Caption, {e.SizeText, !e.SourcePath.isEmpty()});
  return rows;
}

QMap<QString, QByteArray> Extracted(const QString& mod) {
  QTemporaryDir out;
  QProcess smpq;
  smpq.setWorkingDirectory(out.path());
  smpq.start(QStringLiteral("/usr/bin/smpq"), {"-x", mod});
  if (!smpq.waitForFinished(60000) || smpq.exitCode() != 0) return {};
  QMap<QString, QByteArray> tree = cmd::ReadTree(out.path());
  tree.remove(QStringLiteral("(modinfo)"));
  return tree;
}

}  // namespace

class TestComparePage : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    if (!cmd::HaveSmpq()) QSKIP("smpq is not installed");
  }

  // The menu item is on only with a mod open; the page lists what differs,
  // "same" hidden at first, filtered by name and by state.
  void thePage() {
    Workspace ws;
    QString here, there;
    QVERIFY(MakeMods(ws, here, there));
    QVERIFY(!ws.w->mniCompare->isEnabled());
    QCOMPARE(ws.w->mniCompare->statusTip().isEmpty() && ws.w->mniCompare->toolTip().isEmpty(), false);
    ws.Open(here);
    ws.w->show();
    QVERIFY(ws.w->mniCompare->isEnabled());
    const int tab = ws.w->PageControl->indexOf(ws.w->tbsCompare);
    QVERIFY(!ws.w->PageControl->isTabVisible(tab));

    CompareWithMod(ws, there);
    QCOMPARE(ws.ui.choices.last().caption, QStringLiteral("Compare With"));
    QCOMPARE(ws.ui.fileDialogs.last().dialog.InitialDir, ws.outputDir());
    ComparePage* page = ws.w->tbsCompare;
    QVERIFY(ws.w->PageControl->isTabVisible(tab));
    QCOMPARE(ws.w->PageControl->currentWidget(), page);
    // Busy while it compared, the progress bar counting both sides' names.
    QVERIFY(ws.ui.cursors.contains(ui::crHourGlass));
    QCOMPARE(ws.ui.cursors.last(), ui::crDefault);
    QCOMPARE(ws.w->ProgressBar->Max(), 8);
    QCOMPARE(page->lblCompareCounts->text(), QStringLiteral("2 changed, 1 only here, 1 only there, 1 same"));
    QCOMPARE(ShownNames(page), (QStringList{"data\\a.bin", "data\\global\\excel\\gems.txt", "data\\gone.bin",
                                            "data\\new.bin"}));
    page->chkCompareSame->setChecked(true);
    QCOMPARE(ShownNames(page).size(), 5);
    page->chkCompareChanged->setChecked(false);
    page->edtCompareFilter->setText("BIN");
    QCOMPARE(ShownNames(page), (QStringList{"data\\gone.bin", "data\\keep.bin", "data\\new.bin"}));
    page->edtCompareFilter->clear();
    page->chkCompareChanged->setChecked(true);

    // The cell view of the changed sheet; a changed binary's first difference.
    ChooseEntry(page, "data\\global\\excel\\gems.txt");
    QCOMPARE(page->Cells->rowCount(), 2);
    QCOMPARE(page->Cells->index(0, CompareCellModel::CellsColumn).data().toString(),
             QString::fromUtf8("level: 1 \u2192 5"));
    QCOMPARE(page->Cells->index(1, CompareCellModel::ChangeColumn).data().toString(),
             QStringLiteral("only there"));
    QCOMPARE(page->lblCompareDetail->text(), QStringLiteral("1 changed cell, 2 rows listed."));
    QCOMPARE(page->Cells->headerData(CompareCellModel::CellsColumn, Qt::Horizontal, Qt::DisplayRole),
             QString::fromUtf8("Cells: here.QLM \u2192 there.QLM"));
    ChooseEntry(page, "data\\a.bin");
    QCOMPARE(page->Cells->rowCount(), 0);
    QVERIFY(page->lblCompareDetail->text().contains("first difference at byte 0"));

    // Every control can be found by name and is named for assistive tools.
    for (QWidget* control : std::initializer_list<QWidget*>{
             page->lblCompareSides, page->lblCompareCounts, page->edtCompareFilter, page->chkCompareChanged,
             page->chkCompareOnlyHere, page->chkCompareOnlyThere, page->chkCompareSame, page->btnTakeTheirs,
             page->btnCompareUndo, page->btnCompareFiles, page->lvCompare, page->lblCompareDetail,
             page->lvCompareCells, page->btnTakeRows}) {
      QVERIFY(!control->objectName().isEmpty());
      QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
    }

    // One click back to the Files page.
    page->btnCompareFiles->click();
    QCOMPARE(ws.w->PageControl->currentWidget(), ws.w->tbsFiles);
  }

  // The folder the mod was built from: its files stand for the entries below
  // the internal folder asked for, offered as the folder the mod's names
  // share, so that nothing differs.
  void comparesWithTheFolderItWasBuiltFrom() {
    Workspace ws;
    QString here, there;
    QVERIFY(MakeMods(ws, here, there));
    const QString tree = ws.path("tree");
    QVERIFY(QDir().mkpath(tree + "/global/excel"));
    QVERIFY(fixtures::writeAll(tree + "/global/excel/gems.txt", kGemsHere));
    QVERIFY(fixtures::writeAll(tree + "/a.bin", "old bytes"));
    QVERIFY(fixtures::writeAll(tree + "/gone.bin", "only here"));
    QVERIFY(fixtures::writeAll(tree + "/keep.bin", "changed"));
    ws.Open(here);
    ws.ui.Choose(QStringLiteral("A &Folder..."));
    ws.ui.ConfirmFolder(tree);
    ws.ui.ConfirmPrompt();
    ws.w->mniCompare->trigger();
    QCOMPARE(ws.ui.choices.last().buttons,
             (QStringList{"Another &Mod...", "A &Folder...", "The &Game"}));
    QCOMPARE(ws.ui.prompts.last().preset, QByteArray("data\\"));
    QCOMPARE(ws.w->tbsCompare->lblCompareCounts->text(),
             QStringLiteral("1 changed, 0 only here, 0 only there, 3 same"));
    QCOMPARE(ShownNames(ws.w->tbsCompare), QStringList{"data\\keep.bin"});

    // The game, before Preferences names its folder: said so, nothing compared.
    ws.ui.Choose(QStringLiteral("The &Game"));
    ws.ui.AnswerMessage(ui::idOk);
    ws.w->mniCompare->trigger();
    QVERIFY(ws.ui.messages.last().text.contains("Preferences"));
    QCOMPARE(ws.w->tbsCompare->lblCompareCounts->text(),
             QStringLiteral("1 changed, 0 only here, 0 only there, 3 same"));
  }

  // Take Theirs of a changed entry, one only there and one only here: the
  // rows change as Add and Remove would change them, Update comes on; Undo
  // puts every row back; taken again and updated, smpq reads the other
  // side's bytes out of the mod, and the page can no longer undo.
  void takeTheirs() {
    Workspace ws;
    QString here, there;
    QVERIFY(MakeMods(ws, here, there));
    ws.Open(here);
    const auto before = Rows(ws);
    CompareWithMod(ws, there);
    ComparePage* page = ws.w->tbsCompare;
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));

    SelectEntries(page, {"data\\a.bin", "data\\new.bin", "data\\gone.bin"});
    page->btnTakeTheirs->click();
    auto taken = Rows(ws);
    QVERIFY(!taken.contains("data\\gone.bin"));
    QCOMPARE(taken.value("data\\a.bin"), qMakePair(QStringLiteral("10 Bytes"), true));
    QCOMPARE(taken.value("data\\new.bin"), qMakePair(QStringLiteral("10 Bytes"), true));
    QCOMPARE(ws.w->RemovedNames, QList<QByteArray>{"data\\gone.bin"});
    QCOMPARE(ws.UpdateState(), QStringLiteral("on"));
    QCOMPARE(page->lblCompareCounts->text(), QStringLiteral("1 changed, 0 only here, 0 only there, 3 same"));
    QVERIFY(page->btnCompareUndo->isEnabled());

    page->btnCompareUndo->click();
    QCOMPARE(Rows(ws), before);
    QVERIFY(ws.w->RemovedNames.isEmpty());
    QCOMPARE(page->lblCompareCounts->text(), QStringLiteral("2 changed, 1 only here, 1 only there, 1 same"));
    QVERIFY(!page->btnCompareUndo->isEnabled());

    SelectEntries(page, {"data\\a.bin", "data\\new.bin", "data\\gone.bin"});
    page->btnTakeTheirs->click();
    ws.Update();
    QVERIFY(!page->btnCompareUndo->isEnabled());
    const auto tree = Extracted(here);
    QCOMPARE(tree.value("data/a.bin"), "new bytes!");
    QCOMPARE(tree.value("data/new.bin"), "only there");
    QVERIFY(!tree.contains("data/gone.bin"));
    QCOMPARE(tree.value("data/global/excel/gems.txt"), kGemsHere);

    // Compared again, only the sheet still differs.
    CompareWithMod(ws, there);
    QCOMPARE(page->lblCompareCounts->text(), QStringLiteral("1 changed, 0 only here, 0 only there, 3 same"));

    // Another mod opened: the comparison was of this one, and goes.
    ws.Open(there);
    QCOMPARE(page->Entries->rowCount(), 0);
    QVERIFY(!ws.w->PageControl->isTabVisible(ws.w->PageControl->indexOf(page)));
    SelectEntries(page, {"data\\a.bin"});
    page->btnTakeTheirs->click();
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));
  }

  // A string table's texts show as its editor shows them (UTF-8, a line end
  // as a mark); a long key is elided in the middle and whole in its tooltip.
  void stringTableTexts() {
    Workspace ws;
    const QByteArray y = "\xC3\xBF", longKey = "Quill" + QByteArray(150, 'x') + "End";
    StringTable here, there;
    here.strings = {{"Rune", y + "c4Yu " + y + "c3Rune"}, {"Two", "one"}, {longKey, "a"}};
    there.strings = {{"Rune", y + "c9Yu Rune"}, {"Two", "one\nmore"}, {longKey, "b"}};
    const QString a = ws.path("here.QLM"), b = ws.path("there.QLM");
    const QByteArray info = EncodeModInfo(ModInfo{});
    QVERIFY(cmd::SmpqCreate(
        a, {{"data/local/lng/eng/string.tbl", stringtable::Write(here)}, {"(modinfo)", info}}));
    QVERIFY(cmd::SmpqCreate(
        b, {{"data/local/lng/eng/string.tbl", stringtable::Write(there)}, {"(modinfo)", info}}));
    ws.Open(a);
    ws.w->show();
    CompareWithMod(ws, b);
    ComparePage* page = ws.w->tbsCompare;
    ChooseEntry(page, "data\\local\\lng\\eng\\string.tbl");
    const auto cells = [&](int row) { return page->Cells->index(row, CompareCellModel::CellsColumn).data(); };
    QCOMPARE(cells(0).toString(), QString::fromUtf8("Text: \u00FFc4Yu \u00FFc3Rune \u2192 \u00FFc9Yu Rune"));
    QCOMPARE(cells(1).toString(), QString::fromUtf8("Text: one \u2192 one\u21B5more"));
    const QModelIndex key = page->Cells->index(2, CompareCellModel::RowColumn);
    QCOMPARE(key.data(Qt::ToolTipRole).toString(), QString::fromLatin1(longKey));
    QCOMPARE(page->lvCompareCells->textElideMode(), Qt::ElideMiddle);
    QVERIFY(page->lvCompareCells->visualRect(key).width() <
            page->lvCompareCells->fontMetrics().horizontalAdvance(QString::fromLatin1(longKey)));
  }

  // Takes one after another undo one at a time, the last first. The entry
  // the list moves to after a take shows its cells at once.
  void takesUndoOneByOne() {
    Workspace ws;
    QString here, there;
    QVERIFY(MakeMods(ws, here, there));
    ws.Open(here);
    ws.w->show();
    const auto before = Rows(ws);
    CompareWithMod(ws, there);
    ComparePage* page = ws.w->tbsCompare;
    ChooseEntry(page, "data\\a.bin");
    page->btnTakeTheirs->click();
    QCOMPARE(page->lvCompare->currentIndex().data().toString(),
             QStringLiteral("data\\global\\excel\\gems.txt"));
    QCOMPARE(page->Cells->rowCount(), 2);
    const auto first = Rows(ws);
    SelectEntries(page, {"data\\new.bin"});
    page->btnTakeTheirs->click();
    QVERIFY(Rows(ws).contains("data\\new.bin"));

    page->btnCompareUndo->click();
    QCOMPARE(Rows(ws), first);
    QVERIFY(page->btnCompareUndo->isEnabled());
    page->btnCompareUndo->click();
    QCOMPARE(Rows(ws), before);
    QVERIFY(!page->btnCompareUndo->isEnabled());
  }

  // A file removed on the Files page after Take Theirs stays removed: the
  // page's Undo cannot take back a take the mod has moved on from, and
  // Update deletes the removed entry.
  void removeAfterTakeTheirs() {
    Workspace ws;
    QString here, there;
    QVERIFY(MakeMods(ws, here, there));
    ws.Open(here);
    CompareWithMod(ws, there);
    ComparePage* page = ws.w->tbsCompare;
    SelectEntries(page, {"data\\a.bin"});
    page->btnTakeTheirs->click();
    QVERIFY(page->btnCompareUndo->isEnabled());

    ws.w->PageControl->setCurrentWidget(ws.w->tbsFiles);
    int keep = -1;
    for (int r = 0; r < ws.w->Rows->Count(); ++r)
      if (ws.w->Rows->Row(r).Caption == "data\\keep.bin") keep = r;
    QVERIFY(keep >= 0);
    ws.w->SelectRow(keep);
    ws.w->btnRemove->click();
    QCOMPARE(ws.w->RemovedNames, QList<QByteArray>{"data\\keep.bin"});

    page->btnCompareUndo->click();
    QVERIFY(!Rows(ws).contains("data\\keep.bin"));
    QCOMPARE(ws.w->RemovedNames, QList<QByteArray>{"data\\keep.bin"});
    ws.Update();
    const auto tree = Extracted(here);
    QVERIFY(!tree.isEmpty());
    QVERIFY(!tree.contains("data/keep.bin"));
    QCOMPARE(tree.contains("data/keep.bin"), Rows(ws).contains("data\\keep.bin"));
  }

  // Take Selected Rows: the other side's row put into the sheet on the Edit
  // page as one step of its history, the other rows' bytes as they were;
  // undone and redone there; saved and updated, smpq reads it back.
  void takeRows() {
    Workspace ws;
    QString here, there;
    QVERIFY(MakeMods(ws, here, there));
    ws.Open(here);
    CompareWithMod(ws, there);
    ComparePage* page = ws.w->tbsCompare;
    ChooseEntry(page, "data\\global\\excel\\gems.txt");
    QVERIFY(!page->btnTakeRows->isEnabled());
    page->lvCompareCells->selectionModel()->select(page->Cells->index(1, 0),
                                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QVERIFY(page->btnTakeRows->isEnabled());
    page->btnTakeRows->click();

    QCOMPARE(ws.w->PageControl->currentWidget(), ws.w->tbsEdit);
    auto& grid = *static_cast<EditPageGrid*>(ws.w->StringGrid);
    const QByteArray taken = "name\tcode\tlevel\r\nRuby\tgrb\t1\r\nJade\tgjd\t3\r\nOpal\tgop\t2\r\n";
    auto text = [&] {
      QByteArray t;
      for (int r = 0; r < grid.Grid().RowCount(); ++r) {
        grid.Grid().AppendJoinedRow(r, t);
        t.append("\r\n");
      }
      return t;
    };
    QCOMPARE(text(), taken);
    QCOMPARE(grid.Editor().Stack().count(), 1);
    QCOMPARE(grid.Editor().Stack().undoText(), QStringLiteral("Take Selected Rows"));
    QVERIFY(grid.Modified());
    grid.Editor().Undo();
    QCOMPARE(text(), kGemsHere);
    grid.Editor().Redo();
    QCOMPARE(text(), taken);

    const QString saved = ws.path("in/gems.txt");
    ws.ui.ConfirmFileDialog({saved});
    ws.w->tbSheetSave->click();
    ws.Update();
    QCOMPARE(Extracted(here).value("data/global/excel/gems.txt"), taken);
  }
};

QTEST_MAIN(TestComparePage)
#include "test_compare_page.moc"

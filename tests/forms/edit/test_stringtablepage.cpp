// String tables on the Edit page of the real window, on an archive built with
// StormLib and every dialog answered through the scripted seam: a table shown
// with its preview, bad tables and font tables refused with the fault named,
// the toolbar, find bar and Ctrl+S serving the table, and the road open ->
// edit -> Save -> Update -> read back. The sheet grid's tooltips show the
// texts its cells name by key.
#include <QAction>
#include <QBuffer>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

#include "ArchiveBuilder.h"
#include "Fixtures.h"
#include "ScriptedUi.h"
#include "archive/ArchiveReader.h"
#include "archive/strings/ColourCodes.h"
#include "archive/strings/StringTableCodec.h"
#include "forms/edit/EditPageActions.h"
#include "forms/edit/EditPageGrid.h"
#include "forms/edit/SheetFindBar.h"
#include "forms/edit/strings/StringTablePage.h"
#include "forms/files/FilesView.h"
#include "forms/main/untMain.h"
#include "forms/preferences/untPreferences.h"
#include "forms/widgets/AnsiLineEdit.h"
#include "forms/widgets/FolderEdit.h"

namespace {

const QByteArray kEngBase = "data\\local\\lng\\eng\\BaseMod.tbl";
const QByteArray kPatch = "data\\local\\lng\\eng\\patchstring.TBL";
const QByteArray kChiBase = "data\\local\\lng\\chi\\BaseMod.tbl";
const QByteArray kFontText = "data\\local\\font\\latin\\DEFAULT.TBL";
const QByteArray kFontBinary = "data\\local\\font\\latin\\Font24.tbl";
const QByteArray kCut = "data\\local\\lng\\deu\\cut.tbl";
const QByteArray kNames = "data\\global\\excel\\names.txt";

QString StringsDir() {
  return QDir(fixtures::modDir() + "/../strings/data/local").absolutePath();
}

StringTable ReadTable(const QByteArray& bytes) {
  StringTable table;
  QString fault;
  if (!stringtable::Read(bytes, table, fault)) qFatal("%s", qPrintable(fault));
  return table;
}

}  // namespace

class TestStringTablePage : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString mod_;
  QByteArray engBase_;
  std::unique_ptr<ScriptedUi> ui_;
  std::unique_ptr<TfrmPreferences> prefs_;
  std::unique_ptr<TfrmMain> frm_;

  QString path(const QString& name) const { return dir_.filePath(name); }
  StringTablePage& page() const { return *frm_->StringsPage; }
  QTableView& table() const { return *page().Grid(); }

  int rowOf(const QByteArray& name) const {
    for (int r = 0; r < frm_->Rows->Count(); ++r)
      if (frm_->Rows->Row(r).Caption == name) return r;
    return -1;
  }
  void select(const QByteArray& name) { frm_->SelectRow(rowOf(name)); }

  bool enterPage() {
    frm_->PageControl->setCurrentWidget(frm_->tbsFiles);
    frm_->ListView->setFocus();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QSignalSpy ran(frm_.get(), &TfrmMain::handlerRun);
    frm_->PageControl->setCurrentWidget(frm_->tbsEdit);
    return ran.count() == 1 && ran.at(0).at(0).toString() == QStringLiteral("tbsEditEnter");
  }

  QString shown(int row, int col) const { return table().model()->index(row, col).data().toString(); }

  void checkEmptyPage() const {
    QVERIFY(!page().Active());
    QVERIFY(page().isHidden());
    QVERIFY(!frm_->StringGrid->isHidden());
    QVERIFY(!frm_->StringGrid->isEnabled());
  }

 private slots:
  void initTestCase() {
    QF_REQUIRE_FIXTURES();
    if (!QDir(StringsDir()).exists()) QSKIP("string-table fixtures not found");
    QVERIFY(dir_.isValid());
    QDir().mkpath(path("input"));
    engBase_ = fixtures::readAll(StringsDir() + "/lng/eng/BaseMod.tbl");
    const QByteArray patch = fixtures::readAll(StringsDir() + "/lng/eng/patchstring.tbl");
    mod_ = path("Strings.QLM");
    QVERIFY(
        testarchive::Build(mod_, {{kEngBase, engBase_},
                                  {kPatch, patch},
                                  {kChiBase, fixtures::readAll(StringsDir() + "/lng/chi/BaseMod.tbl")},
                                  {kFontText, fixtures::readAll(StringsDir() + "/font/latin/DEFAULT.TBL")},
                                  {kFontBinary, fixtures::readAll(StringsDir() + "/font/latin/Font24.tbl")},
                                  {kCut, engBase_.left(engBase_.size() - 40)},
                                  {kNames, "name\tother\r\nMaxSock\tCutthroat1\r\nnone\t\r\n"}}));
    TfrmPreferences::SetIniFileNameForTesting(path("QUILL.INI"));
    ui::SetApplicationTitle(QStringLiteral("Hearthwarden"));
  }
  void cleanupTestCase() { ReleaseArchiveState(); }

  void init() {
    ui_ = std::make_unique<ScriptedUi>();
    prefs_ = std::make_unique<TfrmPreferences>();
    prefs_->edtInputPath->setText(path("input"));
    frm_ = std::make_unique<TfrmMain>();
    frm_->SetForms(nullptr, prefs_.get());
    frm_->ModFileName = mod_;
    for (const QByteArray& name : {kEngBase, kPatch, kChiBase, kFontText, kFontBinary, kCut, kNames})
      frm_->Rows->Append({name, SizeText(EntrySize(mod_, name)), QString()});
    frm_->CommandsModStarted();
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

  void aTableShowsInItsOwnEditorWithThePreview() {
    select(kPatch);  // capitals in the extension count too
    QVERIFY(enterPage());
    QVERIFY(page().Active());
    QVERIFY(frm_->StringGrid->isHidden());
    QCOMPARE(table().objectName(), QStringLiteral("grdStrings"));
    QCOMPARE(table().accessibleName(), QStringLiteral("String table"));
    QCOMPARE(page().Preview()->objectName(), QStringLiteral("txtStringPreview"));
    QCOMPARE(page().Preview()->accessibleName(), QStringLiteral("Preview"));
    QCOMPARE(table().model()->rowCount(), 1169);
    QStringList headers;
    for (int c = 0; c < 3; ++c) headers << table().model()->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(headers, (QStringList{"#", "Key", "Text"}));
    QCOMPARE(shown(0, 1), QStringLiteral("Cutthroat1"));
    QCOMPARE(shown(1168, 0), QStringLiteral("1168"));

    // The Chinese table shows its texts decoded; the preview colours them.
    select(kChiBase);
    QVERIFY(enterPage());
    QCOMPARE(table().model()->rowCount(), 18);
    QVERIFY(shown(0, 2).startsWith(QStringLiteral("ÿc1")));
    QVERIFY(shown(0, 2).size() < int(page().Editor().Text(0).size()));  // wide characters decoded
    table().setCurrentIndex(table().model()->index(2, 2));
    const QString preview = page().Preview()->toPlainText();
    QVERIFY(!preview.contains(QStringLiteral("ÿc")));
    QCOMPARE(preview, QString::fromUtf8(page().Editor().Text(2).sliced(4)));
    const QTextBlock block = page().Preview()->document()->firstBlock();
    QCOMPARE(block.begin().fragment().charFormat().foreground().color(),
             colourcodes::Paint(GameColour::DarkGrey));
    QVERIFY(ui_->messages.isEmpty());
  }

  void badTablesAreRefusedNamingEntryAndFault_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("fault");
    QTest::newRow("text font") << kFontText
                               << "it is plain text (a font table or a note), not a string table";
    QTest::newRow("binary font") << kFontBinary << "it is a font table (glyph metrics), not a string table";
    QTest::newRow("truncated") << kCut << "truncated: the header gives 826 bytes, the file holds 786";
  }
  void badTablesAreRefusedNamingEntryAndFault() {
    QFETCH(QByteArray, name);
    QFETCH(QString, fault);
    // A good table first: the refused one must not leave it on the page.
    select(kEngBase);
    QVERIFY(enterPage());
    QVERIFY(page().Active());
    select(name);
    ui_->AnswerMessage(ui::idOk);
    QVERIFY(enterPage());
    QCOMPARE(ui_->messages.size(), 1);
    QCOMPARE(ui_->messages.last().text,
             QStringLiteral("Cannot open the string table %1: %2.").arg(QString::fromLatin1(name), fault));
    QCOMPARE(ui_->messages.last().title, QStringLiteral("String Table"));
    QCOMPARE(ui_->messages.last().flags, ui::mbOk | ui::mbIconError);
    checkEmptyPage();
    QVERIFY(!frm_->btnUpdate->isEnabled());
  }

  void openEditSaveUpdateReadBack() {
    const QString copy = path("Updated.QLM");
    QFile::remove(copy);
    QVERIFY(QFile::copy(mod_, copy));
    frm_->ModFileName = copy;
    select(kEngBase);
    QVERIFY(enterPage());

    // Typed in the cell editor: Shift+Enter puts a line end in, Enter takes it.
    const QModelIndex text = table().model()->index(12, 2);
    table().setCurrentIndex(text);
    table().edit(text);
    auto* editor = table().findChild<QPlainTextEdit*>(QStringLiteral("edtStringCell"));
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Über"));
    QTest::keyClick(editor, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(editor, QStringLiteral("Boss"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(page().Editor().Text(12), QByteArrayView("\xC3\x9C"
                                                      "ber\nBoss"));
    QCOMPARE(shown(12, 2), QStringLiteral("Über") + StringTableModel::kLineEndMark + "Boss");
    QCOMPARE(page().Editor().Editor().Stack().count(), 1);

    // The toolbar serves the table: undo, redo, rows.
    QVERIFY(frm_->EditActions->tbSheetUndo->isEnabled());
    frm_->EditActions->tbSheetUndo->click();
    QCOMPARE(page().Editor().Text(12), QByteArrayView("\xC3\x9C"
                                                      "ber Mephisto"));
    frm_->EditActions->tbSheetRedo->click();
    table().setCurrentIndex(table().model()->index(17, 1));
    frm_->EditActions->tbSheetInsertRow->click();
    QCOMPARE(table().model()->rowCount(), 19);
    frm_->EditActions->tbSheetDeleteRow->click();
    QCOMPARE(table().model()->rowCount(), 18);
    table().setCurrentIndex(table().model()->index(0, 1));
    frm_->EditActions->tbSheetDuplicateRow->click();
    QCOMPARE(shown(1, 1), QStringLiteral("MaxSock"));

    // Every string deleted and back: the header row stops being fixed and is fixed again.
    table().selectAll();
    frm_->EditActions->tbSheetDeleteRow->click();
    QCOMPARE(table().model()->rowCount(), 0);
    frm_->EditActions->tbSheetUndo->click();
    QCOMPARE(table().model()->rowCount(), 19);

    // The find bar too: "Baal" is in a key and in a text.
    frm_->EditActions->actSheetFind->trigger();
    frm_->EditActions->FindBar->edtFind->setText(QStringLiteral("baal"));
    table().setCurrentIndex(table().model()->index(0, 1));
    frm_->EditActions->actSheetFindNext->trigger();
    QCOMPARE(table().currentIndex(), table().model()->index(17, 1));
    frm_->EditActions->actSheetFindNext->trigger();
    QCOMPARE(table().currentIndex(), table().model()->index(17, 2));

    // Ctrl+S presses Save: its dialog, and the file becomes the entry's source.
    const QString out = path("input/BaseMod.tbl");
    ui_->ConfirmFileDialog({out});
    table().setFocus();
    QTest::keyClick(&table(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(ui_->fileDialogs.size(), 1);
    QCOMPARE(ui_->fileDialogs.last().dialog.Title, QStringLiteral("Save String Table"));
    QVERIFY(ui_->fileDialogs.last().dialog.Filter.startsWith(QStringLiteral("String Tables (*.tbl)")));
    QCOMPARE(frm_->Rows->Row(rowOf(kEngBase)).SourcePath, out);
    QVERIFY(!page().Modified());
    QVERIFY(frm_->btnUpdate->isEnabled());
    const QByteArray saved = fixtures::readAll(out);
    const StringTable before = ReadTable(engBase_);
    const StringTable after = ReadTable(saved);
    QCOMPARE(int(after.strings.size()), 19);
    QCOMPARE(after.strings[1], before.strings[0]);  // the copy
    QCOMPARE(after.strings[13].text, QByteArray("\xC3\x9C"
                                                "ber\nBoss"));
    for (int i : {0, 2, 11, 16, 17}) QCOMPARE(after.strings[size_t(i) + 1], before.strings[size_t(i)]);

    // Update writes it under the entry's name; read back, it is the saved table.
    frm_->btnUpdate->click();
    QVERIFY(ui_->messages.isEmpty());
    QBuffer stored;
    stored.open(QIODevice::WriteOnly);
    QVERIFY(ReadEntryToStream(copy, kEngBase, stored));
    QVERIFY(stored.data() == saved);
    frm_->Rows->SetSourcePath(rowOf(kEngBase), QString());
    QVERIFY(enterPage());
    QCOMPARE(page().Editor().Table().strings, after.strings);
  }

  void findAndReplaceKeepEveryCharacter() {
    select(kChiBase);
    QVERIFY(enterPage());
    StringTableEditor& editor = page().Editor();
    // Two characters of a text that Windows-1252 has no byte for.
    const QString before = editor.Shown(StringTableEditor::kTextCol, 2);
    qsizetype wide = 0;
    while (wide < before.size() && before[wide].unicode() < 0x100) ++wide;
    QVERIFY(wide + 1 < before.size());
    const QString needle = before.mid(wide, 2);
    // A key with question marks, which such a needle must not stand for.
    editor.Type(StringTableEditor::kKeyCol, 0, "a??b");
    editor.EndTyping();

    frm_->EditActions->actSheetReplace->trigger();
    SheetFindBar& bar = *frm_->EditActions->FindBar;
    bar.edtFind->setText(needle);
    bar.edtReplace->setText(QStringLiteral("替换Ω"));
    bar.btnReplaceAll->click();
    QCOMPARE(editor.Key(0), QByteArrayView("a??b"));
    const QString after = editor.Shown(StringTableEditor::kTextCol, 2);
    QVERIFY2(!after.contains(needle), qPrintable(after));
    QCOMPARE(after, QString(before).replace(needle, QStringLiteral("替换Ω")));

    // Find goes by the same text.
    table().setCurrentIndex(table().model()->index(0, 1));
    bar.edtFind->setText(QStringLiteral("替换Ω"));
    frm_->EditActions->actSheetFindNext->trigger();
    const QModelIndex found = table().currentIndex();
    QCOMPARE(found.column(), 2);
    QVERIFY(editor.Shown(StringTableEditor::kTextCol, found.row()).contains(QStringLiteral("替换Ω")));
  }

  void theCellEditorKeepsWhatItDoesNotShow() {
    select(kEngBase);
    QVERIFY(enterPage());
    StringTableEditor& editor = page().Editor();
    const QModelIndex cell = table().model()->index(3, 2);
    const auto typeIn = [&](const QString& keys) {
      // The editor closed before is gone first.
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      table().setCurrentIndex(cell);
      table().edit(cell);
      auto* field = table().findChild<QPlainTextEdit*>(QStringLiteral("edtStringCell"));
      QVERIFY(field);
      QTest::keyClicks(field, keys);
      QTest::keyClick(field, Qt::Key_Return);
    };

    // A CR LF line end, taken back untouched.
    const QByteArray crlf = "one\r\ntwo";
    editor.Type(StringTableEditor::kTextCol, 3, crlf);
    editor.EndTyping();
    const int steps = editor.Editor().Stack().count();
    typeIn({});
    QCOMPARE(editor.Text(3), QByteArrayView(crlf));
    QCOMPARE(editor.Editor().Stack().count(), steps);

    // And typed in.
    typeIn(QStringLiteral("!"));
    QCOMPARE(editor.Text(3), QByteArrayView(crlf + "!"));

    // No-break spaces and a line separator stay what they are when the
    // text is typed in.
    const QByteArray kept =
        "a\xC2\xA0"
        "b\xE2\x80\xA8"
        "c";
    editor.Type(StringTableEditor::kTextCol, 3, kept);
    editor.EndTyping();
    typeIn(QStringLiteral("!"));
    QCOMPARE(editor.Text(3), QByteArrayView(kept + "!"));
  }

  void saveTakesTheTextStillInTheCellEditor() {
    select(kEngBase);
    QVERIFY(enterPage());
    StringTableEditor& editor = page().Editor();
    const QByteArray typed = editor.Text(5).toByteArray() + "Zed";
    const QModelIndex cell = table().model()->index(5, 2);
    table().setCurrentIndex(cell);
    table().edit(cell);
    auto* field = table().findChild<QPlainTextEdit*>(QStringLiteral("edtStringCell"));
    QVERIFY(field);
    QTest::keyClicks(field, QStringLiteral("Zed"));

    // Save from the toolbar, the editor still open.
    const QString out = path("input/Typed.tbl");
    QFile::remove(out);
    ui_->ConfirmFileDialog({out});
    frm_->tbSheetSave->click();
    QCOMPARE(ui_->fileDialogs.size(), 1);
    QCOMPARE(editor.Text(5), QByteArrayView(typed));
    QCOMPARE(ReadTable(fixtures::readAll(out)).strings[5].text, typed);
    QVERIFY(!page().Modified());
  }

  void unsavedEditsAskBeforeTheyGo() {
    select(kEngBase);
    QVERIFY(enterPage());
    page().Editor().Type(StringTableEditor::kKeyCol, 0, "Changed");
    select(kChiBase);
    ui_->AnswerMessage(ui::idNo);
    QVERIFY(enterPage());
    QCOMPARE(ui_->messages.last().text, QStringLiteral("Discard the changes to the string table?"));
    QCOMPARE(page().Editor().Key(0), QByteArrayView("Changed"));
    ui_->AnswerMessage(ui::idYes);
    QVERIFY(enterPage());
    QCOMPARE(page().Editor().Key(0), QByteArrayView("MaxSock"));
    QCOMPARE(page().Editor().Text(0).size(),
             ReadTable(fixtures::readAll(StringsDir() + "/lng/chi/BaseMod.tbl")).strings[0].text.size());
  }

  void sheetCellsShowTheTextsTheirKeysName() {
    select(kNames);
    QVERIFY(enterPage());
    QVERIFY(page().isHidden());
    QAbstractItemModel* model = frm_->StringGrid->model();
    // English holds two tables, Chinese one: patchstring and BaseMod count.
    QCOMPARE(model->index(0, 0).data(Qt::ToolTipRole).toString(), QStringLiteral("ÿc1Max Sockets:"));
    QVERIFY(model->index(0, 1).data(Qt::ToolTipRole).toString().size() > 0);
    QVERIFY(!model->index(1, 0).data(Qt::ToolTipRole).isValid());
    QVERIFY(!model->index(1, 1).data(Qt::ToolTipRole).isValid());  // empty cell

    // Ctrl+S on a sheet presses Save as well.
    ui_->CancelFileDialog();
    frm_->StringGrid->setFocus();
    QTest::keyClick(frm_->StringGrid, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(ui_->fileDialogs.size(), 1);
    QCOMPARE(ui_->fileDialogs.last().dialog.Title, QStringLiteral("Save Diablo II Sheet"));
  }
};

QTEST_MAIN(TestStringTablePage)
#include "test_stringtablepage.moc"

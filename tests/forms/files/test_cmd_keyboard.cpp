// The keyboard: every menu accelerator, the shortcuts Ctrl+N, Ctrl+O and
// Ctrl+U and the page tabs' mnemonics, typed on the shown window, run their
// commands (and not while they are disabled); Delete in the Files list
// removes like Remove, Enter (or a double-click) on a sheet or string table
// row shows it on the Edit page, Enter on any other row does nothing; the
// list's context menu holds the window's commands.
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "Fixtures.h"
#include "HandlerLog.h"
#include "ModalDriver.h"
#include "Workspace.h"
#include "archive/strings/StringTableCodec.h"
#include "forms/about/untAbout.h"
#include "forms/edit/EditPageGrid.h"
#include "forms/edit/strings/StringTablePage.h"
#include "forms/files/FilesView.h"
#include "forms/files/FilteredRows.h"
#include "forms/preferences/untPreferences.h"

using cmd::Workspace;

namespace {

// Shows the window with the focus in the Files list; false when the window
// never became active (the shortcuts then cannot work).
bool ShowActive(TfrmMain& w) {
  w.show();
  QApplication::setActiveWindow(&w);
  if (!QTest::qWaitForWindowActive(&w)) return false;
  w.ListView->setFocus();
  return QApplication::focusWidget() == w.ListView;
}

// Alt+<menu> opens a menu; <item> in it chooses an item.
void MenuKey(TfrmMain& w, Qt::Key menu, Qt::Key item) {
  QTest::keyClick(&w, menu, Qt::AltModifier);
  auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  QVERIFY2(popup, "no menu opened");
  QTest::keyClick(popup, item);
}

// A text field that takes every key the window would use as a shortcut for
// itself, as a line edit takes Ctrl+U (delete the line) on X11.
class GreedyField : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;

 protected:
  bool event(QEvent* event) override {
    if (event->type() != QEvent::ShortcutOverride) return QLineEdit::event(event);
    event->accept();
    return true;
  }
};

const QByteArray kSheet = "data\\global\\excel\\Arena.txt";
const QByteArray kBlob = "data\\global\\ui\\blob.bin";

// An opened mod holding a sheet and a file that is none; shown and active
// unless show is false.
void OpenSheetMod(Workspace& ws, bool show = true) {
  const QString mod = ws.path("keys.QLM");
  QVERIFY(cmd::SmpqCreate(mod, {{"data/global/excel/Arena.txt", "Arena\tSuicide\r\n1\t2\r\n"},
                                {"data/global/ui/blob.bin", "bin"},
                                {"(modinfo)", EncodeModInfo(ModInfo{})}}));
  ws.Open(mod);
  QCOMPARE(ws.w->Rows->Count(), 2);
  if (show) QVERIFY(ShowActive(*ws.w));
}

// Selects the row named caption and types key in the Files list.
void KeyOnRow(Workspace& ws, const QByteArray& caption, int key, Qt::KeyboardModifiers mods = {}) {
  ws.w->SelectRow(ws.RowOf(caption));
  QTest::keyClick(ws.w->ListView, Qt::Key(key), mods);
}

}  // namespace

class TestCmdKeyboard : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    if (!cmd::HaveSmpq()) QSKIP("smpq is not installed");
  }

  void menuAccelerators_data() {
    QTest::addColumn<int>("menu");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("handler");
    QTest::newRow("&File &New Mod") << int(Qt::Key_F) << int(Qt::Key_N) << "btnNewClick";
    QTest::newRow("&File &Open Mod") << int(Qt::Key_F) << int(Qt::Key_O) << "btnOpenClick";
    QTest::newRow("&File &Update Mod") << int(Qt::Key_F) << int(Qt::Key_U) << "btnUpdateClick";
    QTest::newRow("&File &Preferences") << int(Qt::Key_F) << int(Qt::Key_P) << "mniPreferencesClick";
    QTest::newRow("&File &Exit") << int(Qt::Key_F) << int(Qt::Key_E) << "mniExitClick";
    QTest::newRow("&Actions &Add File") << int(Qt::Key_A) << int(Qt::Key_A) << "btnAddClick";
    QTest::newRow("&Actions &Remove File") << int(Qt::Key_A) << int(Qt::Key_R) << "btnRemoveClick";
    // No menu: the item's shortcut, typed in a field that wants it too.
    QTest::newRow("Ctrl+N") << 0 << int(Qt::Key_N) << "btnNewClick";
    QTest::newRow("Ctrl+O") << 0 << int(Qt::Key_O) << "btnOpenClick";
    QTest::newRow("Ctrl+U") << 0 << int(Qt::Key_U) << "btnUpdateClick";
  }
  void menuAccelerators() {
    QFETCH(int, menu);
    QFETCH(int, item);
    QFETCH(QString, handler);
    Workspace ws;
    ws.New(ws.path("out/keys.QLM"));
    ws.SetModInfo(cmd::SampleModInfo());  // Update on
    QVERIFY(ShowActive(*ws.w));
    HandlerLog log(*ws.w);
    if (handler == QLatin1String("btnNewClick") || handler == QLatin1String("btnOpenClick") ||
        handler == QLatin1String("btnAddClick")) {
      if (handler != QLatin1String("btnAddClick")) ws.ui.AnswerMessage(ui::idNo);  // the guard
      ws.ui.CancelFileDialog();
    }
    if (handler == QLatin1String("mniPreferencesClick"))
      modal::WhenShown<TfrmPreferences>([](TfrmPreferences* d) { d->btnOK->click(); });

    if (menu) {
      MenuKey(*ws.w, Qt::Key(menu), Qt::Key(item));
    } else {
      auto* field = new GreedyField(ws.w->tbsFiles);
      field->show();
      field->setFocus();
      QTest::keyClick(field, Qt::Key(item), Qt::ControlModifier);
    }
    QCOMPARE(log.names, QStringList{handler});
    QCOMPARE(ws.ui.PendingAnswers(), 0);
    if (handler == QLatin1String("btnUpdateClick")) {
      QVERIFY(QFileInfo::exists(ws.path("out/keys.QLM")));
      QCOMPARE(ws.UpdateState(), QStringLiteral("off"));
    }
    if (handler == QLatin1String("mniExitClick")) QVERIFY(!ws.w->isVisible());
  }

  void aboutAndExitShortcuts() {
    Workspace ws;
    auto* about = new TfrmAbout(ws.w);
    ws.w->SetForms(about, ws.w->frmPreferences());
    QVERIFY(ShowActive(*ws.w));
    HandlerLog log(*ws.w);
    bool shown = false;
    modal::WhenShown<TfrmAbout>([&](TfrmAbout* box) {
      shown = true;
      box->close();
    });
    QTest::keyClick(ws.w, Qt::Key_U, Qt::AltModifier);  // Abo&ut, a top-level item
    QTRY_VERIFY(shown);
    QTRY_VERIFY(!about->isVisible());
    QVERIFY(ShowActive(*ws.w));
    QTest::keyClick(ws.w, Qt::Key_F4, Qt::AltModifier);
    QCOMPARE(log.names, (QStringList{"mniAboutClick", "mniExitClick"}));
    QVERIFY(!ws.w->isVisible());
  }

  void disabledItemsRunNothing() {
    Workspace ws;  // no mod: Update, Add and Remove are off
    QVERIFY(ShowActive(*ws.w));
    HandlerLog log(*ws.w);
    MenuKey(*ws.w, Qt::Key_F, Qt::Key_U);
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    MenuKey(*ws.w, Qt::Key_A, Qt::Key_A);
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    MenuKey(*ws.w, Qt::Key_A, Qt::Key_R);
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    QVERIFY(log.names.isEmpty());
  }

  void pageMnemonicsSwitchPages() {
    Workspace ws;
    OpenSheetMod(ws);
    ws.w->SelectRow(ws.RowOf(kSheet));
    HandlerLog log(*ws.w);
    QTest::keyClick(ws.w, Qt::Key_E, Qt::AltModifier);  // &Edit
    QCOMPARE(ws.w->PageControl->currentWidget(), ws.w->tbsEdit);
    QCOMPARE(log.names, QStringList{"tbsEditEnter"});   // the focus followed into the page
    QTest::keyClick(ws.w, Qt::Key_I, Qt::AltModifier);  // F&iles
    QCOMPARE(ws.w->PageControl->currentWidget(), ws.w->tbsFiles);
  }

  void deleteRemovesTheSelectedRowLikeRemove() {
    Workspace ws;
    OpenSheetMod(ws);
    HandlerLog log(*ws.w);
    KeyOnRow(ws, kBlob, Qt::Key_Delete);
    QCOMPARE(log.names, QStringList{"btnRemoveClick"});
    QCOMPARE(ws.Captions(), QList<QByteArray>{kSheet});
    QCOMPARE(ws.w->RemovedNames, QList<QByteArray>{kBlob});
    QCOMPARE(ws.UpdateState(), QStringLiteral("on"));
    KeyOnRow(ws, kSheet, Qt::Key_Delete, Qt::ShiftModifier);  // Shift+Delete is no Remove
    QCOMPARE(ws.w->Rows->Count(), 1);
  }

  // The list moves by rows: Home and End go to the first and last row, and
  // after Left or Right, typing still finds a row by its name.
  void listKeysMoveBetweenRows() {
    Workspace ws;
    for (const char* name : {"alpha.txt", "beta.txt", "gamma.txt", "delta.txt", "zeta.bin"})
      ws.w->Rows->Append(ModEntry{name, SizeText(1), QString()});
    QVERIFY(ShowActive(*ws.w));
    const auto current = [&] { return ws.w->Rows->Row(ws.w->SelectedRow()).Caption; };
    KeyOnRow(ws, "gamma.txt", Qt::Key_Home);
    QCOMPARE(current(), QByteArray("alpha.txt"));
    QTest::keyClick(ws.w->ListView, Qt::Key_End);
    QCOMPARE(current(), QByteArray("zeta.bin"));
    KeyOnRow(ws, "alpha.txt", Qt::Key_Right);
    QTest::keyClicks(ws.w->ListView, QStringLiteral("g"));
    QCOMPARE(current(), QByteArray("gamma.txt"));
    QCOMPARE(ws.w->ListView->currentIndex().column(), 0);
  }

  void deleteWaitsForRemoveToBeAvailable() {
    Workspace ws;
    ws.w->Rows->Append(ModEntry{"a.txt", SizeText(1), QString()});  // rows, but Remove is off
    QVERIFY(ShowActive(*ws.w));
    HandlerLog log(*ws.w);
    KeyOnRow(ws, "a.txt", Qt::Key_Delete);
    QVERIFY(log.names.isEmpty());
    QCOMPARE(ws.w->Rows->Count(), 1);
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));
  }

  void enterShowsASheetOnTheEditPage_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
  }
  void enterShowsASheetOnTheEditPage() {
    QFETCH(int, key);
    Workspace ws;
    OpenSheetMod(ws);
    HandlerLog log(*ws.w);
    KeyOnRow(ws, kSheet, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(ws.w->PageControl->currentWidget(), ws.w->tbsEdit);
    QCOMPARE(log.names, QStringList{"tbsEditEnter"});
    const SheetGrid& grid = static_cast<EditPageGrid*>(ws.w->StringGrid)->Grid();
    QCOMPARE(grid.RowCount(), 2);
    QCOMPARE(grid.Cell(0, 0), QByteArray("Arena"));
    QCOMPARE(grid.Cell(1, 1), QByteArray("2"));
  }

  void enterOnAnotherRowDoesNothing() {
    Workspace ws;
    OpenSheetMod(ws);
    HandlerLog log(*ws.w);
    KeyOnRow(ws, kBlob, Qt::Key_Return);
    QCOMPARE(ws.w->PageControl->currentWidget(), ws.w->tbsFiles);
    QVERIFY(log.names.isEmpty());
    QCOMPARE(ws.w->Rows->Count(), 2);
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));
    ws.w->DeselectRow(ws.RowOf(kBlob));
    QTest::keyClick(ws.w->ListView, Qt::Key_Return);  // nothing selected
    QCOMPARE(ws.w->PageControl->currentWidget(), ws.w->tbsFiles);
    QVERIFY(log.names.isEmpty());
  }

  void doubleClickAndContextMenu() {
    Workspace ws;
    OpenSheetMod(ws);
    const QString table = ws.path("in/x.tbl");
    QVERIFY(fixtures::writeAll(table, stringtable::Write(StringTable{{{"Quill", "Forge"}}})));
    ws.w->Rows->Append(ModEntry{"data\\x.tbl", SizeText(1), table});
    const auto click = [&](const QByteArray& caption, bool twice) {
      const QPoint at = ws.w->ListView->visualRect(ws.w->Shown->index(ws.RowOf(caption), 0)).center();
      QTest::mouseClick(ws.w->ListView->viewport(), Qt::LeftButton, {}, at);
      if (twice) QTest::mouseDClick(ws.w->ListView->viewport(), Qt::LeftButton, {}, at);
      return at;
    };
    click(kSheet, true);
    QCOMPARE(ws.w->EditShownName, kSheet);
    ws.w->PageControl->setCurrentWidget(ws.w->tbsFiles);
    click("data\\x.tbl", true);
    QVERIFY(ws.w->StringsPage->isVisible());

    // The menu's items are the window's own actions, available as there;
    // Export presses the toolbar's button.
    ws.w->PageControl->setCurrentWidget(ws.w->tbsFiles);
    const QPoint at = click(kBlob, false);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, ws.w->ListView->viewport()->mapToGlobal(at));
    QApplication::sendEvent(ws.w->ListView->viewport(), &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu && !menu->accessibleName().isEmpty());
    for (QAction* shared : {ws.w->mniAddFile, ws.w->mniAddFolder, ws.w->mniRemoveFile, ws.w->mniExportAll})
      QVERIFY2(menu->actions().contains(shared), qPrintable(shared->objectName()));
    QVERIFY(!ws.w->mniEditEntry->isEnabled() && ws.w->mniExportFile->isEnabled());
    menu->close();
    ws.ui.CancelFileDialog();
    ws.w->mniExportFile->trigger();
    QCOMPARE(ws.ui.fileDialogs.last().dialog.FileName, QStringLiteral("blob.bin"));
  }

  // A window in the background gets the focus only when it is activated: the
  // page is entered once, at the key, and not again on activation.
  void enterInAWindowThatIsNotActive() {
    Workspace ws;
    OpenSheetMod(ws, false);
    HandlerLog log(*ws.w);
    KeyOnRow(ws, kSheet, Qt::Key_Return);
    QCOMPARE(ws.w->PageControl->currentWidget(), ws.w->tbsEdit);
    QCOMPARE(log.names, QStringList{"tbsEditEnter"});
    ws.w->show();
    QApplication::setActiveWindow(ws.w);
    QVERIFY(QTest::qWaitForWindowActive(ws.w));
    QCOMPARE(log.names, QStringList{"tbsEditEnter"});
  }
};

QTEST_MAIN(TestCmdKeyboard)
#include "test_cmd_keyboard.moc"

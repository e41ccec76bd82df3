#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include "Fixtures.h"
#include "ScriptedUi.h"
#include "forms/main/untMain.h"
#include "forms/preferences/RulesFileEdit.h"
#include "forms/preferences/untPreferences.h"
#include "forms/widgets/FolderEdit.h"
#include "platform/Profile.h"
#include "platform/Ui.h"

class TestPreferences : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString ini() const { return dir_.filePath(QStringLiteral("QUILL.INI")); }

  // Opens the dialog modally the way the menu does, runs act while it is up,
  // then closes it with OK.
  static void showModal(TfrmPreferences& d, const std::function<void()>& act) {
    QTimer::singleShot(0, &d, [&d, act] {
      act();
      d.btnOK->click();
    });
    d.exec();
  }

 private slots:
  void init() {
    QFile::remove(ini());
    TfrmPreferences::SetIniFileNameForTesting(ini());
  }

  void builtAsASmallToolWindow() {
    TfrmPreferences d;
    QCOMPARE(d.windowTitle(), QStringLiteral("Preferences"));
    // Taller than the two folders need: Check Mod's two fields sit below them.
    QCOMPARE(d.size(), QSize(333, 206));
    QVERIFY(d.windowFlags().testFlag(Qt::Tool));
    QCOMPARE(d.lblInputPath->text(), QStringLiteral("Input Path:"));
    QCOMPARE(d.Label1->text(), QStringLiteral("Output Path:"));
    QCOMPARE(d.btnOK->text(), QStringLiteral("OK"));
    QVERIFY(d.btnOK->isDefault());
    QVERIFY(d.edtInputPath->Edit()->isReadOnly());
    QVERIFY(d.edtOutputPath->Edit()->isReadOnly());
  }

  void firstStartCreatesTheFileWithEmptyValues() {
    ScriptedUi script;
    TfrmPreferences d;
    QCOMPARE(d.edtInputPath->text(), QString());
    QVERIFY(!QFile::exists(ini()));
    showModal(d, [] {});
    QCOMPARE(fixtures::readAll(ini()), QByteArray("[Files]\r\nInput=\r\nOutput=\r\n"));
  }

  void chosenFoldersAreStoredAndOtherContentKept() {
    QVERIFY(fixtures::writeAll(ini(), "; mine\n[Files]\nInput=/old/in\nOutput=/old/out\n[Other]\nx=1\n"));
    QTemporaryDir in;
    ScriptedUi script;
    TfrmPreferences d;
    QCOMPARE(d.edtInputPath->text(), QStringLiteral("/old/in"));  // loaded as it was created
    script.ConfirmFolder(in.path());
    showModal(d, [&] { d.edtInputPath->BrowseButton()->click(); });
    QCOMPARE(d.edtInputPath->text(), in.path());
    const QByteArray expected =
        "; mine\n[Files]\nInput=" + QFile::encodeName(in.path()) + "\nOutput=/old/out\n[Other]\nx=1\n";
    QCOMPARE(fixtures::readAll(ini()), expected);
  }

  // Check Mod's game folder and rules file: stored beside the two folders
  // once set, read back at the next showing, the rules file emptied in place.
  void gameFolderAndRulesFileStored() {
    QVERIFY(fixtures::writeAll(ini(), "[Files]\nInput=/in\nOutput=/out\n"));
    QTemporaryDir game;
    ScriptedUi script;
    TfrmPreferences d;
    QCOMPARE(d.edtGameFolder->objectName(), QStringLiteral("edtGameFolder"));
    QVERIFY(!d.edtGameFolder->accessibleName().isEmpty() && !d.edtRulesFile->accessibleName().isEmpty());
    script.ConfirmFolder(game.path());
    showModal(d, [&] {
      d.edtGameFolder->BrowseButton()->click();
      d.edtRulesFile->setText(QStringLiteral("/my/mod.rules"));
    });
    QCOMPARE(fixtures::readAll(ini()), "[Files]\nInput=/in\nOutput=/out\nGame=" +
                                           QFile::encodeName(game.path()) + "\nRules=/my/mod.rules\n");
    showModal(d, [&] {
      QCOMPARE(d.RulesFile(), QStringLiteral("/my/mod.rules"));
      d.edtRulesFile->setText(QString());
    });
    QCOMPARE(Profile(ini()).ReadString("Files", "Rules", "unset"), QByteArray());
    QCOMPARE(d.edtGameFolder->text(), game.path());
  }

  // Folder names in any script read back as chosen, whatever the system's
  // 8-bit encoding can spell; a file an older program wrote in that encoding
  // still reads.
  void foldersOfAnyNameReadBackAsChosen() {
    const QString game = QStringLiteral("/Spiele/\u0418\u0433\u0440\u044b \u904a\u6232 caf\u00e9");
    const QString rules = QStringLiteral("/mods/na\u00efve.rules");
    ScriptedUi script;
    TfrmPreferences d;
    showModal(d, [&] {
      d.edtGameFolder->setText(game);
      d.edtRulesFile->setText(rules);
    });
    TfrmPreferences again;
    showModal(again, [] {});
    QCOMPARE(again.edtGameFolder->text(), game);
    QCOMPARE(again.RulesFile(), rules);
    const QString older = QStringLiteral("/Spiele/caf\u00e9");
    QVERIFY(fixtures::writeAll(ini(), "[Files]\nGame=" + older.toLocal8Bit() + "\n"));
    TfrmPreferences third;
    QCOMPARE(third.edtGameFolder->text(), older);
  }

  void showingReloadsWhatAnotherProgramWrote() {
    ScriptedUi script;
    TfrmPreferences d;
    QVERIFY(Profile(ini()).WriteString("Files", "Output", "/edited/elsewhere"));
    QCOMPARE(d.edtOutputPath->text(), QString());  // not before the next showing
    QString whileShown;
    showModal(d, [&] { whileShown = d.edtOutputPath->text(); });
    QCOMPARE(whileShown, QStringLiteral("/edited/elsewhere"));
  }

  void foldersTakeEffectForTheMainWindowAtOnce() {
    ScriptedUi script;
    TfrmMain frm;
    auto* d = new TfrmPreferences(&frm);
    frm.SetForms(nullptr, d);
    QTemporaryDir out;
    script.ConfirmFolder(out.path());
    QTimer::singleShot(0, d, [d] {
      d->edtOutputPath->Browse();
      d->close();  // the close box stores as well
    });
    frm.mniPreferences->trigger();
    QCOMPARE(frm.OutputFolder(), out.path());
    QCOMPARE(Profile(ini()).ReadString("Files", "Output", ""), QFile::encodeName(out.path()));
  }

  void unwritableFileIsReportedOnceAndTheDialogStillCloses() {
    const QString bad = dir_.filePath(QStringLiteral("missing-folder/QUILL.INI"));
    TfrmPreferences::SetIniFileNameForTesting(bad);
    ScriptedUi script;
    ui::SetApplicationTitle(QStringLiteral("Hearthwarden"));
    TfrmPreferences d;
    script.ConfirmFolder(dir_.path());
    script.AnswerMessage(ui::idOk);
    showModal(d, [&] { d.edtInputPath->Browse(); });
    QVERIFY(!d.isVisible());
    QCOMPARE(script.messages.size(), 1);  // "Output" is not tried after "Input" failed
    QCOMPARE(script.messages[0].text, QStringLiteral("Unable to write to ") + bad + QLatin1Char('.'));
    QCOMPARE(script.messages[0].title, QStringLiteral("Hearthwarden"));
    QCOMPARE(script.messages[0].flags, 16);
    QCOMPARE(d.edtInputPath->text(), dir_.path());  // the choice stays for the commands
  }

  void browsingStartsWhereTheRulesSay() {
    ScriptedUi script;
    QTemporaryDir chosen;
    FolderEdit field;
    QCOMPARE(field.BrowseStart(), QDir::rootPath());  // empty, nothing chosen yet
    field.setText(QStringLiteral("/no/such/folder"));
    QCOMPARE(field.BrowseStart(), QDir::rootPath());
    field.setText(dir_.path());
    QCOMPARE(field.BrowseStart(), dir_.path());

    script.ConfirmFolder(chosen.path());
    field.Browse();
    QCOMPARE(script.folders.last().startDir, dir_.path());
    field.setText(QString());  // e.g. a reload from an emptied file
    QCOMPARE(field.BrowseStart(), chosen.path());

    script.CancelFolder();
    field.setText(QStringLiteral("/kept"));
    field.Browse();
    QCOMPARE(field.text(), QStringLiteral("/kept"));
  }

  void centredFirstThenWhereItWas() {
    ScriptedUi script;
    QWidget owner;
    owner.setGeometry(100, 100, 640, 480);
    owner.show();
    TfrmPreferences d(&owner);
    QPoint first;
    showModal(d, [&] { first = d.geometry().center(); });
    QVERIFY((first - owner.geometry().center()).manhattanLength() < 40);
    QPoint second;
    showModal(d, [&] { d.move(d.pos() + QPoint(30, 20)); });
    const QPoint moved = d.pos();
    showModal(d, [&] { second = d.pos(); });
    QCOMPARE(second, moved);
  }
};

QTEST_MAIN(TestPreferences)
#include "test_preferences.moc"

#include <QLineEdit>
#include <QtTest>

#include "ModalDriver.h"
#include "ScriptedUi.h"
#include "platform/Ui.h"
#include "platform/UiInputDialog.h"

class TestUiPrompt : public QObject {
  Q_OBJECT
 private slots:
  void queryFormReturnsOkAndTheEditedValue() {
    ScriptedUi script;
    script.ConfirmPrompt(QByteArray("data\\global\\x.txt"));
    script.CancelPrompt();
    QByteArray value = "data\\a.txt";
    QVERIFY(ui::InternalNameQuery(value));
    QCOMPARE(value, QByteArray("data\\global\\x.txt"));
    QVERIFY(!ui::InternalNameQuery(value));
    QCOMPARE(value, QByteArray("data\\global\\x.txt"));  // untouched by the cancel
    QCOMPARE(script.prompts.size(), 2);
    QCOMPARE(script.prompts[0].caption, QStringLiteral("Internal Name"));
    QCOMPARE(script.prompts[0].prompt, QStringLiteral("Enter the internal directory and name:"));
    QCOMPARE(script.prompts[0].preset, QByteArray("data\\a.txt"));
  }

  void boxFormFallsBackToTheDefaultOnCancel() {
    ScriptedUi script;
    script.CancelPrompt();
    script.ConfirmPrompt(QByteArray(""));
    QCOMPARE(ui::InternalNameBox("data\\b.txt"), QByteArray("data\\b.txt"));
    QCOMPARE(ui::InternalNameBox("data\\b.txt"), QByteArray(""));  // OK with an empty answer is empty
  }

  void fieldIsPresetSelectedAndLimited() {
    UiInputDialog d(QStringLiteral("Internal Name"), QStringLiteral("Enter the internal directory and name:"),
                    "data\\x.txt");
    QCOMPARE(d.windowTitle(), QStringLiteral("Internal Name"));
    QCOMPARE(d.edit()->text(), QStringLiteral("data\\x.txt"));
    QCOMPARE(d.edit()->selectedText(), d.edit()->text());
    QCOMPARE(d.edit()->maxLength(), 255);
    d.edit()->setText(QString());
    QTest::keyClicks(d.edit(), QString(300, QLatin1Char('a')));
    QCOMPARE(d.edit()->text().size(), 255);

    // A longer preset is kept whole rather than cut.
    const QByteArray longName(400, 'n');
    UiInputDialog l(QStringLiteral("c"), QStringLiteral("p"), longName);
    QCOMPARE(l.value(), longName);
  }

  void everyByteSurvivesTheField() {
    QByteArray all;
    for (int b = 1; b < 256; ++b) all += char(b);
    UiInputDialog d(QStringLiteral("c"), QStringLiteral("p"), all);
    QCOMPARE(d.value(), all);
  }

  void realPromptTypesAndConfirms() {
    modal::WhenShown<UiInputDialog>([](UiInputDialog* d) {
      QTest::keyClicks(d->edit(), QStringLiteral("new\\name.txt"));  // replaces the selected preset
      d->accept();
    });
    QByteArray value = "old.txt";
    QVERIFY(ui::InternalNameQuery(value));
    QCOMPARE(value, QByteArray("new\\name.txt"));

    modal::WhenShown<UiInputDialog>([](UiInputDialog* d) { d->reject(); });
    QCOMPARE(ui::InternalNameBox("keep.txt"), QByteArray("keep.txt"));
  }

  void cursorIsOneSettingNotAStack() {
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    {
      ui::ScopedCursor busy(ui::crHourGlass);
      QCOMPARE(ui::ScreenCursor(), ui::crHourGlass);
      QVERIFY(QApplication::overrideCursor());
      QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
      ui::SetScreenCursor(ui::crHourGlass);  // set twice, restored once
    }
    QCOMPARE(ui::ScreenCursor(), ui::crDefault);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
  }

  void scriptedCursorAndPumpsAreLogged() {
    ScriptedUi script;
    int reentered = 0;
    script.OnPump([&] { ++reentered; });
    {
      ui::ScopedCursor busy(ui::crHourGlass);
      ui::ProcessMessages();
      ui::ProcessMessages();
    }
    QCOMPARE(script.cursors, (QList<int>{-11, 0}));
    QCOMPARE(script.pumps, 2);
    QCOMPARE(reentered, 2);
  }

  void realPumpHandlesWaitingEvents() {
    bool ran = false;
    QMetaObject::invokeMethod(
        qApp, [&] { ran = true; }, Qt::QueuedConnection);
    ui::ProcessMessages();
    QVERIFY(ran);
  }

  void folderBrowsingIsScripted() {
    ScriptedUi script;
    script.ConfirmFolder(QStringLiteral("/srv/mods"));
    script.CancelFolder();
    QString chosen;
    QVERIFY(ui::BrowseFolder(QStringLiteral("Browse for Folder"), QStringLiteral("/srv"), chosen));
    QCOMPARE(chosen, QStringLiteral("/srv/mods"));
    QVERIFY(!ui::BrowseFolder(QStringLiteral("Browse for Folder"), QStringLiteral("/"), chosen));
    QCOMPARE(script.folders[0].startDir, QStringLiteral("/srv"));
    QCOMPARE(script.order, (QStringList{"folder", "folder"}));
  }
};

QTEST_MAIN(TestUiPrompt)
#include "test_ui_prompt.moc"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#include "Fixtures.h"
#include "ScriptedUi.h"
#include "forms/main/AppStartup.h"
#include "forms/widgets/FolderEdit.h"
#include "forms/about/untAbout.h"
#include "forms/main/untMain.h"
#include "forms/preferences/untPreferences.h"
#include "platform/Ui.h"

class TestStartup : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

 private slots:
  void init() {
    const QString ini = dir_.filePath(QStringLiteral("QUILL.INI"));
    QVERIFY(fixtures::writeAll(ini, "[Files]\r\nInput=/in\r\nOutput=/out\r\n"));
    TfrmPreferences::SetIniFileNameForTesting(ini);
    ui::SetApplicationTitle(QString());
  }

  void formsAreCreatedInOrderAfterTheTitle() {
    QStringList steps;
    QString titleWhenMainCreated;
    bool preferencesLoadedWhenCreated = false;
    AppForms forms = CreateForms([&](const QString& step, const AppForms& f) {
      steps << step;
      if (step == QLatin1String("frmMain")) {
        titleWhenMainCreated = ui::ApplicationTitle();
        QVERIFY(!f.frmAbout && !f.frmPreferences);
      }
      if (step == QLatin1String("frmAbout")) QVERIFY(f.frmMain && !f.frmPreferences);
      if (step == QLatin1String("frmPreferences"))
        preferencesLoadedWhenCreated = f.frmPreferences->edtInputPath->text() == QLatin1String("/in");
    });
    QCOMPARE(steps, (QStringList{"title", "frmMain", "frmAbout", "frmPreferences"}));
    QCOMPARE(titleWhenMainCreated, QStringLiteral("Hearthwarden"));
    QVERIFY(preferencesLoadedWhenCreated);
    // The main window keeps its own caption; the application title stays ours.
    QCOMPARE(forms.frmMain->windowTitle(), QStringLiteral("Quillforge 0.4 Beta"));
    QCOMPARE(ui::ApplicationTitle(), QStringLiteral("Hearthwarden"));
    QCOMPARE(forms.frmMain->InputFolder(), QStringLiteral("/in"));
    QCOMPARE(forms.frmMain->OutputFolder(), QStringLiteral("/out"));
    QVERIFY(!forms.frmAbout->isVisible() && !forms.frmPreferences->isVisible());
    DestroyForms(forms);
  }

  void programRunsUntilTheMainWindowClosesThenAsksOnce() {
    ScriptedUi script;
    QTemporaryDir scratch;
    QStringList steps;
    QStringList handlers;
    bool mainHiddenWhenAsked = false;
    TfrmMain* main = nullptr;
    const int code = RunApplication(*qApp, [&](const QString& step, const AppForms& f) {
      steps << step;
      if (step == QLatin1String("show")) {
        main = f.frmMain;
        QObject::connect(main, &TfrmMain::handlerRun, [&](const QString& n) { handlers << n; });
        QVERIFY(main->isVisible());
        main->ModFileName = scratch.filePath(QStringLiteral("exit.QLM"));  // Update's target
        main->CommandsChanged();  // pending changes
        script.AnswerMessage(ui::idYes, [&] { mainHiddenWhenAsked = !main->isVisible(); });
        QTimer::singleShot(0, main, [main] { main->close(); });  // closing asks nothing
      }
      if (step == QLatin1String("loopEnded")) QCOMPARE(script.messages.size(), 0);
    });
    QCOMPARE(code, 0);
    QCOMPARE(steps, (QStringList{"title", "frmMain", "frmAbout", "frmPreferences", "show", "loop",
                                 "loopEnded", "destroyed", "released"}));
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages[0].title, QStringLiteral("Save Changes"));
    QVERIFY(mainHiddenWhenAsked);
    QCOMPARE(handlers, QStringList{"btnUpdateClick"});
  }

  void noPendingChangesNoQuestion() {
    ScriptedUi script;
    RunApplication(*qApp, [&](const QString& step, const AppForms& f) {
      if (step == QLatin1String("show")) {
        TfrmMain* main = f.frmMain;
        QTimer::singleShot(0, main, [main] { main->mniExit->trigger(); });
      }
    });
    QCOMPARE(script.messages.size(), 0);
  }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"

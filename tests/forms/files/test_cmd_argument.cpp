// The mod named on the command line: the program starts as always, then runs
// Open's steps after its dialog for that path; a file that is no mod gives
// Open's messages, a path that names no file is refused and changes nothing.
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "Fixtures.h"
#include "ScriptedUi.h"
#include "Workspace.h"
#include "forms/main/AppStartup.h"
#include "forms/main/untMain.h"
#include "forms/preferences/untPreferences.h"
#include "platform/Ui.h"

namespace {

const QStringList kSteps = {"title", "frmMain",   "frmAbout",  "frmPreferences", "show",
                            "loop",  "loopEnded", "destroyed", "released"};

// What a run showed: its steps, the handlers that ran, and the main window as
// the first command after start-up left it.
struct Run {
  QStringList steps;
  QStringList handlers;
  QString modFileName;
  QString caption;
  QList<QByteArray> captions;
  ModInfo info;
  QString updateState;
  bool addOn = false;
};

// Runs the whole program with modPath; the window is looked at and closed by
// the loop's second command (the first is the argument's Open).
Run RunProgram(const QString& modPath) {
  Run run;
  RunApplication(
      *qApp,
      [&](const QString& step, const AppForms& forms) {
        run.steps << step;
        if (step == QLatin1String("show"))
          QObject::connect(forms.frmMain, &TfrmMain::handlerRun, [&](const QString& n) {
            if (n != QLatin1String("edtTitleChange")) run.handlers << n;  // filling the Mod Info fields
          });
        if (step != QLatin1String("loop")) return;
        TfrmMain* w = forms.frmMain;
        QTimer::singleShot(0, w, [&run, w] {
          run.modFileName = w->ModFileName;
          run.caption = w->windowTitle();
          for (const ModEntry& e : w->Rows->Rows()) run.captions << e.Caption;
          run.info = w->ModInfoFromFields();
          run.updateState = w->btnUpdate->isEnabled() ? QStringLiteral("on") : QStringLiteral("off");
          run.addOn = w->btnAdd->isEnabled();
          w->close();
        });
      },
      modPath);
  return run;
}

}  // namespace

class TestCmdArgument : public QObject {
  Q_OBJECT

  QTemporaryDir scratch_;

 private slots:
  void init() {
    TfrmPreferences::SetIniFileNameForTesting(scratch_.filePath(QStringLiteral("QUILL.INI")));
    ui::SetApplicationTitle(QString());
  }
  void cleanup() { TfrmPreferences::SetIniFileNameForTesting({}); }

  void argumentsNameAtMostOneMod() {
    QString path = QStringLiteral("stale");
    QVERIFY(ModPathFromArguments({}, path));
    QCOMPARE(path, QString());
    QVERIFY(ModPathFromArguments({QStringLiteral("mods/My Mod.QLM")}, path));
    QCOMPARE(path, QStringLiteral("mods/My Mod.QLM"));
    // A file manager may pass a URL.
    QVERIFY(ModPathFromArguments({QStringLiteral("file:///home/u/My%20Mod.QLM")}, path));
    QCOMPARE(path, QStringLiteral("/home/u/My Mod.QLM"));
    QVERIFY(!ModPathFromArguments({QStringLiteral("a.QLM"), QStringLiteral("b.QLM")}, path));
    QVERIFY(!ModPathFromArguments({QString()}, path));
    QVERIFY(!ModPathFromArguments({QStringLiteral("file:")}, path));
  }

  void fixtureModOpensAfterTheUsualStart() {
    QF_REQUIRE_FIXTURES();
    if (!cmd::HaveSmpq()) QSKIP("smpq is not installed");
    QMap<QString, QByteArray> tree = cmd::FixtureTree(QStringLiteral("data/global/excel"));
    tree.insert("(modinfo)", EncodeModInfo(cmd::SampleModInfo()));
    const QString mod = scratch_.filePath(QStringLiteral("fixture.QLM"));
    QVERIFY(cmd::SmpqCreate(mod, tree));

    ScriptedUi script;  // any dialog would fail the test: Open's own is not shown
    const Run run = RunProgram(mod);
    QCOMPARE(run.steps, kSteps);
    QCOMPARE(run.handlers, QStringList{QStringLiteral("OpenModFile")});
    QVERIFY(script.fileDialogs.isEmpty() && script.messages.isEmpty());
    QCOMPARE(run.modFileName, mod);
    QCOMPARE(run.caption, QStringLiteral("Quillforge (fixture.QLM, %1 bytes)").arg(QFileInfo(mod).size()));
    QList<QByteArray> expected;
    for (const QString& relative : tree.keys())
      if (relative != QLatin1String("(modinfo)")) expected << relative.toLatin1().replace('/', '\\');
    QList<QByteArray> listed = run.captions;
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(listed, expected);
    QVERIFY(cmd::SameModInfo(run.info, cmd::SampleModInfo()));
    QCOMPARE(run.updateState, QStringLiteral("off"));
    QVERIFY(run.addOn);
  }

  void relativePathIsTakenFromTheCurrentFolder() {
    if (!cmd::HaveSmpq()) QSKIP("smpq is not installed");
    const QString mod = scratch_.filePath(QStringLiteral("rel.QLM"));
    QVERIFY(cmd::SmpqCreate(mod, {{"a.txt", "a\tb\r\n"}, {"(modinfo)", EncodeModInfo(ModInfo{})}}));
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(scratch_.path()));
    ScriptedUi script;
    const Run run = RunProgram(QStringLiteral("rel.QLM"));
    QDir::setCurrent(before);
    QCOMPARE(run.modFileName, mod);  // a full path, as Open's dialog gives
    QCOMPARE(run.captions, QList<QByteArray>{"a.txt"});
  }

  void fileThatIsNoModGivesOpensMessages() {
    const QString junk = scratch_.filePath(QStringLiteral("junk.QLM"));
    QVERIFY(fixtures::writeAll(junk, QByteArray(3000, 'j')));
    ScriptedUi script;
    script.AnswerMessage(ui::idOk);
    script.AnswerMessage(ui::idOk);
    const Run run = RunProgram(junk);
    QCOMPARE(script.messages.size(), 2);
    QCOMPARE(script.messages[0].text, QStringLiteral("Error reading archive listfile."));
    QCOMPARE(script.messages[1].text, QStringLiteral("Error reading mod information."));
    for (const auto& m : script.messages) {
      QCOMPARE(m.title, QStringLiteral("Error"));
      QCOMPARE(m.flags, 16);
    }
    // As after Open: the file counts as open, with nothing listed.
    QCOMPARE(run.modFileName, junk);
    QCOMPARE(run.caption, QStringLiteral("Quillforge (junk.QLM, 3000 bytes)"));
    QVERIFY(run.captions.isEmpty());
  }

  void pathThatNamesNoFileIsRefused_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("missing") << scratch_.filePath(QStringLiteral("typo.QLM"));
    QTest::newRow("folder") << scratch_.path();
  }
  void pathThatNamesNoFileIsRefused() {
    QFETCH(QString, path);
    ScriptedUi script;
    script.AnswerMessage(ui::idOk);
    const Run run = RunProgram(path);
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages[0].text, QStringLiteral("Cannot open file %1.").arg(path));
    QCOMPARE(script.messages[0].title, QStringLiteral("Hearthwarden"));
    QCOMPARE(script.messages[0].flags, 16);
    // Nothing was opened: Update could otherwise create a mod at a typo.
    QCOMPARE(run.modFileName, QString());
    QCOMPARE(run.caption, QStringLiteral("Quillforge 0.4 Beta"));
    QVERIFY(!run.addOn);
    QVERIFY(!QFile::exists(scratch_.filePath(QStringLiteral("typo.QLM"))));
  }
};

QTEST_MAIN(TestCmdArgument)
#include "test_cmd_argument.moc"

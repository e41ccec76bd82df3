// A mod another program holds without sharing it (the game, a mod manager):
// every command that reads or writes it says so, exits 2, and leaves it as
// it was.
#include <windows.h>

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "CliRun.h"
#include "Fixtures.h"

class TestCliHeld : public QObject {
  Q_OBJECT

 private slots:
  void aHeldModIsNamedAsInUseByEveryCommand() {
    QTemporaryDir scratch;
    const QString tree = scratch.filePath("tree"), mod = scratch.filePath("Held.QLM");
    QVERIFY(clirun::WriteFile(tree + "/data/a.txt", "a"));
    QCOMPARE(clirun::Run({"build", tree, "-o", mod}).code, 0);
    const QByteArray before = fixtures::readAll(mod);
    const HANDLE held = CreateFileW(QDir::toNativeSeparators(mod).toStdWString().c_str(), GENERIC_READ, 0,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    QVERIFY(held != INVALID_HANDLE_VALUE);
    const QList<QStringList> commands{{"list", mod},
                                      {"extract", mod, scratch.filePath("out")},
                                      {"info", mod},
                                      {"info", mod, "--set-title", "T"},
                                      {"check", mod},
                                      {"compare", mod, tree},
                                      {"build", tree, "-o", mod}};
    for (const QStringList& command : commands) {
      const clirun::Result r = clirun::Run(command);
      QVERIFY2(r.code == 2 && r.err.contains("in use by another program"),
               qPrintable(command.join(' ') + ": " + QString::number(r.code) + " " + QString::fromUtf8(r.err)));
    }
    CloseHandle(held);
    QCOMPARE(fixtures::readAll(mod), before);
  }
};

QTEST_GUILESS_MAIN(TestCliHeld)
#include "test_cli_held_win.moc"

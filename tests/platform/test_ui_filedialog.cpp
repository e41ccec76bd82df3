#include <QFileDialog>
#include <QListView>
#include <QtTest>

#include "ModalDriver.h"
#include "ScriptedUi.h"
#include "platform/UiFileDialog.h"
#include "platform/UiQt.h"

class TestUiFileDialog : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

 private slots:
  void optionValuesAreTheirFlags() {
    QCOMPARE(kSaveOptions, quint32(ofOverwritePrompt | ofHideReadOnly | ofNoChangeDir | ofEnableSizing));
    QCOMPARE(kOpenOptions,
             quint32(ofHideReadOnly | ofNoChangeDir | ofPathMustExist | ofFileMustExist | ofEnableSizing));
    QCOMPARE(kOpenManyOptions, kOpenOptions | ofAllowMultiSelect);
    QCOMPARE(kOpenOptions, 525068u);
  }

  void filtersBecomeQtNameFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("mods") << "Diablo II Mods (*.QLM)|*.QLM|All Files (*.*)|*.*"
                          << QStringList{"Diablo II Mods (*.QLM)", "All Files (*)"};
    QTest::newRow("description without pattern")
        << "Sheets|*.txt;*.tbl" << QStringList{"Sheets (*.txt *.tbl)"};
    QTest::newRow("every file, among others") << "Data|*.txt;*.*" << QStringList{"Data (*.txt *)"};
    QTest::newRow("empty") << "" << QStringList{};
  }
  void filtersBecomeQtNameFilters() {
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(ui::QtNameFilters(filter), expected);
  }

  void optionSetsMapOntoQFileDialog_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<uint>("options");
    QTest::addColumn<int>("acceptMode");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<bool>("confirmOverwrite");
    QTest::addColumn<bool>("sizeGrip");
    QTest::newRow("save 0x8000E") << int(FileDialog::Save) << 0x8000Eu << int(QFileDialog::AcceptSave)
                                  << int(QFileDialog::AnyFile) << true << true;
    QTest::newRow("open 0x8030C") << int(FileDialog::Open) << 0x8030Cu << int(QFileDialog::AcceptOpen)
                                  << int(QFileDialog::ExistingFile) << false << true;
    QTest::newRow("add 0x8034C") << int(FileDialog::Open) << 0x8034Cu << int(QFileDialog::AcceptOpen)
                                 << int(QFileDialog::ExistingFiles) << false << true;
    QTest::newRow("save, no prompt, fixed size")
        << int(FileDialog::Save) << uint(ofNoChangeDir) << int(QFileDialog::AcceptSave)
        << int(QFileDialog::AnyFile) << false << false;
    QTest::newRow("open, file need not exist")
        << int(FileDialog::Open) << uint(ofPathMustExist) << int(QFileDialog::AcceptOpen)
        << int(QFileDialog::AnyFile) << false << false;
  }
  void optionSetsMapOntoQFileDialog() {
    QFETCH(int, kind);
    QFETCH(uint, options);
    QFETCH(int, acceptMode);
    QFETCH(int, fileMode);
    QFETCH(bool, confirmOverwrite);
    QFETCH(bool, sizeGrip);
    FileDialog d{FileDialog::Kind(kind)};
    d.Options = options;
    d.Title = QStringLiteral("Create Diablo II Mod");
    d.DefaultExt = QStringLiteral("QLM");
    d.Filter = QStringLiteral("Diablo II Mods (*.QLM)|*.QLM|All Files (*.*)|*.*");
    d.InitialDir = dir_.path();
    QFileDialog qt;
    ui::ConfigureFileDialog(qt, d);
    QCOMPARE(int(qt.acceptMode()), acceptMode);
    QCOMPARE(int(qt.fileMode()), fileMode);
    QCOMPARE(!qt.testOption(QFileDialog::DontConfirmOverwrite), confirmOverwrite);
    QCOMPARE(qt.isSizeGripEnabled(), sizeGrip);
    QCOMPARE(qt.windowTitle(), QStringLiteral("Create Diablo II Mod"));
    QCOMPARE(qt.defaultSuffix(), QStringLiteral("QLM"));
    QCOMPARE(qt.selectedNameFilter(), QStringLiteral("Diablo II Mods (*.QLM)"));
    QCOMPARE(QDir(qt.directory()).canonicalPath(), QDir(dir_.path()).canonicalPath());
  }

  void emptyInitialFolderIsTheCurrentOne() {
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir_.path()));
    FileDialog::SetEmptyInitialDirIsCurrent(true);
    FileDialog d(FileDialog::Open);
    QFileDialog qt;
    qt.setDirectory(QDir::rootPath());
    ui::ConfigureFileDialog(qt, d);
    QCOMPARE(QDir(qt.directory()).canonicalPath(), QDir(dir_.path()).canonicalPath());
    QDir::setCurrent(before);
  }

  void executeReportsFirstAndAllChosenFiles() {
    ScriptedUi script;
    FileDialog d(FileDialog::Open);
    d.Options = kOpenManyOptions;
    d.FileName = QStringLiteral("preset");
    const QStringList chosen{dir_.filePath(QStringLiteral("b.txt")), dir_.filePath(QStringLiteral("a.txt"))};
    script.ConfirmFileDialog(chosen);
    QVERIFY(d.Execute());
    QCOMPARE(d.Files, chosen);
    QCOMPARE(d.FileName, chosen.first());
    QCOMPARE(script.fileDialogs.size(), 1);
    QCOMPARE(script.fileDialogs[0].dialog.FileName, QStringLiteral("preset"));

    script.CancelFileDialog();
    d.FileName = QStringLiteral("again");
    QVERIFY(!d.Execute());
    QCOMPARE(d.FileName, QStringLiteral("again"));
    QCOMPARE(d.Files, chosen);
  }

  void noChangeDirKeepsTheCurrentFolder() {
    const QString before = QDir::currentPath();
    QTemporaryDir other;
    ScriptedUi script;
    // The dialog itself wanders off to another folder while it is up.
    auto wander = [&] { QDir::setCurrent(other.path()); };
    FileDialog d(FileDialog::Save);
    d.Options = kSaveOptions;
    script.ConfirmFileDialog({other.filePath(QStringLiteral("x.QLM"))}, wander);
    QVERIFY(d.Execute());
    QCOMPARE(QDir::currentPath(), before);

    // Without the flag the chosen file's folder becomes current.
    d.Options = kSaveOptions & ~ofNoChangeDir;
    script.ConfirmFileDialog({dir_.filePath(QStringLiteral("y.QLM"))});
    QVERIFY(d.Execute());
    QCOMPARE(QDir::current().canonicalPath(), QDir(dir_.path()).canonicalPath());
    QDir::setCurrent(before);
  }

  void allFilesShowsANameWithoutADotInTheRealDialog() {
    QTemporaryDir dir;
    for (const char* name : {"USE", "a.txt"}) QVERIFY(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
    FileDialog d(FileDialog::Open);
    d.Options = kOpenManyOptions;
    d.Filter = QStringLiteral("All Files (*.*)|*.*");
    d.InitialDir = dir.path();
    QFileDialog qt;
    ui::ConfigureFileDialog(qt, d);
    qt.show();
    auto* list = qt.findChild<QListView*>(QStringLiteral("listView"));
    QVERIFY(list);
    const auto shown = [&] {
      QStringList names;
      for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
        names << list->model()->index(row, 0, list->rootIndex()).data().toString();
      return names;
    };
    QTRY_COMPARE(shown(), (QStringList{"a.txt", "USE"}));
  }

  void realFolderDialogReturnsTheChosenFolder() {
    QTemporaryDir dir;
    const QString sub = dir.filePath(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(sub));
    QString title, start, chosen;
    modal::WhenShown<QFileDialog>([&](QFileDialog* qt) {
      title = qt->windowTitle();
      start = qt->directory().path();
      qt->setDirectory(sub);
      QMetaObject::invokeMethod(qt, "accept");
    });
    QVERIFY(ui::QtUiBackend().BrowseFolder(QStringLiteral("Add Folder"), dir.path(), chosen));
    QCOMPARE(title, QStringLiteral("Add Folder"));
    QCOMPARE(QDir(start).canonicalPath(), QDir(dir.path()).canonicalPath());
    QCOMPARE(chosen, QDir::toNativeSeparators(sub));
  }

  void realDialogReturnsTheChosenFile() {
    const QString file = dir_.filePath(QStringLiteral("real.QLM"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    FileDialog d(FileDialog::Open);
    d.Options = kOpenOptions;
    d.InitialDir = dir_.path();
    d.Filter = QStringLiteral("Diablo II Mods (*.QLM)|*.QLM");
    QString title;
    modal::WhenShown<QFileDialog>([&](QFileDialog* qt) {
      title = qt->windowTitle();
      qt->selectFile(file);
      QMetaObject::invokeMethod(qt, "accept");
    });
    QVERIFY(d.Execute());
    QCOMPARE(title, QStringLiteral("Open"));
    QCOMPARE(QFileInfo(d.FileName).canonicalFilePath(), QFileInfo(file).canonicalFilePath());
  }
};

QTEST_MAIN(TestUiFileDialog)
#include "test_ui_filedialog.moc"

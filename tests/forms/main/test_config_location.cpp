// Where QUILL.INI lives: beside a portable copy, in the user's configuration
// folder for an installed one, and the real writability check. The cases
// bound to POSIX (an unprivileged user, XDG_CONFIG_HOME, /usr/bin) are in
// test_config_location_posix.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "Fixtures.h"
#include "platform/ConfigLocation.h"

namespace {

QStringList entries(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace

class TestConfigLocation : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    config::SetProgramFolderForTesting({});
  }

  void choosesBesideTheProgramOnlyWhereItCanBeWritten_data() {
    QTest::addColumn<bool>("folderWritable");
    QTest::addColumn<bool>("fileWritable");
    QTest::addColumn<bool>("beside");
    QTest::newRow("portable copy") << true << false << true;
    QTest::newRow("system install") << false << false << false;
    // A locked folder holding a preferences file the user may write.
    QTest::newRow("writable file in a locked folder") << false << true << true;
  }
  void choosesBesideTheProgramOnlyWhereItCanBeWritten() {
    QFETCH(bool, folderWritable);
    QFETCH(bool, fileWritable);
    QFETCH(bool, beside);
    const QString program = QStringLiteral("/opt/quillforge/bin");
    QStringList asked;
    const QString chosen =
        config::ChooseIniFile(program, QStringLiteral("/home/u/.config"), [&](const QString& path) {
          asked << path;
          return path == program ? folderWritable : fileWritable;
        });
    QCOMPARE(chosen, beside ? QStringLiteral("/opt/quillforge/bin/QUILL.INI")
                            : QStringLiteral("/home/u/.config/Quillforge/QUILL.INI"));
    QCOMPARE(asked.value(0), program);  // the folder decides first
  }

  void realCheckProbesWithoutLeavingAnything() {
    QTemporaryDir dir;
    QVERIFY(config::CanWrite(dir.path()));
    QVERIFY(entries(dir.path()).isEmpty());
    QVERIFY(!config::CanWrite(dir.filePath(QStringLiteral("missing"))));
    QVERIFY(!config::CanWrite(dir.filePath(QStringLiteral("missing/QUILL.INI"))));
    const QString ini = dir.filePath(QStringLiteral("QUILL.INI"));
    QVERIFY(fixtures::writeAll(ini, "[Files]\r\nInput=/a\r\n"));
    QVERIFY(config::CanWrite(ini));
    QCOMPARE(fixtures::readAll(ini), QByteArray("[Files]\r\nInput=/a\r\n"));  // not emptied
  }

};

QTEST_MAIN(TestConfigLocation)
#include "test_config_location.moc"

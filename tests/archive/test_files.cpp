// File services: sizes as a folder listing reports them, existence, and a copy
// that replaces its destination without ever losing it.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "Fixtures.h"
#include "platform/Files.h"

class TestFiles : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString path(const QString& name) const { return dir_.filePath(name); }

 private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }

  void sizeAndExistence() {
    QVERIFY(fixtures::writeAll(path("five"), "12345"));
    QVERIFY(QDir().mkpath(path("folder")));
    QVERIFY(QFile::link(path("five"), path("link")));
    QCOMPARE(files::FileSizeBySearch(path("five")), 5);
    QCOMPARE(files::FileSizeBySearch(path("folder")), 0);
    QCOMPARE(files::FileSizeBySearch(path("nothing")), 0);
    QVERIFY(files::FileExists(path("five")));
    QVERIFY(files::FileExists(path("link")));
    QVERIFY(!files::FileExists(path("folder")));
    QVERIFY(!files::FileExists(path("nothing")));
  }

  void sizeKeepsTheLow32Bits() {
    QFile big(path("sparse"));
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize((qint64(1) << 32) + 7));  // sparse: no disk space used
    big.close();
    QCOMPARE(files::FileSizeBySearch(path("sparse")), 7);
    QVERIFY(big.resize(qint64(0xFFFFFFFF)));
    QCOMPARE(files::FileSizeBySearch(path("sparse")), -1);
    QVERIFY(files::DeleteFile(path("sparse")));
    QVERIFY(!files::FileExists(path("sparse")));
    QVERIFY(!files::DeleteFile(path("sparse")));
  }

  void copyReplacesTheDestination() {
    const QByteArray bytes = QByteArray("\0\r\n\xff", 4).repeated(50000);
    QVERIFY(fixtures::writeAll(path("src"), bytes));
    QVERIFY(fixtures::writeAll(path("dst"), "old and longer than nothing"));
    QVERIFY(files::CopyFile(path("src"), path("dst")));
    QCOMPARE(fixtures::readAll(path("dst")), bytes);
    QVERIFY(files::CopyFile(path("src"), path("new")));
    QCOMPARE(fixtures::readAll(path("new")), bytes);
  }

  void failedCopyKeepsTheDestination() {
    QVERIFY(fixtures::writeAll(path("keep"), "keep me"));
    QVERIFY(!files::CopyFile(path("missing"), path("keep")));
    QVERIFY(QDir().mkpath(path("adir")));
    QVERIFY(!files::CopyFile(path("adir"), path("keep")));
    QCOMPARE(fixtures::readAll(path("keep")), QByteArray("keep me"));
    QVERIFY(!files::CopyFile(path("keep"), path("no/such/folder/x")));
  }

  void copyOntoItselfKeepsTheFile() {
    QVERIFY(fixtures::writeAll(path("self"), "content"));
    QVERIFY(files::CopyFile(path("self"), path("self")));
    QVERIFY(files::CopyFile(path("self"), dir_.path() + "/./self"));
    QCOMPARE(fixtures::readAll(path("self")), QByteArray("content"));
  }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "test_files.moc"

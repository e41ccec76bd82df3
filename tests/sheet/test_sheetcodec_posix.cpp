// Saving a sheet where POSIX systems differ: through a symbolic link, and
// into a file that a file-size limit (setrlimit) or a full device cuts short.
#include <sys/resource.h>

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "Fixtures.h"
#include "archive/SheetCodec.h"
#include "platform/AppError.h"

namespace {

QString ErrorOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const AppError& e) {
    return e.message();
  }
  return QString();
}

struct FileSizeLimit {
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_IGN);  // a failed write, not a killed process
    rlimit limit = saved;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
  rlimit saved{};
};

}  // namespace

class TestSheetCodecPosix : public QObject {
  Q_OBJECT

  QTemporaryDir scratch_;
  QString Scratch(const QString& name) const { return scratch_.filePath(name); }

 private slots:
  void initTestCase() { QVERIFY(scratch_.isValid()); }

  // Replacing the file keeps its permission bits.
  void savingKeepsThePermissions() {
    const QString path = Scratch(QStringLiteral("longer.txt"));
    QVERIFY(fixtures::writeAll(path, QByteArray(5000, 'x')));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    SheetGrid grid;
    LinesToGrid({"a\tb"}, grid);
    GridToFile(path, grid);
    QCOMPARE(fixtures::readAll(path), QByteArray("a\tb\r\n"));
    constexpr QFile::Permissions kModeBits(0x7777 & ~0x0700);  // owner, group, other; not "current user"
    QCOMPARE(QFile::permissions(path) & kModeBits, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
  }

  void savingThroughASymlinkReplacesTheTarget() {
    const QString target = Scratch(QStringLiteral("target.txt"));
    const QString link = Scratch(QStringLiteral("link.txt"));
    QVERIFY(fixtures::writeAll(target, "old"));
    QVERIFY(QFile::link(target, link));
    SheetGrid grid;
    GridToFile(link, grid);
    QCOMPARE(fixtures::readAll(target), QByteArray("\r\n"));
    QVERIFY(QFileInfo(link).isSymLink());
  }

  void writeFailurePartWay() {
    SheetGrid grid;
    LinesToGrid({QByteArray(20000, 'a') + "\tb", "1\t2"}, grid);

    // A full device: the failure shows as a write error.
    if (QFileInfo::exists(QStringLiteral("/dev/full")))
      QCOMPARE(ErrorOf([&] { GridToFile(QStringLiteral("/dev/full"), grid); }),
               QStringLiteral("Stream write error"));

    // A regular file that cannot take the whole text keeps its old bytes.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("limited.txt"));
    QVERIFY(fixtures::writeAll(path, "old sheet\r\n"));
    QString error;
    {
      FileSizeLimit limit(4096);
      error = ErrorOf([&] { GridToFile(path, grid); });
    }
    QCOMPARE(error, QStringLiteral("Stream write error"));
    QCOMPARE(fixtures::readAll(path), QByteArray("old sheet\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("limited.txt")});
  }
};

QTEST_GUILESS_MAIN(TestSheetCodecPosix)
#include "test_sheetcodec_posix.moc"

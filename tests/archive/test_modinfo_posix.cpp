// The mod information record's temporary file where POSIX systems differ:
// a folder without write permission (as an ordinary user) and a file-size
// limit that makes its write fail.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "Fixtures.h"
#include "archive/ModInfo.h"
#include "platform/AppError.h"

namespace {

ModInfo Info(std::initializer_list<QByteArray> texts) {
  ModInfo info;
  int i = 0;
  for (const QByteArray& t : texts) info.texts[i++] = t;
  return info;
}

// Points the temporary folder somewhere else for the life of the object.
class TempFolderOverride {
 public:
  explicit TempFolderOverride(const QString& dir) : old_(qgetenv("TMPDIR")) {
    qputenv("TMPDIR", dir.toLocal8Bit());
  }
  ~TempFolderOverride() { qputenv("TMPDIR", old_); }

 private:
  QByteArray old_;
};

}  // namespace

class TestModInfoPosix : public QObject {
  Q_OBJECT
 private slots:
  void uncreatableFileRaises() {
    // A folder without write permission stops everyone but root; a "folder"
    // that is a plain file stops root too.
    QTemporaryDir base;
    QString folder = base.filePath("locked");
    if (geteuid() == 0) {
      folder = base.filePath("plain-file");
      QVERIFY(fixtures::writeAll(folder, "not a folder"));
    } else {
      QVERIFY(QDir().mkpath(folder));
      QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    }
    QString message;
    {
      const TempFolderOverride tmp(folder);
      try {
        WriteModInfoFile({});
      } catch (const AppError& e) {
        message = e.message();
      }
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(message, "Cannot create file " + folder + "/ModInfo.XXXXXX.dat");
  }

  void failedWriteRaisesAndLeavesNoFile() {
    // A file-size limit makes the write fail even for root; the signal it
    // raises is ignored so the write just reports the error.
    QTemporaryDir folder;
    const TempFolderOverride tmp(folder.path());
    rlimit old{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = old;
    tiny.rlim_cur = 16;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &tiny) == 0);
    QString message;
    try {
      WriteModInfoFile(Info({QByteArray(100, 't')}));
    } catch (const AppError& e) {
      message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    QCOMPARE(message, QStringLiteral("Stream write error"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
  }
};

QTEST_GUILESS_MAIN(TestModInfoPosix)
#include "test_modinfo_posix.moc"

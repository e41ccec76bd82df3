// Export's batch within the process's limits (setrlimit): the folders it
// holds open stay within its cap of descriptors, and an entry too big for
// the memory left fails alone.
#include <sys/resource.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "ArchiveBuilder.h"
#include "Fixtures.h"
#include "archive/ArchiveReader.h"
#include "archive/ExportBatch.h"
#include "archive/TargetClashes.h"
#include "platform/Storm.h"

namespace {

// The process's address space in use now, in bytes.
qint64 VirtualBytes() {
  QFile status(QStringLiteral("/proc/self/statm"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  return status.readAll().split(' ').value(0).toLongLong() * ::sysconf(_SC_PAGESIZE);
}

}  // namespace

class TestExportBatchPosix : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir scratch_;
  QString archive_;
  testarchive::Entries entries_;

 private slots:
  void initTestCase() {
    QVERIFY(scratch_.isValid());
    for (int i = 0; i < 400; ++i) {
      QByteArray bytes;
      for (int j = 0; j < 50 + i * 31; ++j) bytes += char((i * 7 + j * (j % 13)) & 0xFF);
      entries_.append({"d" + QByteArray::number(i % 9) + "\\e" + QByteArray::number(i), bytes});
    }
    archive_ = scratch_.filePath(QStringLiteral("batch.mpq"));
    QVERIFY(testarchive::Build(archive_, entries_));
    QVERIFY(testarchive::MakeOld(archive_));
  }

  // The folders held open by the whole batch stay within the cap: a
  // process allowed little more than that still writes every file.
  void heldFoldersStayWithinTheCap() {
    const QString out = scratch_.filePath(QStringLiteral("capped"));
    QList<ExportJob> jobs;
    for (qsizetype i = 0; i < entries_.size(); ++i)
      jobs.append(ExportJob{entries_.at(i).first, QString(), out + QStringLiteral("/f%1/deep/e").arg(i)});
    // The reader keeps the archive open between runs: it is opened once
    // before the descriptors are counted.
    const QString warm = out + QStringLiteral("-warm");
    const QList<ExportJob> first{ExportJob{entries_.at(0).first, QString(), warm + QStringLiteral("/e")}};
    QCOMPARE(ExportEntries(archive_, warm, first), QList<ExportResult>{ExportResult::Written});
    const auto openNow = [] { return qsizetype(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries).size()); };
    rlimit before{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &before) == 0);
    const rlim_t open = rlim_t(openNow());
    // A kept archive is let go of once idle for a moment, maybe during the
    // run: both counts are taken without it.
    storm::cache::Drop();
    const qsizetype base = openNow();
    rlimit capped = before;
    capped.rlim_cur =
        std::min<rlim_t>(before.rlim_cur, open + 256 + 32 + 8 * rlim_t(QThread::idealThreadCount()));
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &capped) == 0);
    const QList<ExportResult> results = ExportEntries(archive_, out, jobs);
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &before) == 0);
    QCOMPARE(results.count(ExportResult::Written), jobs.size());
    storm::cache::Drop();
    QCOMPARE(openNow(), base);
  }

  void anEntryTooBigForMemoryFailsAlone() {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer's allocator ends the process where memory runs out
    // instead of letting the allocation fail as the system's does.
    QSKIP("an allocation that fails cannot be tried under AddressSanitizer");
#endif
    const QString huge = scratch_.filePath(QStringLiteral("huge"));
    {
      QFile file(huge);
      QVERIFY(file.open(QIODevice::WriteOnly));
      QVERIFY(file.resize(qint64(8) << 30));  // sparse: no disk space taken
    }
    const QString out = scratch_.filePath(QStringLiteral("big-out"));
    const QList<ExportJob> jobs{
        ExportJob{"d1\\e1", QString(), out + QStringLiteral("/first")},
        ExportJob{"d0\\e0", huge, out + QStringLiteral("/huge")},
        ExportJob{"d2\\e2", QString(), out + QStringLiteral("/last")},
    };
    // Room for the program and its threads, not for the 8 GiB file.
    rlimit before{};
    QCOMPARE(::getrlimit(RLIMIT_AS, &before), 0);
    rlimit limited = before;
    limited.rlim_cur = rlim_t(VirtualBytes() + (qint64(2) << 30));
    QCOMPARE(::setrlimit(RLIMIT_AS, &limited), 0);
    const QList<ExportResult> results = ExportEntries(archive_, out, jobs);
    QCOMPARE(::setrlimit(RLIMIT_AS, &before), 0);

    QCOMPARE(results,
             (QList<ExportResult>{ExportResult::Written, ExportResult::NotWritten, ExportResult::Written}));
    QCOMPARE(fixtures::readAll(out + QStringLiteral("/first")), entries_.at(1).second);
    QCOMPARE(fixtures::readAll(out + QStringLiteral("/last")), entries_.at(2).second);
    QVERIFY(!QFileInfo::exists(out + QStringLiteral("/huge")));
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);
  }
};

QTEST_GUILESS_MAIN(TestExportBatchPosix)
#include "test_export_batch_posix.moc"

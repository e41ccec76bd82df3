// The export batch: many entries decoded at once on worker threads, each
// with an archive of its own, every file its entry's bytes; and the reading
// threads' archives in the storm layer.
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

class TestExportBatch : public QObject {
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

  void everyFileItsEntrysBytes() {
    const QString out = scratch_.filePath(QStringLiteral("out"));
    QList<ExportJob> jobs;
    for (const auto& [name, bytes] : std::as_const(entries_))
      jobs.append(ExportJob{name, QString(),
                            out + QLatin1Char('/') + QString::fromLatin1(name).replace(u'\\', u'/')});
    const QString pending = scratch_.filePath(QStringLiteral("pending"));
    QVERIFY(fixtures::writeAll(pending, "from disk"));
    jobs.append(ExportJob{"d0\\e0", pending, out + QStringLiteral("/pending")});  // a pending file is copied
    jobs.append(ExportJob{"no such entry", QString(), out + QStringLiteral("/missing")});

    const quint64 opensBefore = storm::cache::DiskOpens();
    qsizetype lastDone = -1;
    const QList<ExportResult> results =
        ExportEntries(archive_, out, jobs, [&](qsizetype done, qsizetype total) {
          QCOMPARE(total, jobs.size());
          QVERIFY(done >= lastDone);
          lastDone = done;
        });
    QCOMPARE(results.size(), jobs.size());
    for (qsizetype i = 0; i < entries_.size(); ++i) {
      QCOMPARE(results.at(i), ExportResult::Written);
      QCOMPARE(fixtures::readAll(jobs.at(i).target), entries_.at(i).second);
    }
    QCOMPARE(results.at(entries_.size()), ExportResult::Written);
    QCOMPARE(fixtures::readAll(out + QStringLiteral("/pending")), QByteArray("from disk"));
    QCOMPARE(results.last(), ExportResult::NotWritten);
    QVERIFY(!QFileInfo::exists(out + QStringLiteral("/missing")));
    // Each worker keeps one archive for its whole share instead of opening
    // the file once per entry.
    QVERIFY(storm::cache::DiskOpens() - opensBefore <= quint64(QThread::idealThreadCount()) + 1);
    QCOMPARE(lastDone, jobs.size());
  }

  // The folders made for a file that could not be written are taken away
  // again, those holding a written file stay; of two jobs for one file the
  // later one stands.
  void foldersOfFailedFilesAreTakenAway() {
    const QString out = scratch_.filePath(QStringLiteral("made"));
    const QString pending = scratch_.filePath(QStringLiteral("later"));
    QVERIFY(fixtures::writeAll(pending, "later"));
    const QList<ExportJob> jobs{
        ExportJob{"no such entry", QString(), out + QStringLiteral("/new/deeper/x")},
        ExportJob{"d3\\e3", QString(), out + QStringLiteral("/kept/deeper/y")},
        ExportJob{"no such entry", QString(), out + QStringLiteral("/kept/gone/z")},
        ExportJob{"d4\\e4", QString(), out + QStringLiteral("/kept/twice")},
        ExportJob{"d4\\e4", pending, out + QStringLiteral("/kept/twice")},
        // A file where another job's folder was made, and then taken away.
        ExportJob{"d5\\e5", QString(), out + QStringLiteral("/kept/clash")},
        ExportJob{"no such entry", QString(), out + QStringLiteral("/kept/clash/inner")},
    };
    bool synced = false;
    QCOMPARE(ExportEntries(archive_, out, jobs, {}, &synced),
             (QList<ExportResult>{ExportResult::NotWritten, ExportResult::Written, ExportResult::NotWritten,
                                  ExportResult::Written, ExportResult::Written, ExportResult::Written,
                                  ExportResult::NotWritten}));
    QVERIFY(synced);
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"kept"});
    QCOMPARE(
        QDir(out + QStringLiteral("/kept")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        (QStringList{"clash", "deeper", "twice"}));
    QCOMPARE(fixtures::readAll(out + QStringLiteral("/kept/clash")), entries_.at(5).second);
    QCOMPARE(fixtures::readAll(out + QStringLiteral("/kept/deeper/y")), entries_.at(3).second);
    QCOMPARE(fixtures::readAll(out + QStringLiteral("/kept/twice")), QByteArray("later"));
  }

  // Threads that read the same file at once each get their archive, and
  // every read is whole.
  void threadsReadSideBySide() {
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([&, t] {
        for (qsizetype i = t; i < entries_.size(); i += 4) {
          QBuffer buffer;
          buffer.open(QIODevice::ReadWrite);
          if (!ReadEntryToStream(archive_, entries_.at(i).first, buffer) ||
              buffer.data() != entries_.at(i).second)
            ++wrong;
        }
      });
    }
    for (std::thread& t : threads) t.join();
    QCOMPARE(wrong.load(), 0);
    // Done reading, the layer keeps one archive of the file, not one per thread.
    const quint64 opens = storm::cache::DiskOpens();
    QCOMPARE(EntrySize(archive_, entries_.at(3).first), qint32(entries_.at(3).second.size()));
    QCOMPARE(storm::cache::DiskOpens(), opens);
  }

  // A content that cannot be held in memory fails its own file only: the
  // batch goes on and says which file was not written.
  // Where the file system takes two names as one (here: one that ignores
  // letter case), each later job for the same file is named with the
  // earlier one, in the jobs' order; names it tells apart are no clash.
  void jobsForOneDiskFile() {
    const QList<ExportJob> jobs{{"caf\xE9.txt", {}, "/out/caf\u00e9.txt"},
                                {"a.txt", {}, "/out/a.txt"},
                                {"CAF\xC9.TXT", {}, "/out/CAF\u00c9.TXT"},
                                {"caf\xE9.TXT", {}, "/out/caf\u00e9.TXT"},
                                {"b.txt", {}, "/out/b.txt"}};
    const auto caseBlind = [](const QString& path) { return path.toCaseFolded(); };
    QCOMPARE(EarlierSameTarget(jobs, caseBlind), (QList<qsizetype>{-1, -1, 0, 0, -1}));
    const auto exact = [](const QString& path) { return path; };
    QCOMPARE(EarlierSameTarget(jobs, exact), (QList<qsizetype>{-1, -1, -1, -1, -1}));
  }

};

QTEST_GUILESS_MAIN(TestExportBatch)
#include "test_export_batch.moc"

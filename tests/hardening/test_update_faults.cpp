// Update through the main window when a source file is gone by the time
// Update runs, or the process is killed part-way: the archive holds exactly
// its old entries or exactly its new ones, and every failure is shown. A full
// disk, a read-only archive or folder and a failed sync:
// test_update_faults_posix.
#include <QRandomGenerator>

#include "UpdateFaultsFixture.h"

using namespace faults;

class TestUpdateFaults : public Fixture {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (qEnvironmentVariableIsSet(kChildArchive)) return;
    QF_REQUIRE_FIXTURES();
    SetUp();
  }

  void init() {
    if (!archive_.isEmpty()) Restore();
  }

  void childUpdate() { ChildUpdate(); }

  void plainUpdateCommitsEverything() {
    const ChildRun run = RunChild();
    QVERIFY(run.finished);
    QCOMPARE(run.messages, QStringList());
    QCOMPARE(run.updateState, QStringLiteral("off"));
    bool committed = false;
    VerifyIntact(true, &committed);
    QVERIFY(committed);
  }

  void sourcesDeletedBeforeUpdate() {
    // The copies the child deletes are its own: the originals stay for the other cases.
    const QString copies = scratch_.filePath(QStringLiteral("doomed"));
    QVERIFY(QDir().mkpath(copies));
    const QStringList kept = pairs_;
    for (QString& pair : pairs_) {
      const QString copy = copies + '/' + QFileInfo(pair.section('|', 0, 0)).fileName();
      QVERIFY(QFile::copy(pair.section('|', 0, 0), copy));
      pair = copy + '|' + pair.section('|', 1);
    }
    const ChildRun run = RunChild({}, true);
    pairs_ = kept;
    QVERIFY(run.finished);
    QCOMPARE(run.messages.size(), 1);
    QVERIFY2(run.messages[0].startsWith("Cannot add") && run.messages[0].contains(copies),
             qPrintable(run.messages[0]));
    QCOMPARE(run.updateState, QStringLiteral("on"));
    // Nothing could be added, so the entries are the old ones; only the
    // record was written.
    bool committed = true;
    VerifyIntact(true, &committed);
    QVERIFY(!committed);
  }

  void killedDuringUpdate() {
    // Kills after a number of pumps (between additions) and after random
    // delays (anywhere, the final rename included).
    int committedRuns = 0, oldRuns = 0;
    QRandomGenerator random(20240607);
    for (int round = 0; round < 12; ++round) {
      Restore();
      const bool byPump = round % 2 == 0;
      const int pumps = 1 + int(random.bounded(qint64(pairs_.size())));
      const int delay = int(random.bounded(150, 1500));
      RunChild({}, false, byPump ? pumps : -1, byPump ? -1 : delay);
      bool committed = false;
      VerifyIntact(true, &committed, true);
      if (QTest::currentTestFailed()) {
        qWarning(
            "round %d: %s", round,
            byPump ? qPrintable(QString("pump %1").arg(pumps)) : qPrintable(QString("%1 ms").arg(delay)));
        return;
      }
      (committed ? committedRuns : oldRuns)++;
    }
    qInfo("killed updates: %d left the old archive, %d the new one, 0 corrupt", oldRuns, committedRuns);
  }
};

QTEST_MAIN(TestUpdateFaults)
#include "test_update_faults.moc"

// Update loads and unloads the archive-update library once per run; doing so
// hundreds of times must not leave memory behind. (The sanitizer build's leak
// check sees the same; this catches it in the ordinary build too.)
#include <malloc.h>

#include <QTemporaryDir>
#include <QtTest>

#include "archive/UpdateLibrary.h"

class TestArchwritUnload : public QObject {
  Q_OBJECT

  QTemporaryDir scratch_;

  void Cycle(int i) {
    QVERIFY(LoadUpdateLibrary());
    const QString path = scratch_.filePath(QStringLiteral("m%1.QLM").arg(i));
    UpdateLibrary::ArchiveHandle archive =
        UpdateLibrary::MpqOpenArchiveForUpdate(path, UpdateLibrary::kOpenCreate, UpdateLibrary::kMaxFiles);
    QVERIFY(archive);
    QVERIFY(UpdateLibrary::MpqCloseUpdatedArchive(archive, 0));
    UnloadUpdateLibrary();
    QFile::remove(path);
  }

 private slots:
  void loadUnloadCyclesKeepNoMemory() {
    for (int i = 0; i < 20; ++i) Cycle(i);  // the loader's own caches settle
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 300; ++i) Cycle(i);
    const size_t after = mallinfo2().uordblks;
    qInfo("heap in use grew by %lld bytes over 300 updates", qlonglong(after) - qlonglong(before));
    QVERIFY(after < before + 16 * 1024);
  }
};

QTEST_MAIN(TestArchwritUnload)
#include "test_archwrit_unload_posix.moc"

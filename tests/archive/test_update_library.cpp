// Binding the update library: stand-in libraries built beside this test are
// refused or accepted, loads never pile up, and the entry points pass their
// arguments through unchanged.
#include <QTemporaryDir>
#include <QtTest>

#include "ArchiveBuilder.h"
#include "LoadedLibrary.h"
#include "archive/ArchiveReader.h"
#include "archive/UpdateLibrary.h"
#include "platform/FolderListing.h"
#include "platform/Storm.h"

namespace {

// Whether the library file is loaded in this process (without loading it).
bool IsLoaded(const char* file) {
  return fixtures::isLoaded(file);
}

// Calls a Fake* export of a loaded stand-in.
template <typename R>
R Probe(const char* file, const char* name) {
  auto fn = reinterpret_cast<R (*)()>(fixtures::loadedExport(file, name));
  return fn ? fn() : R{};
}

bool Load(const char* file) {
  UpdateLibrary::SetLibraryFileForTesting(QString::fromLocal8Bit(file));
  return LoadUpdateLibrary();
}

}  // namespace

class TestUpdateLibrary : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() {
    UnloadUpdateLibrary();
    UpdateLibrary::SetLibraryFileForTesting({});
  }

  void incompleteLibrariesAreRefused_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("no MpqInitialize") << fake_archwrit_no_MpqInitialize;
    QTest::newRow("no MpqGetVersionString (never called)") << fake_archwrit_no_MpqGetVersionString;
    QTest::newRow("no MpqOpenArchiveForUpdate") << fake_archwrit_no_MpqOpenArchiveForUpdate;
    QTest::newRow("no MpqCloseUpdatedArchive") << fake_archwrit_no_MpqCloseUpdatedArchive;
    QTest::newRow("no MpqAddFileToArcive") << fake_archwrit_no_MpqAddFileToArcive;
    QTest::newRow("no MpqDeleteFile") << fake_archwrit_no_MpqDeleteFile;
    QTest::newRow("MpqInitialize returns 0") << fake_archwrit_init_fails;
    QTest::newRow("no such file") << QStringLiteral("/nonexistent/") + QStringLiteral(QF_ARCHWRIT_FILE_NAME);
  }
  void incompleteLibrariesAreRefused() {
    QFETCH(QString, file);
    // Held before: the failed load must release it too.
    QVERIFY(Load(fake_archwrit_complete));
    QVERIFY(!Load(qPrintable(file)));
    QVERIFY(!IsLoaded(qPrintable(file)));
    QVERIFY(!IsLoaded(fake_archwrit_complete));
    QCOMPARE(UpdateLibrary::MpqOpenArchiveForUpdate("/tmp/x.QLM", 5, 1000), nullptr);
  }

  void completeLibraryIsInitialisedAtEveryLoad() {
    QVERIFY(Load(fake_archwrit_complete));
    QVERIFY(IsLoaded(fake_archwrit_complete));
    QCOMPARE(Probe<int>(fake_archwrit_complete, "FakeInitCalls"), 1);
    UnloadUpdateLibrary();
    QVERIFY(!IsLoaded(fake_archwrit_complete));
    QVERIFY(Load(fake_archwrit_complete));
    QCOMPARE(Probe<int>(fake_archwrit_complete, "FakeInitCalls"), 1);  // a fresh copy, initialised again
  }

  void loadingTwiceHoldsOne() {
    QVERIFY(Load(fake_archwrit_complete));
    QVERIFY(Load(fake_archwrit_complete2));
    QVERIFY(!IsLoaded(fake_archwrit_complete));
    QVERIFY(IsLoaded(fake_archwrit_complete2));
    // The same file twice: one unload must leave nothing behind.
    QVERIFY(Load(fake_archwrit_complete2));
    UnloadUpdateLibrary();
    QVERIFY(!IsLoaded(fake_archwrit_complete2));
  }

  void entryPointsPassArgumentsThrough() {
    QVERIFY(Load(fake_archwrit_complete));
    const char* lib = fake_archwrit_complete;
    const QString archive = QString::fromUtf8("/tmp/m\xc3\xa9od dir/My Mod.QLM");
    UpdateLibrary::ArchiveHandle h = UpdateLibrary::MpqOpenArchiveForUpdate(archive, 9, 1000);
    QVERIFY(h);
    // In the system's disk form (on Windows UTF-8, which the library takes to the wide calls).
    QCOMPARE(QByteArray(Probe<const char*>(lib, "FakeLastPath")), files::DiskPath(archive));
    QCOMPARE(Probe<quint32>(lib, "FakeLastOpenValue"), 9u);
    QCOMPARE(Probe<quint32>(lib, "FakeLastMaxFiles"), 1000u);

    const QByteArray name("data\\Global\\Excel\\\xe9\xff\x80.TXT");
    QCOMPARE(UpdateLibrary::MpqAddFileToArcive(h, "/tmp/src file.txt", name, UpdateLibrary::kAddReplace), 11);
    QCOMPARE(QByteArray(Probe<const char*>(lib, "FakeLastSource")), QByteArray("/tmp/src file.txt"));
    QCOMPARE(QByteArray(Probe<const char*>(lib, "FakeLastName")), name);
    QCOMPARE(Probe<quint32>(lib, "FakeLastFlags"), 0x10201u);

    QCOMPARE(UpdateLibrary::MpqDeleteFile(h, "(modinfo)"), 13);
    QCOMPARE(QByteArray(Probe<const char*>(lib, "FakeLastName")), QByteArray("(modinfo)"));
    QCOMPARE(UpdateLibrary::MpqCloseUpdatedArchive(h, 0), 7);
    QCOMPARE(Probe<quint32>(lib, "FakeLastReserved"), 0u);
  }

  void nothingIsCalledWithoutALibraryOrWithBadArguments() {
    int cookie = 0;
    QCOMPARE(UpdateLibrary::MpqOpenArchiveForUpdate("/tmp/x", 5, 1000), nullptr);
    QCOMPARE(UpdateLibrary::MpqAddFileToArcive(&cookie, "/tmp/a", "a", 0x10200), 0);
    QCOMPARE(UpdateLibrary::MpqDeleteFile(&cookie, "a"), 0);
    QCOMPARE(UpdateLibrary::MpqCloseUpdatedArchive(&cookie, 0), 0);

    QVERIFY(Load(fake_archwrit_complete));
    UpdateLibrary::ArchiveHandle h = UpdateLibrary::MpqOpenArchiveForUpdate("/tmp/x", 5, 1000);
    QCOMPARE(UpdateLibrary::MpqAddFileToArcive(h, "/tmp/a", "first", 0x10200), 11);
    // A NUL would cut the name down to another one.
    QCOMPARE(UpdateLibrary::MpqAddFileToArcive(h, "/tmp/a", QByteArray("ab\0c", 4), 0x10200), 0);
    QCOMPARE(UpdateLibrary::MpqDeleteFile(h, QByteArray("ab\0c", 4)), 0);
    QCOMPARE(QByteArray(Probe<const char*>(fake_archwrit_complete, "FakeLastName")), QByteArray("first"));
    QCOMPARE(UpdateLibrary::MpqAddFileToArcive(nullptr, "/tmp/a", "b", 0x10200), 0);
    QCOMPARE(UpdateLibrary::MpqCloseUpdatedArchive(nullptr, 0), 0);
  }

  void updatingDropsTheReadersKeptArchive() {
    QTemporaryDir dir;
    const QString archive = dir.filePath("kept.mpq");
    QVERIFY(testarchive::Build(archive, {{"a", "1"}}));
    QVERIFY(testarchive::MakeOld(archive));
    QVERIFY(Load(fake_archwrit_complete));
    int cookie = 0;
    for (int step = 0; step < 3; ++step) {
      QCOMPARE(EntrySize(archive, "a"), 1);  // keeps it
      const quint64 before = storm::cache::DiskOpens();
      if (step == 0) UpdateLibrary::MpqOpenArchiveForUpdate(archive, 5, 1000);
      if (step == 1) UpdateLibrary::MpqCloseUpdatedArchive(&cookie, 0);
      if (step == 2) UnloadUpdateLibrary();
      QCOMPARE(EntrySize(archive, "a"), 1);
      QCOMPARE(storm::cache::DiskOpens() - before, quint64(1));
    }
    ReleaseArchiveState();
  }
};

QTEST_GUILESS_MAIN(TestUpdateLibrary)
#include "test_update_library.moc"

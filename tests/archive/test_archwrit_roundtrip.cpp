// Every fixture file written into a new mod through the real update library,
// then read back through the archive reader.
#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

#include "Fixtures.h"
#include "archive/ArchiveReader.h"
#include "archive/ModInfo.h"
#include "archive/UpdateLibrary.h"
#include "platform/Files.h"

namespace {

QByteArray ReadBytes(const QString& archive, const QByteArray& name, bool* ok) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  *ok = ReadEntryToStream(archive, name, buffer);
  return buffer.data();
}

}  // namespace

class TestArchwritRoundTrip : public QObject {
  Q_OBJECT
 private slots:
  void cleanupTestCase() { ReleaseArchiveState(); }

  void fixturesRoundTrip() {
    QF_REQUIRE_FIXTURES();
    QTemporaryDir dir;
    const QString mod = dir.filePath("Round Trip.QLM");
    // Found beside this executable, as the program finds it.
    QVERIFY2(LoadUpdateLibrary(), "ARCHWRIT cannot be loaded or initialised");

    ModInfo info;
    info.texts[ModInfo::Title] = "Round \xe9trip";
    info.texts[ModInfo::Description] = "a\r\nb";
    const QString record = WriteModInfoFile(info);
    UpdateLibrary::ArchiveHandle h =
        UpdateLibrary::MpqOpenArchiveForUpdate(mod, UpdateLibrary::kOpenCreate, UpdateLibrary::kMaxFiles);
    QVERIFY(h);
    UpdateLibrary::MpqAddFileToArcive(h, record, "(modinfo)", UpdateLibrary::kAddNew);
    const QStringList sources = fixtures::allFiles();
    for (const QString& file : sources)
      UpdateLibrary::MpqAddFileToArcive(h, file, fixtures::internalName(file), UpdateLibrary::kAddNew);
    UpdateLibrary::MpqCloseUpdatedArchive(h, 0);
    UnloadUpdateLibrary();
    files::DeleteFile(record);

    LineList names;
    QVERIFY(ReadEntryLines(mod, "(listfile)", names));
    QVERIFY(names.contains("(modinfo)"));
    bool ok = false;
    const QByteArray stored = ReadBytes(mod, "(modinfo)", &ok);
    QVERIFY(ok);
    QCOMPARE(stored, EncodeModInfo(info));
    QByteArrayList unlisted;
    for (const QString& file : sources)
      if (!names.contains(fixtures::internalName(file))) unlisted << fixtures::internalName(file);
    QCOMPARE(unlisted, QByteArrayList());
    for (const QString& file : sources) {
      const QByteArray name = fixtures::internalName(file);
      const QByteArray bytes = fixtures::readAll(file);
      QCOMPARE(EntrySize(mod, name), qint32(bytes.size()));
      QVERIFY2(ReadBytes(mod, name, &ok) == bytes && ok, name.constData());
    }
  }
};

QTEST_GUILESS_MAIN(TestArchwritRoundTrip)
#include "test_archwrit_roundtrip.moc"

// What the program relies on from ARCHWRIT, read back through StormLib directly.
#include <StormLib.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "ArchiveProbe.h"
#include "Fixtures.h"
#include "archwrit.h"

using probe::Change;

class TestArchwritContract : public QObject, probe::Scratch {
  Q_OBJECT

 private slots:
  void identifiesItself() {
    QVERIFY(MpqInitialize() != 0);
    QCOMPARE(QByteArray(MpqGetVersionString()), QByteArray("ARCHWRIT 1.04"));
  }

  void fixturesRoundTripByteExact() {
    QF_REQUIRE_FIXTURES();
    const QString archive = path("round.QLM");
    QList<Change> changes = probe::fixtureChanges();
    changes.append({"(modinfo)", source("ModInfo.dat", QByteArray(40, '\0') + "abc")});
    QCOMPARE(probe::update(archive, 9, changes), 1);

    bool ok = false;
    const auto stored = probe::contents(archive, &ok);
    QVERIFY(ok);
    QCOMPARE(stored, probe::expectedContents(changes));  // names (listfile) and bytes
    QCOMPARE(probe::listfile(archive).size(), changes.size());
    QCOMPARE(probe::formatVersion(archive), 0);  // MPQ format version 1
    QVERIFY(!probe::hasEntry(archive, "(attributes)"));
    for (const Change& c : changes) {
      const quint32 flags = probe::entryFlags(archive, c.name);
      QVERIFY2((flags & MPQ_FILE_COMPRESS) && (flags & MPQ_FILE_ENCRYPTED), c.name.constData());
      QVERIFY(!(flags & MPQ_FILE_IMPLODE));
    }
  }

  void addFlagsChooseHowBytesAreStored() {
    const QString archive = path("flags.QLM");
    const QString src = source("plain.txt", QByteArray(9000, 'x'));
    QCOMPARE(probe::update(archive, 9, {{"raw", src}}, 0), 1);
    QCOMPARE(probe::update(archive, 5, {{"packed", src}}, 0x200), 1);
    QCOMPARE(probe::entryFlags(archive, "raw") & (MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED), 0u);
    QCOMPARE(probe::entryFlags(archive, "packed") & (MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED),
             quint32(MPQ_FILE_COMPRESS));
    QCOMPARE(probe::contents(archive).value("raw"), QByteArray(9000, 'x'));
    QCOMPARE(probe::contents(archive).value("packed"), QByteArray(9000, 'x'));
  }

  void addingAnExistingNameReplacesItWithOrWithoutTheBit() {
    const QString archive = path("replace.QLM");
    QCOMPARE(probe::update(archive, 9, {{"data\\a.txt", source("v1", "one")}}), 1);
    // The second Update of a session passes 0x10200 for names its first Update wrote.
    QCOMPARE(probe::update(archive, 5, {{"data\\a.txt", source("v2", "two")}}, 0x10200), 1);
    QCOMPARE(probe::contents(archive).value("data\\a.txt"), QByteArray("two"));
    QCOMPARE(probe::update(archive, 5, {{"data\\a.txt", source("v3", "three")}}, 0x10201), 1);
    QCOMPARE(probe::contents(archive), (QMap<QByteArray, QByteArray>{{"data\\a.txt", "three"}}));
    // A different spelling replaces the same entry, and the listfile takes the new spelling.
    QCOMPARE(probe::update(archive, 5, {{"DATA\\A.TXT", source("v4", "four")}}, 0x10201), 1);
    QCOMPARE(probe::contents(archive), (QMap<QByteArray, QByteArray>{{"DATA\\A.TXT", "four"}}));
  }

  void deleteRemovesEntryAndListing() {
    const QString archive = path("delete.QLM");
    QCOMPARE(probe::update(archive, 9, {{"keep", source("k", "k")}, {"gone", source("g", "g")}}), 1);
    QList<int> results;
    QCOMPARE(probe::update(archive, 5, {{"gone", {}}}, 0x10200, &results), 1);
    QCOMPARE(results, QList<int>{1});
    QVERIFY(!probe::hasEntry(archive, "gone"));
    QCOMPARE(probe::listfile(archive), QByteArrayList{"keep"});

    // Deleting what is not there fails and leaves the file byte for byte as it was.
    const QByteArray before = fixtures::readAll(archive);
    results.clear();
    QCOMPARE(probe::update(archive, 5, {{"gone", {}}, {"(listfile)", {}}}, 0x10200, &results), 1);
    QCOMPARE(results, (QList<int>{0, 0}));
    QCOMPARE(fixtures::readAll(archive), before);
  }

  void sourcesThatCannotBeReadAreRefusedAlone() {
    const QString archive = path("sources.QLM");
    QList<int> results;
    const QList<Change> changes = {{"empty", source("empty", {})},
                                   {"missing", path("no-such-file")},
                                   {"folder", scratchFolder()},
                                   {"(listfile)", source("lf", "x")},
                                   {"ok", source("ok", "fine")}};
    QCOMPARE(probe::update(archive, 9, changes, 0x10200, &results), 1);
    QCOMPARE(results, (QList<int>{1, 0, 0, 0, 1}));
    QCOMPARE(probe::contents(archive), (QMap<QByteArray, QByteArray>{{"empty", ""}, {"ok", "fine"}}));
  }

  void namesKeepEveryByte() {
    const QString archive = path("names.QLM");
    const QString src = source("n", "n");
    QList<Change> changes;
    QByteArray all;
    for (int b = 1; b < 256; ++b) {
      if (b == '\r' || b == '\n') continue;  // the listfile's line ends
      all += char(b);
      // Separators ('/' looks up as '\\') and lower case (looks up as upper) would name the same entry twice.
      if (b == '\\' || b == '/' || (b >= 'a' && b <= 'z')) continue;
      changes.append({QByteArray("data\\n") + char(b) + ".txt", src});
    }
    changes.append({"data\\" + all, src});
    QList<int> results;
    QCOMPARE(probe::update(archive, 9, changes, 0x10200, &results), 1);
    QVERIFY(!results.contains(0));
    QCOMPARE(probe::contents(archive), probe::expectedContents(changes));
    // A line end in a name could not be listed: refused.
    QCOMPARE(probe::update(archive, 5, {{"bad\r\nname", src}}, 0x10200, &results), 1);
    QCOMPARE(results.last(), 0);
  }

  void growsPastEveryTableSize() {
    const QString archive = path("many.QLM");
    QList<Change> changes;
    for (int i = 0; i < 5000; ++i)
      changes.append({QByteArray("data\\many\\f") + QByteArray::number(i) + ".txt",
                      source("s" + QString::number(i % 7), QByteArray::number(i % 7))});
    QList<int> results;
    QCOMPARE(probe::update(archive, 9, changes, 0x10200, &results), 1);
    QCOMPARE(results.count(1), 5000);
    QCOMPARE(probe::contents(archive), probe::expectedContents(changes));
  }

  void refusesWhatItCannotOpenAndTouchesNothing() {
    const QString text = source("notes.txt", "not an archive");
    const QString folder = path("folder.QLM");
    QDir().mkdir(folder);
    QVERIFY(!MpqOpenArchiveForUpdate(QFile::encodeName(text).constData(), 5, 1000));
    QVERIFY(!MpqOpenArchiveForUpdate(QFile::encodeName(text).constData(), 9, 1000));  // no clobbering
    QVERIFY(!MpqOpenArchiveForUpdate(QFile::encodeName(folder).constData(), 5, 1000));
    QVERIFY(!MpqOpenArchiveForUpdate(QFile::encodeName(path("none.QLM")).constData(), 5, 1000));
    QVERIFY(!MpqOpenArchiveForUpdate("", 9, 1000));
    QCOMPARE(fixtures::readAll(text), QByteArray("not an archive"));
    QVERIFY(!QFile::exists(path("none.QLM")));
    QCOMPARE(probe::folderEntries(scratchFolder()).filter("QLM.").size(), 0);  // no stray shadow
    // Handles it did not hand out, or already closed, are refused.
    QCOMPARE(MpqCloseUpdatedArchive(nullptr, 0), 0);
    MPQHANDLE h = MpqOpenArchiveForUpdate(QFile::encodeName(path("once.QLM")).constData(), 9, 1000);
    QVERIFY(h);
    QCOMPARE(MpqCloseUpdatedArchive(h, 0), 1);
    QCOMPARE(MpqCloseUpdatedArchive(h, 0), 0);
    QCOMPARE(MpqDeleteFile(h, "x"), 0);
  }

  void changesAreInvisibleUntilClose() {
    const QString archive = path("shadow.QLM");
    QCOMPARE(probe::update(archive, 9, {{"a", source("a", "a")}}), 1);
    const QByteArray before = fixtures::readAll(archive);
    MPQHANDLE h = MpqOpenArchiveForUpdate(QFile::encodeName(archive).constData(), 5, 1000);
    QVERIFY(h);
    QVERIFY(
        !MpqOpenArchiveForUpdate(QFile::encodeName(archive).constData(), 5, 1000));  // one update at a time
    QCOMPARE(MpqAddFileToArcive(h, QFile::encodeName(source("b", "b")).constData(), "b", 0x10200), 1);
    // Appended past the end at most, where the header does not point.
    QVERIFY(fixtures::readAll(archive).startsWith(before));
    QCOMPARE(probe::contents(archive), (QMap<QByteArray, QByteArray>{{"a", "a"}}));
    QCOMPARE(MpqCloseUpdatedArchive(h, 0), 1);
    QCOMPARE(probe::contents(archive), (QMap<QByteArray, QByteArray>{{"a", "a"}, {"b", "b"}}));

    // A new archive does not exist until it is complete.
    const QString fresh = path("fresh.QLM");
    h = MpqOpenArchiveForUpdate(QFile::encodeName(fresh).constData(), 9, 1000);
    QVERIFY(h);
    QVERIFY(!QFile::exists(fresh));
    QCOMPARE(MpqCloseUpdatedArchive(h, 0), 1);
    QVERIFY(QFile::exists(fresh));
  }

  void archiveWithoutListfile() {
    // Made by another tool without "(listfile)": its entries have no known names.
    const QString archive = path("nolist.mpq");
    SFILE_CREATE_MPQ create = {};
    create.cbSize = sizeof create;
    create.dwMpqVersion = MPQ_FORMAT_VERSION_1;
    create.dwSectorSize = 4096;
    create.dwMaxFileCount = 16;
    HANDLE mpq = nullptr;
    QVERIFY(SFileCreateArchive2(QFile::encodeName(archive).constData(), &create, &mpq));
    QVERIFY(
        SFileAddFileEx(mpq, QFile::encodeName(source("u", "unnamed")).constData(), "hidden.txt", 0, 0, 0));
    QVERIFY(SFileCloseArchive(mpq));
    const QByteArray before = fixtures::readAll(archive);

    // Names added could not be listed: refused when the listfile is asked for.
    QCOMPARE(probe::update(archive, 5, {{"a", source("a", "a")}}), -1);
    QCOMPARE(fixtures::readAll(archive), before);
    // Without that bit the update goes through; replacing twice leaves waste that
    // cannot be compacted away (the hidden entry's name is unknown), yet it commits.
    QCOMPARE(probe::update(archive, 4, {{"a", source("a1", "first")}, {"a", source("a2", "second")}}), 1);
    QCOMPARE(probe::entryCount(archive), 2);
    QVERIFY(probe::hasEntry(archive, "hidden.txt"));
    QVERIFY(probe::hasEntry(archive, "a"));
  }
};

QTEST_GUILESS_MAIN(TestArchwritContract)
#include "test_archwrit_contract.moc"

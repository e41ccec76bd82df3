// What a commit does when the archive or the system is not as it likes:
// entries that packing cannot move, a sync that fails, a file that belongs
// to someone else or has other hard links. Read back through StormLib; the
// syncs and kernel copies ARCHWRIT makes are seen through FileCallHooks.
#include <StormLib.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QtTest>
#include <algorithm>

#include "ArchiveProbe.h"
#include "FileCallHooks.h"
#include "Fixtures.h"
#include "MpqImage.h"
#include "archwrit.h"

using probe::Change;
using Contents = QMap<QByteArray, QByteArray>;

namespace {

const QByteArray kHidden = "data\\hidden\\unlisted.txt";

struct stat statOf(const QString& file) {
  struct stat st {};
  ::stat(QFile::encodeName(file).constData(), &st);
  return st;
}

// One entry read by its name through StormLib; "<missing>" when it cannot be read.
QByteArray readEntry(const QString& archive, const QByteArray& name) {
  HANDLE mpq = nullptr, file = nullptr;
  QByteArray bytes = "<missing>";
  if (!SFileOpenArchive(QFile::encodeName(archive).constData(), 0, STREAM_FLAG_READ_ONLY, &mpq)) return bytes;
  if (SFileOpenFileEx(mpq, name.constData(), SFILE_OPEN_FROM_MPQ, &file)) {
    QByteArray read(qsizetype(SFileGetFileSize(file, nullptr)), '\0');
    DWORD got = 0;
    if (read.isEmpty() ||
        (SFileReadFile(file, read.data(), DWORD(read.size()), &got, nullptr) && got == DWORD(read.size())))
      bytes = read;
    SFileCloseFile(file);
  }
  SFileCloseArchive(mpq);
  return bytes;
}

quint32 storedSize(const QString& archive, const QByteArray& name) {
  HANDLE mpq = nullptr, file = nullptr;
  DWORD stored = 0;
  if (SFileOpenArchive(QFile::encodeName(archive).constData(), 0, STREAM_FLAG_READ_ONLY, &mpq)) {
    if (SFileOpenFileEx(mpq, name.constData(), SFILE_OPEN_FROM_MPQ, &file)) {
      SFileGetFileInfo(file, SFileInfoCompressedSize, &stored, sizeof stored, nullptr);
      SFileCloseFile(file);
    }
    SFileCloseArchive(mpq);
  }
  return stored;
}

// Runs one update as the given user and groups in a child process; its close result, -1 when the open failed.
int updateAs(uid_t uid, gid_t gid, const QList<gid_t>& groups, const QString& archive,
             const QList<Change>& changes) {
  const pid_t child = ::fork();
  if (child == 0) {
    const std::vector<gid_t> list(groups.begin(), groups.end());
    if (::setgroups(list.size(), list.data()) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(99);
    ::_exit(probe::update(archive, 5, changes, 0x10201) + 1);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) - 1 : 98;
}

}  // namespace

class TestArchwritFaults : public QObject, probe::Scratch {
  Q_OBJECT

  // The fixtures, built by StormLib with PKWARE DCL, one sheet among them
  // encrypted with a key that depends on its place and left out of the
  // "(listfile)" written for the others: no update can learn its name.
  void buildWithUnlistedEntry(const QString& archive) {
    SFILE_CREATE_MPQ create = {};
    create.cbSize = sizeof create;
    create.dwMpqVersion = MPQ_FORMAT_VERSION_1;
    create.dwSectorSize = 4096;
    create.dwMaxFileCount = 256;
    HANDLE handle = nullptr;
    QVERIFY(SFileCreateArchive2(QFile::encodeName(archive).constData(), &create, &handle));
    const QList<Change> all = probe::fixtureChanges();
    QByteArray listing;
    auto add = [handle](const QString& source, const QByteArray& name, DWORD flags) {
      return SFileAddFileEx(handle, QFile::encodeName(source).constData(), name.constData(),
                            MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED | flags, MPQ_COMPRESSION_PKWARE,
                            MPQ_COMPRESSION_NEXT_SAME);
    };
    for (qsizetype i = 0; i < all.size(); ++i) {
      // Halfway through, so that entries lie on both sides of it.
      if (i == all.size() / 2)
        QVERIFY(add(fixtures::modDir() + "/data/global/excel/skills.txt", kHidden, MPQ_FILE_FIX_KEY));
      QVERIFY(add(all[i].source, all[i].name, 0));
      listing += all[i].name + "\r\n";
    }
    // The archive library writes no "(listfile)" of its own here and takes
    // none under that name: the listing goes in unencrypted under another
    // name, and its hash table entry is renamed afterwards.
    QVERIFY(SFileAddFileEx(handle, QFile::encodeName(source("listing", listing)).constData(), "listing",
                           MPQ_FILE_COMPRESS, MPQ_COMPRESSION_PKWARE, MPQ_COMPRESSION_NEXT_SAME));
    QVERIFY(SFileCloseArchive(handle));
    mpq::Image image = mpq::Image::Load(archive);
    QVERIFY(image.Rename("listing", "(listfile)"));
    QVERIFY(image.Save(archive));
  }

 private slots:
  void init() {
    QF_REQUIRE_FIXTURES();
    hooks::failSync(0);
  }

  // An entry packing cannot move stays where it is; the others are packed
  // around it. No update pays for a copy it throws away, and the file stays
  // within reach of what its entries need however many updates come.
  void unmovableEntryKeepsGrowthBounded() {
    const QString archive = path("unlisted.QLM");
    buildWithUnlistedEntry(archive);
    if (QTest::currentTestFailed()) return;
    QVERIFY(!probe::listfile(archive).contains(kHidden));
    QVERIFY(probe::entryFlags(archive, kHidden) & MPQ_FILE_FIX_KEY);
    const QByteArray hidden = fixtures::readAll(fixtures::modDir() + "/data/global/excel/skills.txt");
    QCOMPARE(readEntry(archive, kHidden), hidden);
    const qint64 unmovable = storedSize(archive, kHidden);
    QVERIFY(unmovable > 0);

    const QByteArray name = "data\\global\\excel\\misc.txt";
    const QByteArray sheet = fixtures::readAll(fixtures::modDir() + "/data/global/excel/misc.txt");
    Contents expected = probe::contents(archive);
    int packs = 0;
    for (int i = 0; i < 40; ++i) {
      const qint64 sizeBefore = QFileInfo(archive).size();
      const ino_t inodeBefore = statOf(archive).st_ino;
      const QString edited = source("edit" + QString::number(i), sheet + "edit\t" + QByteArray::number(i));
      hooks::resetCopied();
      QCOMPARE(probe::update(archive, 5, {{name, edited}}, 0x10201), 1);
      const long long copied = hooks::copiedBytes();
      const bool packed = statOf(archive).st_ino != inodeBefore;
      const qint64 size = QFileInfo(archive).size(), used = probe::usedBytes(archive);
      const QString at =
          QString("update %1: %2 bytes, %3 used, %4 copied").arg(i).arg(size).arg(used).arg(copied);
      // Appending copies nothing; packing copies the archive once.
      QVERIFY2(packed ? copied > 0 && copied <= sizeBefore + sheet.size() + 64 : copied == 0, qPrintable(at));
      QVERIFY2(size * 3 <= used * 4 + unmovable * 3, qPrintable(at));
      packs += packed;
      expected.insert(name, fixtures::readAll(edited));
      QCOMPARE(probe::contents(archive), expected);
      QCOMPARE(readEntry(archive, kHidden), hidden);
    }
    qInfo("40 updates, %d of them packed", packs);
    QVERIFY(packs > 0);
    QVERIFY(probe::entryFlags(archive, kHidden) & MPQ_FILE_FIX_KEY);

    // With a second link the archive is packed inside its own file, around the entry that stays.
    const QString hard = path("hard.QLM");
    QVERIFY(::link(QFile::encodeName(archive).constData(), QFile::encodeName(hard).constData()) == 0);
    const ino_t inode = statOf(archive).st_ino;
    int shrunk = 0;
    for (int i = 0; i < 15; ++i) {
      const qint64 sizeBefore = QFileInfo(archive).size();
      const QString edited = source("more" + QString::number(i), sheet + "more\t" + QByteArray::number(i));
      QCOMPARE(probe::update(archive, 5, {{name, edited}}, 0x10201), 1);
      expected.insert(name, fixtures::readAll(edited));
      shrunk += QFileInfo(archive).size() < sizeBefore;
      QVERIFY(QFileInfo(archive).size() * 3 <= probe::usedBytes(archive) * 4 + unmovable * 3);
    }
    QVERIFY(shrunk > 0);
    QCOMPARE(statOf(archive).st_ino, inode);
    QCOMPARE(probe::contents(hard), expected);
    QCOMPARE(readEntry(hard, kHidden), hidden);
  }

  // Once the header is written the archive is the new one: a failing sync
  // after it is a warning on stderr, not a failed update. A failing sync
  // before it leaves the archive as it was.
  void syncFailuresAroundTheHeader() {
    // A small change to a larger archive: appended, with a sync before the header and one after.
    const QString archive = path("sync.QLM");
    QCOMPARE(probe::update(archive, 9, probe::fixtureChanges()), 1);
    const QByteArray before = fixtures::readAll(archive);
    const Contents old = probe::contents(archive);
    const QString changed = source("a2", "changed");
    const QByteArray a = "data\\global\\excel\\Arena.txt";

    // The first sync (everything appended) fails: nothing is committed.
    MPQHANDLE h = MpqOpenArchiveForUpdate(QFile::encodeName(archive).constData(), 5, 1000);
    QVERIFY(h);
    QCOMPARE(MpqAddFileToArcive(h, QFile::encodeName(changed).constData(), a, 0x10201), 1);
    hooks::failSync(1);
    QCOMPARE(MpqCloseUpdatedArchive(h, 0), 0);
    QCOMPARE(fixtures::readAll(archive), before);

    // The second (the header) fails: committed, and said so on stderr.
    h = MpqOpenArchiveForUpdate(QFile::encodeName(archive).constData(), 5, 1000);
    QVERIFY(h);
    QCOMPARE(MpqAddFileToArcive(h, QFile::encodeName(changed).constData(), a, 0x10201), 1);
    const QString log = path("stderr.txt");
    const int saved = ::dup(2);
    const int logFd = ::open(QFile::encodeName(log).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY(saved >= 0 && logFd >= 0);
    ::dup2(logFd, 2);
    ::close(logFd);
    hooks::failSync(2);
    const int closed = MpqCloseUpdatedArchive(h, 0);
    ::dup2(saved, 2);
    ::close(saved);
    QCOMPARE(closed, 1);
    Contents now = old;
    now.insert(a, "changed");
    QCOMPARE(probe::contents(archive), now);
    QCOMPARE(fixtures::readAll(archive).mid(32, before.size() - 32), before.mid(32));  // appended
    QVERIFY2(fixtures::readAll(log).contains(QFile::encodeName(archive)), fixtures::readAll(log).constData());
  }

  // Format 1 positions are 32 bits. An archive just under 4 GiB (sparse: two
  // entries of zeros) that an update pushes past it must be packed, and the
  // packed entries end just below 4 GiB: its tables would cross. The update
  // fails and the archive is left as it was, rather than getting tables
  // whose positions were cut to 32 bits.
  void tablesPastFourGiBAreNotWritten() {
    // More than the old tables and listing that packing wins back, so that the archive itself fits.
    constexpr int kAdded = 20000;
    const QString added = source("added", QByteArray(kAdded, 'n')), one = source("one", "z");
    // The listing the update would write, to learn its stored size.
    const QString reference = path("reference.QLM");
    QCOMPARE(probe::update(reference, 9, {{"a.txt", added}, {"big1.bin", one}, {"big2.bin", one}}, 0), 1);
    const quint32 listing = storedSize(reference, "(listfile)");
    QVERIFY(listing > 0);
    // The packed entries end 100 bytes short of 4 GiB; the hash table (16 KiB) after them would cross it.
    // Two entries of zeros make up the bulk: no entry may be 2 GiB or more.
    const quint64 big = quint64(UINT32_MAX) - 100 - 32 - kAdded - listing;
    const quint32 firstSize = quint32(big / 2);

    // A small archive holding the two, whose entries and tables are then spread out over 4 GiB.
    const QString small = path("small.QLM");
    QCOMPARE(probe::update(small, 9, {{"big1.bin", one}, {"big2.bin", one}}, 0), 1);
    mpq::Image image = mpq::Image::Load(small);
    const int first = image.BlockOf("big1.bin"), second = image.BlockOf("big2.bin");
    const int listBlock = image.BlockOf("(listfile)");
    QVERIFY(first >= 0 && second >= 0 && listBlock >= 0);
    const mpq::Block list = image.GetBlock(listBlock);
    mpq::Block entry = image.GetBlock(first);
    entry.offset = 32;
    entry.storedSize = entry.size = firstSize;
    image.SetBlock(first, entry);
    entry.offset = 32 + firstSize;
    entry.storedSize = entry.size = quint32(big - firstSize);
    image.SetBlock(second, entry);
    const quint64 listAt = 32 + big, hashAt = listAt + list.storedSize;
    const quint32 hashBytes = image.Header32(24) * 16, blockBytes = image.Header32(28) * 16;
    const quint64 blockAt = hashAt + hashBytes;
    QVERIFY(blockAt + blockBytes <= UINT32_MAX);
    const QByteArray listBytes = image.bytes().mid(list.offset, list.storedSize);
    const QByteArray hashTable = image.bytes().mid(image.Header32(16), hashBytes);
    mpq::Block moved = list;
    moved.offset = quint32(listAt);
    image.SetBlock(listBlock, moved);
    const QByteArray movedBlockTable = image.bytes().mid(image.Header32(20), blockBytes);
    image.SetHeader32(8, quint32(blockAt + blockBytes));
    image.SetHeader32(16, quint32(hashAt));
    image.SetHeader32(20, quint32(blockAt));
    const QString archive = path("huge.QLM");
    const QByteArray header = image.bytes().left(32), tail = listBytes + hashTable + movedBlockTable;
    {
      QFile file(archive);
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(header) == 32);
      QVERIFY(file.seek(listAt) && file.write(tail) == tail.size());
    }
    QCOMPARE(probe::listfile(archive), (QByteArrayList{"big1.bin", "big2.bin"}));
    QVERIFY(probe::hasEntry(archive, "big1.bin") && probe::hasEntry(archive, "big2.bin"));

    const int closed = probe::update(archive, 5, {{"a.txt", added}}, 0);
    // Untouched: the header, and everything from the listing on (not the 4 GiB of zeros).
    QFile after(archive);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.size(), qint64(blockAt) + blockBytes);
    QCOMPARE(after.read(32), header);
    QVERIFY(after.seek(listAt));
    QCOMPARE(after.readAll(), tail);
    QCOMPARE(closed, 0);
    QCOMPARE(probe::listfile(archive), (QByteArrayList{"big1.bin", "big2.bin"}));
    QCOMPARE(probe::folderEntries(scratchFolder()).filter("huge"), QStringList{"huge.QLM"});
  }

  // A packed archive goes on belonging to whom it belonged to. A new file
  // in its place is given its owner and group, or its group alone when the
  // updater may not give the owner; when not even the group can be kept, or
  // the file has other hard links, it is packed inside its own file. Run as
  // ordinary users.
  void packingKeepsWhatTheFileIs_data() {
    QTest::addColumn<uint>("owner");
    QTest::addColumn<uint>("group");
    QTest::addColumn<uint>("mode");
    QTest::addColumn<bool>("updaterInGroup");
    QTest::addColumn<bool>("hardLink");
    QTest::addColumn<bool>("newFile");
    QTest::addColumn<uint>("ownerAfter");
    // alice (4001) and bob (4002, the updater); modders (4100).
    QTest::newRow("group kept, owner cannot be") << 4001u << 4100u << 0664u << true << false << true << 4002u;
    QTest::newRow("neither can be kept") << 4001u << 4100u << 0666u << false << false << false << 4001u;
    QTest::newRow("own file with another link") << 4002u << 4002u << 0644u << false << true << false << 4002u;
    QTest::newRow("own file") << 4002u << 4002u << 0640u << false << false << true << 4002u;
  }
  void packingKeepsWhatTheFileIs() {
    QFETCH(uint, owner);
    QFETCH(uint, group);
    QFETCH(uint, mode);
    QFETCH(bool, updaterInGroup);
    QFETCH(bool, hardLink);
    QFETCH(bool, newFile);
    QFETCH(uint, ownerAfter);
    if (::geteuid() != 0) QSKIP("needs root, to hand the archive to other users");
    const QString folder = path(QString("shared%1").arg(QTest::currentDataTag()).remove(' ').remove(','));
    QVERIFY(QDir().mkpath(folder));
    const QString archive = folder + "/mod.QLM", link = path(QString("link%1.QLM").arg(owner + mode));
    QCOMPARE(probe::update(archive, 9, probe::fixtureChanges()), 1);
    QVERIFY(::chmod(QFile::encodeName(scratchFolder()).constData(), 0755) == 0);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0777) == 0);
    QVERIFY(::chown(QFile::encodeName(archive).constData(), owner, group) == 0);
    QVERIFY(::chmod(QFile::encodeName(archive).constData(), mode) == 0);
    if (hardLink)
      QVERIFY(::link(QFile::encodeName(archive).constData(), QFile::encodeName(link).constData()) == 0);
    const ino_t inodeBefore = statOf(archive).st_ino;
    const qint64 sizeBefore = QFileInfo(archive).size();

    // Removing the sheets leaves more than a quarter unused: the archive is packed either way.
    QList<Change> removals;
    for (const Change& c : probe::fixtureChanges())
      if (c.name.contains("excel\\") && !c.name.endsWith("Arena.txt")) removals.append({c.name, {}});
    const QList<gid_t> groups = updaterInGroup ? QList<gid_t>{4002, 4100} : QList<gid_t>{4002};
    QCOMPARE(updateAs(4002, 4002, groups, archive, removals), 1);

    bool ok = false;
    const Contents after =
        probe::expectedContents(removals, probe::expectedContents(probe::fixtureChanges()));
    QCOMPARE(probe::contents(archive, &ok), after);
    QVERIFY(ok);
    QCOMPARE(QFileInfo(archive).size(), probe::usedBytes(archive));
    QVERIFY(QFileInfo(archive).size() < sizeBefore);
    const struct stat st = statOf(archive);
    QCOMPARE(st.st_ino != inodeBefore, newFile);
    QCOMPARE(uint(st.st_uid), ownerAfter);
    QCOMPARE(uint(st.st_gid), group);
    QCOMPARE(uint(st.st_mode & 07777), mode);
    if (hardLink) QCOMPARE(probe::contents(link), after);
    QCOMPARE(probe::folderEntries(folder), QStringList{"mod.QLM"});
  }
};

QTEST_GUILESS_MAIN(TestArchwritFaults)
#include "test_archwrit_faults.moc"

// Archives downloaded from anywhere, read through the archive reader and
// opened in the main window: headers and tables that lie about where they
// are, entries whose stored bytes cannot be in the file, listings of 100,000
// lines or of binary junk, hostile records and hostile internal names. None
// may crash the program or read outside the file; refused archives and
// entries read as missing, and the files on disk are never changed.
#include <StormLib.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "Fixtures.h"
#include "MpqImage.h"
#include "Workspace.h"
#include "archive/ArchiveReader.h"
#include "archive/ModInfo.h"
#include "cli/CommandLine.h"
#include "forms/widgets/AnsiLineEdit.h"

using Entries = QList<QPair<QByteArray, QByteArray>>;
using Mutation = std::function<void(mpq::Image&)>;
Q_DECLARE_METATYPE(Mutation)

namespace {

constexpr DWORD kCompressed = MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED;

// A format 1 archive written by the archive library itself, holding exactly
// these entries. The library keeps "(listfile)" to itself, so one given here
// is stored under another name, unencrypted, and renamed in the file.
bool Build(const QString& path, const Entries& entries, DWORD flags = kCompressed,
           DWORD compression = MPQ_COMPRESSION_PKWARE) {
  const QByteArray kListing = "(listfile)", kStandIn = "qf-listing-stand-in";
  QFile::remove(path);
  HANDLE mpq = nullptr;
  if (!SFileCreateArchive(QFile::encodeName(path).constData(), MPQ_CREATE_ARCHIVE_V1, 64, &mpq)) return false;
  bool ok = true, listed = false;
  for (const auto& [given, bytes] : entries) {
    const bool listing = given == kListing;
    listed |= listing;
    const QByteArray name = listing ? kStandIn : given;
    HANDLE file = nullptr;
    ok = ok && SFileCreateFile(mpq, name.constData(), 0, DWORD(bytes.size()), 0,
                               listing ? MPQ_FILE_COMPRESS : flags, &file);
    if (!file) continue;
    if (!bytes.isEmpty())
      ok = SFileWriteFile(file, bytes.constData(), DWORD(bytes.size()), compression) && ok;
    ok = SFileFinishFile(file) && ok;
  }
  ok = SFileCloseArchive(mpq) && ok;
  if (!ok || !listed) return ok;
  mpq::Image image = mpq::Image::Load(path);
  return image.Rename(kStandIn, kListing) && image.Save(path);
}

QByteArray Random(int size, quint32 seed) {
  QRandomGenerator random(seed);
  QByteArray bytes(size, Qt::Uninitialized);
  for (char& c : bytes) c = char(random.bounded(256));
  return bytes;
}

// 20,000 bytes of text, which every compression shrinks: five 4,096-byte
// sectors, each stored compressed.
QByteArray Text() {
  QByteArray text;
  for (int i = 0; text.size() < 20000; ++i)
    text += "line " + QByteArray::number(i * 7919 % 1000) + "\tvalue\r\n";
  text.truncate(20000);
  return text;
}

QByteArray Record(std::initializer_list<qint32> lengths, const QByteArray& tail) {
  QByteArray record(ModInfoHeader::kSize, '\0');
  int i = 0;
  for (qint32 n : lengths) qToLittleEndian<qint32>(n, record.data() + 4 * i++);
  return record + tail;
}

QByteArray EntryBytes(const QString& archive, const QByteArray& name, bool* read = nullptr) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  const bool ok = ReadEntryToStream(archive, name, buffer);
  if (read) *read = ok;
  return buffer.data();
}

const QByteArray kSheet = "data\\a.txt";
const QByteArray kBinary = "data\\b.bin";

}  // namespace

class TestHostileArchives : public QObject {
  Q_OBJECT

  QTemporaryDir scratch_;
  QString good_;  // the well-formed archive every crafted one starts from
  QByteArray sheet_ = "a\tb\r\n1\t2\r\n";
  QByteArray binary_ = Random(20000, 7);

  QString Path(const QString& name) const { return scratch_.filePath(name); }

  // The reader finds nothing in the archive, changes nothing passed to it and
  // leaves the file as it was.
  void VerifyRefusedWhole(const QString& path) {
    const QByteArray before = fixtures::readAll(path);
    LineList lines{"kept"};
    QVERIFY(!ReadEntryLines(path, "(listfile)", lines));
    QCOMPARE(lines, LineList{"kept"});
    for (const QByteArray& name : {kSheet, kBinary, QByteArray("(modinfo)")}) {
      QCOMPARE(EntrySize(path, name), 0);
      bool read = true;
      QCOMPARE(EntryBytes(path, name, &read), QByteArray());
      QVERIFY(!read);
    }
    QCOMPARE(fixtures::readAll(path), before);
  }

 private slots:
  void initTestCase() {
    good_ = Path(QStringLiteral("good.QLM"));
    QVERIFY(Build(good_, {{"(listfile)", kSheet + "\r\n" + kBinary + "\r\n"},
                          {kSheet, sheet_},
                          {kBinary, binary_},
                          {"(modinfo)", EncodeModInfo(ModInfo{{"Title", "", "", "", "", "Line"}})}}));
    QCOMPARE(EntryBytes(good_, kBinary), binary_);
  }
  // Cases write their archives anew where the last one read its own: the
  // reader holds none over (Windows neither replaces nor deletes an open file).
  void cleanup() { ReleaseArchiveState(); }

  void malformedArchivesAreRefusedWhole_data() {
    QTest::addColumn<Mutation>("mutate");
    auto row = [](const char* name, Mutation m) { QTest::newRow(name) << m; };
    row("text file", [](mpq::Image& a) { a.bytes() = "just some text\r\nand more\r\n"; });
    row("empty file", [](mpq::Image& a) { a.bytes().clear(); });
    row("header only", [](mpq::Image& a) { a.bytes().truncate(32); });
    row("header cut short", [](mpq::Image& a) { a.bytes().truncate(20); });
    row("tables cut off", [](mpq::Image& a) { a.bytes().truncate(a.bytes().size() / 2); });
    row("header size below 32", [](mpq::Image& a) { a.SetHeader32(4, 16); });
    row("sector shift 16", [](mpq::Image& a) { a.SetHeader16(14, 16); });
    // From 23 on the library's sector size overflows to 0 and it divides by
    // it (SIGFPE) as soon as an entry is opened.
    row("sector shift 23", [](mpq::Image& a) { a.SetHeader16(14, 23); });
    row("sector shift 0xFFFF", [](mpq::Image& a) { a.SetHeader16(14, 0xFFFF); });
    row("hash table size not a power of two", [](mpq::Image& a) { a.SetHeader32(24, a.Header32(24) - 1); });
    row("hash table size 0", [](mpq::Image& a) { a.SetHeader32(24, 0); });
    row("hash table past the end", [](mpq::Image& a) { a.SetHeader32(16, quint32(a.bytes().size()) - 8); });
    row("hash table larger than the file", [](mpq::Image& a) { a.SetHeader32(24, 0x08000000); });
    row("hash table position wraps", [](mpq::Image& a) { a.SetHeader32(16, 0xFFFFFFF0); });
    row("block table larger than the file", [](mpq::Image& a) { a.SetHeader32(28, 0x0FFFFFFF); });
    row("block table position past the end",
        [](mpq::Image& a) { a.SetHeader32(20, quint32(a.bytes().size())); });
    row("user-data header first", [](mpq::Image& a) {
      QByteArray userData(512, '\0');
      qToLittleEndian<quint32>(0x1B51504D, userData.data());
      qToLittleEndian<quint32>(16, userData.data() + 4);
      qToLittleEndian<quint32>(512, userData.data() + 8);
      a.bytes().prepend(userData);
    });
  }
  void malformedArchivesAreRefusedWhole() {
    QFETCH(Mutation, mutate);
    mpq::Image image = mpq::Image::Load(good_);
    mutate(image);
    const QString path = Path(QStringLiteral("crafted.QLM"));
    QVERIFY(image.Save(path));
    VerifyRefusedWhole(path);
  }

  void harmlessVariantsStillRead_data() {
    QTest::addColumn<Mutation>("mutate");
    // The game's library reads every archive as format 1, and looks for the
    // header on every 512-byte boundary.
    QTest::newRow("header says format 2") << Mutation([](mpq::Image& a) { a.SetHeader16(12, 1); });
    QTest::newRow("header says format 4") << Mutation([](mpq::Image& a) { a.SetHeader16(12, 3); });
    QTest::newRow("512 bytes before the header")
        << Mutation([](mpq::Image& a) { a.bytes().prepend(512, 'x'); });
  }
  void harmlessVariantsStillRead() {
    QFETCH(Mutation, mutate);
    mpq::Image image = mpq::Image::Load(good_);
    mutate(image);
    const QString path = Path(QStringLiteral("variant.QLM"));
    QVERIFY(image.Save(path));
    LineList lines;
    QVERIFY(ReadEntryLines(path, "(listfile)", lines));
    QCOMPARE(lines, (LineList{kSheet, kBinary}));
    QCOMPARE(EntrySize(path, kBinary), qint32(binary_.size()));
    QCOMPARE(EntryBytes(path, kBinary), binary_);
  }

  void malformedEntriesReadAsMissing_data() {
    QTest::addColumn<Mutation>("mutate");
    auto row = [](const char* name, std::function<void(mpq::Block&, quint32 fileSize)> change) {
      QTest::newRow(name) << Mutation([change](mpq::Image& a) {
        const int index = a.BlockOf(kBinary);
        QVERIFY(index >= 0);
        mpq::Block block = a.GetBlock(index);
        change(block, quint32(a.bytes().size()));
        a.SetBlock(index, block);
      });
    };
    row("stored past the end", [](mpq::Block& b, quint32 size) { b.offset = size; });
    row("stored size past the end", [](mpq::Block& b, quint32 size) { b.storedSize = size; });
    row("size above 2 GiB", [](mpq::Block& b, quint32) { b.size = 0x80000001; });
    row("size 4 GiB less one", [](mpq::Block& b, quint32) { b.size = 0xFFFFFFFF; });
    row("sector table larger than stored", [](mpq::Block& b, quint32) { b.size = b.storedSize * 2048; });
    row("not compressed, larger than stored", [](mpq::Block& b, quint32) {
      b.flags &= ~quint32(MPQ_FILE_COMPRESS_MASK);
      b.size = b.storedSize + 1;
    });
    row("one piece, not compressed, stored larger than its size", [](mpq::Block& b, quint32) {
      b.flags = (b.flags & ~quint32(MPQ_FILE_COMPRESS_MASK)) | MPQ_FILE_SINGLE_UNIT;
      b.size = b.storedSize - 8;
    });
    row("patch data", [](mpq::Block& b, quint32) { b.flags |= MPQ_FILE_PATCH_FILE; });
    row("deletion marker", [](mpq::Block& b, quint32) { b.flags |= MPQ_FILE_DELETE_MARKER; });
    row("deleted", [](mpq::Block& b, quint32) { b.flags &= ~quint32(MPQ_FILE_EXISTS); });
  }
  void malformedEntriesReadAsMissing() {
    QFETCH(Mutation, mutate);
    mpq::Image image = mpq::Image::Load(good_);
    mutate(image);
    if (QTest::currentTestFailed()) return;
    const QString path = Path(QStringLiteral("entry.QLM"));
    QVERIFY(image.Save(path));
    QCOMPARE(EntrySize(path, kBinary), 0);
    bool read = true;
    QCOMPARE(EntryBytes(path, kBinary, &read), QByteArray());
    QVERIFY(!read);
    // The rest of the archive loses nothing.
    LineList lines;
    QVERIFY(ReadEntryLines(path, "(listfile)", lines));
    QCOMPARE(lines, (LineList{kSheet, kBinary}));
    QCOMPARE(EntryBytes(path, kSheet), sheet_);
  }

  // The sector offset table that leads a compressed entry: the library takes
  // its first word as the table's length and read past the buffer it had
  // allocated when that word was larger. Plain (unencrypted) entries, so the
  // words can be changed in place.
  void lyingSectorTablesFailTheRead_data() {
    QTest::addColumn<int>("word");
    QTest::addColumn<int>("delta");
    QTest::addColumn<bool>("checksums");
    // 20,000 bytes in 4,096-byte sectors: 5 sectors, 6 offsets (and one more
    // for where the checksums end).
    QTest::newRow("table longer than the sectors need") << 0 << 4 << false;
    QTest::newRow("table shorter than the sectors need") << 0 << -4 << false;
    QTest::newRow("offsets going backwards") << 2 << -4000 << false;
    QTest::newRow("sector longer than a sector") << 1 << -1000 << false;
    QTest::newRow("last sector past the stored bytes") << 5 << 1 << false;
    QTest::newRow("checksums longer than a word per sector") << 5 << -8 << true;
  }
  void lyingSectorTablesFailTheRead() {
    QFETCH(int, word);
    QFETCH(int, delta);
    QFETCH(bool, checksums);
    const QString path = Path(QStringLiteral("sectors.QLM"));
    QVERIFY(Build(path,
                  {{"(listfile)", kSheet + "\r\n" + kBinary + "\r\n"}, {kSheet, sheet_}, {kBinary, binary_}},
                  MPQ_FILE_COMPRESS | (checksums ? MPQ_FILE_SECTOR_CRC : 0)));
    QCOMPARE(EntryBytes(path, kBinary), binary_);
    mpq::Image image = mpq::Image::Load(path);
    const mpq::Block block = image.GetBlock(image.BlockOf(kBinary));
    char* table = image.bytes().data() + block.offset;
    QCOMPARE(qFromLittleEndian<quint32>(table), checksums ? 28u : 24u);  // found it
    char* at = table + 4 * word;
    qToLittleEndian<quint32>(quint32(qint64(qFromLittleEndian<quint32>(at)) + delta), at);
    QVERIFY(image.Save(path));

    // The size is the block table's (listing a mod reads no sector table);
    // the read that needs the table fails and delivers nothing.
    QCOMPARE(EntrySize(path, kBinary), qint32(binary_.size()));
    bool read = true;
    QCOMPARE(EntryBytes(path, kBinary, &read), QByteArray());
    QVERIFY(!read);
    QCOMPARE(EntryBytes(path, kSheet), sheet_);
  }

  void encryptedEntriesStillRead_data() {
    QTest::addColumn<quint32>("flags");
    QTest::addColumn<quint32>("compression");
    const quint32 encrypted = MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED;
    QTest::newRow("encrypted") << encrypted << quint32(MPQ_COMPRESSION_PKWARE);
    QTest::newRow("encrypted, key fixed to the offset")
        << (encrypted | MPQ_FILE_FIX_KEY) << quint32(MPQ_COMPRESSION_PKWARE);
    QTest::newRow("bzip2") << quint32(MPQ_FILE_COMPRESS) << quint32(MPQ_COMPRESSION_BZIP2);
    QTest::newRow("bzip2, encrypted") << encrypted << quint32(MPQ_COMPRESSION_BZIP2);
    QTest::newRow("bzip2, one unit, encrypted")
        << (encrypted | MPQ_FILE_SINGLE_UNIT) << quint32(MPQ_COMPRESSION_BZIP2);
    // Decoded once in a trial child first: must still read.
    QTest::newRow("huffman, encrypted") << encrypted << quint32(MPQ_COMPRESSION_HUFFMANN);
  }
  void encryptedEntriesStillRead() {
    // The checks decrypt sector tables and bzip2 sectors with the key the
    // entry's name gives: a wrong key would refuse every good entry.
    QFETCH(quint32, flags);
    QFETCH(quint32, compression);
    const QString path = Path(QStringLiteral("encrypted.QLM"));
    const QByteArray deep = "data\\global\\sub\\deep.bin";
    const QByteArray text = Text();
    QVERIFY(
        Build(path, {{"(listfile)", deep + "\r\n"}, {deep, binary_}, {kSheet, text}}, flags, compression));
    QCOMPARE(EntrySize(path, deep), qint32(binary_.size()));
    QCOMPARE(EntryBytes(path, deep), binary_);
    QCOMPARE(EntryBytes(path, kSheet), text);
  }

  // The library's bzip2 step loops until the stream ends: a sector whose
  // stream is cut short, or decodes to more than the sector holds, used to
  // hang the program for good.
  void endlessBzip2SectorsFailTheRead_data() {
    QTest::addColumn<quint32>("flags");
    QTest::addColumn<bool>("cutShort");
    const quint32 plain = MPQ_FILE_COMPRESS, encrypted = MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED;
    QTest::newRow("stream cut short") << plain << true;
    QTest::newRow("stream longer than its sector") << plain << false;
    QTest::newRow("encrypted, stream longer than its sector") << encrypted << false;
  }
  void endlessBzip2SectorsFailTheRead() {
    QFETCH(quint32, flags);
    QFETCH(bool, cutShort);
    const QString path = Path(QStringLiteral("bzip2.QLM"));
    const QByteArray text = Text();
    QVERIFY(Build(path,
                  {{"(listfile)", kSheet + "\r\n" + kBinary + "\r\n"}, {kSheet, sheet_}, {kBinary, text}},
                  flags, MPQ_COMPRESSION_BZIP2));
    QCOMPARE(EntryBytes(path, kBinary), text);
    mpq::Image image = mpq::Image::Load(path);
    const int index = image.BlockOf(kBinary);
    mpq::Block block = image.GetBlock(index);
    if (cutShort) {
      // The first sector ends 16 bytes early (the second then starts there).
      char* end = image.bytes().data() + block.offset + 4;
      qToLittleEndian<quint32>(qFromLittleEndian<quint32>(end) - 16, end);
    } else {
      // The last of five sectors says it holds 1,000 bytes; it decodes to more.
      QCOMPARE(block.size, quint32(text.size()));
      block.size = 4 * 4096 + 1000;
      image.SetBlock(index, block);
    }
    QVERIFY(image.Save(path));

    QCOMPARE(EntrySize(path, kBinary), qint32(block.size));
    bool read = true;
    QCOMPARE(EntryBytes(path, kBinary, &read), QByteArray());
    QVERIFY(!read);
    QCOMPARE(EntryBytes(path, kSheet), sheet_);
  }

  void hugeAndJunkListings_data() {
    QTest::addColumn<QByteArray>("listing");
    QByteArray many;
    for (int i = 0; i < 100000; ++i) many += "data\\global\\excel\\f" + QByteArray::number(i) + ".txt\r\n";
    QTest::newRow("100,000 lines") << many + kSheet;
    QByteArray junk = Random(65536, 11).replace('\0', '\x01');
    junk[60000] = '\0';
    QTest::newRow("binary junk") << junk;
  }
  void hugeAndJunkListings() {
    QFETCH(QByteArray, listing);
    const QString path = Path(QStringLiteral("listing.QLM"));
    QVERIFY(Build(path, {{"(listfile)", listing}, {kSheet, sheet_}}));
    LineList lines;
    QVERIFY(ReadEntryLines(path, "(listfile)", lines));
    QCOMPARE(lines, SplitLines(listing));
    for (qsizetype i = 0; i < lines.size(); i += qMax<qsizetype>(1, lines.size() / 500))
      QCOMPARE(EntrySize(path, lines[i]), lines[i] == kSheet ? qint32(sheet_.size()) : 0);

    // Open lists every line, the sheet with its size, and shows no message
    // but the one for the missing record.
    cmd::Workspace ws;
    ws.ui.AnswerMessage(ui::idOk);
    QElapsedTimer clock;
    clock.start();
    ws.Open(path);
    qInfo("opened a listing of %lld lines in %lld ms", qlonglong(lines.size()), qlonglong(clock.elapsed()));
    QCOMPARE(ws.w->Rows->Count(), int(lines.size()));
    QCOMPARE(ws.ui.messages.size(), 1);
    QCOMPARE(ws.ui.messages[0].text, QStringLiteral("Error reading mod information."));
    const int sheetRow = ws.RowOf(kSheet);
    if (listing.contains(kSheet))
      QCOMPARE(ws.SizeTexts().value(sheetRow), QStringLiteral("%1 Bytes").arg(sheet_.size()));
  }

  void hostileNamesReadBackExactly() {
    const QList<QByteArray> names = {QByteArray(300, 'a') + ".txt",   "..\\..\\escape.txt",
                                     "data\\..\\..\\..\\etc\\passwd", "C:\\windows\\x.dll",
                                     "\\\\server\\share\\x",          "caf\xE9\\\xFF\x80.bin"};
    Entries entries;
    QByteArray listing;
    for (const QByteArray& name : names) {
      entries.append({name, name + " bytes"});
      listing += name + "\r\n";
    }
    entries.append({"(listfile)", listing});
    const QString path = Path(QStringLiteral("names.QLM"));
    QVERIFY(Build(path, entries));
    for (const QByteArray& name : names) {
      QCOMPARE(EntrySize(path, name), qint32(name.size() + 6));
      QCOMPARE(EntryBytes(path, name), name + " bytes");
    }
    // A name holding a NUL would reach the library as a shorter one: it names nothing.
    QCOMPARE(EntrySize(path, QByteArray("..\\..\\escape.txt\0junk", 21)), 0);
  }

  void hostileNamesThroughTheWindow() {
    // Added under hostile names, written by Update through ARCHWRIT, listed
    // again by Open, and exported only where the user chose.
    cmd::Workspace ws;
    const QString mod = ws.path(QStringLiteral("out/names.QLM"));
    ws.New(mod);
    const QList<QByteArray> names = {QByteArray(255, 'n') + QByteArray(45, 'm'), "..\\..\\escape.txt",
                                     "data\\..\\..\\up.txt"};
    QStringList files;
    QList<std::optional<QByteArray>> answers;
    for (int i = 0; i < names.size(); ++i) {
      files << ws.path(QStringLiteral("in/%1.txt").arg(i));
      QVERIFY(fixtures::writeAll(files.last(), "content " + QByteArray::number(i)));
      answers << names[i];
    }
    ws.Add(files, answers);
    ws.Update();
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));
    ws.Open(mod);
    QList<QByteArray> listed = ws.Captions(), expected = names;
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(listed, expected);

    ws.w->SelectRow(ws.RowOf("..\\..\\escape.txt"));
    const QString target = ws.path(QStringLiteral("in/exported.txt"));
    ws.ui.ConfirmFileDialog({target});
    ws.w->btnExport->click();
    QCOMPARE(ws.ui.fileDialogs.last().dialog.FileName, QStringLiteral("escape.txt"));
    QCOMPARE(fixtures::readAll(target), QByteArray("content 1"));
    QVERIFY(!QFile::exists(ws.path(QStringLiteral("escape.txt"))));
    QVERIFY(!QFile::exists(ws.path(QStringLiteral("../escape.txt"))));
  }

  void nonArchivesOpenEmptyAndAreNeverWritten_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("text") << QByteArray("[Files]\r\nInput=C:\\\r\n");
    QTest::newRow("empty") << QByteArray();
    mpq::Image lying = mpq::Image::Load(good_);
    lying.SetHeader32(24, 0x08000000);
    QTest::newRow("hash table larger than the file") << lying.bytes();
  }
  void nonArchivesOpenEmptyAndAreNeverWritten() {
    QFETCH(QByteArray, bytes);
    cmd::Workspace ws;
    const QString path = ws.path(QStringLiteral("out/not-a-mod.QLM"));
    QVERIFY(fixtures::writeAll(path, bytes));
    ws.ui.AnswerMessage(ui::idOk);
    ws.ui.AnswerMessage(ui::idOk);
    ws.Open(path);
    QCOMPARE(ws.ui.messages.size(), 2);
    QCOMPARE(ws.ui.messages[0].text, QStringLiteral("Error reading archive listfile."));
    QCOMPARE(ws.ui.messages[1].text, QStringLiteral("Error reading mod information."));
    QCOMPARE(ws.w->Rows->Count(), 0);

    // Updating it is refused with a message; the file is left alone.
    ws.w->edtTitle->setText(QStringLiteral("overwrite me"));
    ws.ui.AnswerMessage(ui::idOk);
    ws.Update();
    QCOMPARE(ws.ui.messages.last().text, QStringLiteral("Cannot open file %1 for update.").arg(path));
    QCOMPARE(ws.UpdateState(), QStringLiteral("on"));
    QCOMPARE(fixtures::readAll(path), bytes);
  }

  void hostileRecordsFillTheFieldsFromInsideTheRecord_data() {
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<QByteArray>("author");
    QTest::newRow("negative lengths")
        << Record({-1, -2147483647 - 1, 3}, "abcdef") << QByteArray() << QByteArray();
    QTest::newRow("lengths past the end")
        << Record({2, 2147483647, 2147483647}, "xyz") << QByteArray("xy") << QByteArray("z");
    QTest::newRow("header cut short") << QByteArray("\x05\0\0", 3) << QByteArray() << QByteArray();
    QTest::newRow("NUL inside a text")
        << Record({5, 1}, QByteArray("ab\0cdZ", 6)) << QByteArray("ab") << QByteArray("Z");
  }
  void hostileRecordsFillTheFieldsFromInsideTheRecord() {
    QFETCH(QByteArray, record);
    QFETCH(QByteArray, title);
    QFETCH(QByteArray, author);
    const QString path = Path(QStringLiteral("record.QLM"));
    QVERIFY(Build(path, {{"(listfile)", "(modinfo)\r\n"}, {"(modinfo)", record}}));
    cmd::Workspace ws;
    ws.Open(path);
    QCOMPARE(ws.ui.messages.size(), 0);
    const ModInfo shown = ws.w->ModInfoFromFields();
    QCOMPARE(shown.texts[ModInfo::Title], title);
    QCOMPARE(shown.texts[ModInfo::Author], author);
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));
  }

  // A record that is there but cannot be read is not an empty one: the
  // command line neither shows it as empty nor writes a new record over it,
  // which would lose every text but the one set.
  void anUnreadableRecordIsNeverReplaced() {
    const QString path = Path(QStringLiteral("unreadable-record.QLM"));
    ModInfo info;
    info.texts[ModInfo::Title] = "Title";
    info.texts[ModInfo::Author] = "Author";
    info.texts[ModInfo::Description] = Text();
    QVERIFY(Build(path, {{"(listfile)", "(modinfo)\r\n"}, {"(modinfo)", EncodeModInfo(info)}},
                  MPQ_FILE_COMPRESS));
    QCOMPARE(EntryBytes(path, "(modinfo)"), EncodeModInfo(info));
    mpq::Image image = mpq::Image::Load(path);
    const mpq::Block block = image.GetBlock(image.BlockOf("(modinfo)"));
    char* table = image.bytes().data() + block.offset;
    qToLittleEndian<quint32>(qFromLittleEndian<quint32>(table) + 4, table);  // a table longer than it is
    QVERIFY(image.Save(path));
    bool read = true;
    EntryBytes(path, "(modinfo)", &read);
    QVERIFY(!read);
    const QByteArray before = fixtures::readAll(path);

    const QString tree = Path(QStringLiteral("unreadable-tree"));
    QVERIFY(QDir().mkpath(tree));
    QVERIFY(fixtures::writeAll(tree + QStringLiteral("/x.txt"), "x"));
    for (const QStringList& words :
         {QStringList{QStringLiteral("info"), path, QStringLiteral("--set-title"), QStringLiteral("New")},
          QStringList{QStringLiteral("info"), path},
          QStringList{QStringLiteral("build"), tree, QStringLiteral("-o"), path, QStringLiteral("--author"),
                      QStringLiteral("B")}}) {
      std::FILE* out = std::tmpfile();
      std::FILE* err = std::tmpfile();
      QVERIFY(out && err);
      cli::Io io;
      io.out = out;
      io.err = err;
      const int status = cli::RunCommandLine(words, io);
      std::fflush(err);
      const long complained = std::ftell(err);
      std::fclose(out);
      std::fclose(err);
      QVERIFY2(status == cli::kFailed, qPrintable(words.join(u' ')));
      QVERIFY(complained > 0);
      QCOMPARE(fixtures::readAll(path), before);
    }
  }
};

QTEST_MAIN(TestHostileArchives)
#include "test_hostile_archives.moc"

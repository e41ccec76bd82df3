// The archive reader on archives written by StormLib and by smpq, on files
// that are no archives, and on the real mod data.
#include <QBuffer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdlib>
#include <cstring>

#include "ArchiveBuilder.h"
#include "Fixtures.h"
#include "archive/ArchiveReader.h"
#include "platform/AppError.h"
#include "platform/Storm.h"

using testarchive::Entries;

namespace {

const QByteArray kNulText("ab\r\ncd\0ef\r\n", 11);
const QByteArray kHighName("data\\Global\\EXCEL\\\xe9t\xff\x80.txt");

Entries SampleEntries() {
  return {
      {"data\\global\\excel\\crlf.txt", "a\tb\r\nc\td\r\n"},
      {"data\\global\\excel\\Mixed.TXT", "one\rtwo\nthree\r\n\r\nfive"},
      {"nul.bin", kNulText},
      {"empty.txt", ""},
      {kHighName, "\x01\xff\x80\r\n"},
  };
}

}  // namespace

class TestArchiveReader : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString sample_;

  QString path(const QString& name) const { return dir_.filePath(name); }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    sample_ = path("sample.mpq");
    QVERIFY(testarchive::Build(sample_, SampleEntries()));
  }
  void cleanupTestCase() { ReleaseArchiveState(); }

  void linesOfEntries_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<LineList>("lines");
    QTest::newRow("crlf, no empty last line")
        << QByteArray("data\\global\\excel\\crlf.txt") << LineList{"a\tb", "c\td"};
    QTest::newRow("bare cr, bare lf, empty line")
        << QByteArray("data\\global\\excel\\Mixed.TXT") << LineList{"one", "two", "three", "", "five"};
    QTest::newRow("nul ends the text") << QByteArray("nul.bin") << LineList{"ab", "cd"};
    QTest::newRow("size 0 gives no lines") << QByteArray("empty.txt") << LineList{};
    QTest::newRow("high bytes in name and text") << kHighName << LineList{"\x01\xff\x80"};
  }
  void linesOfEntries() {
    QFETCH(QByteArray, name);
    QFETCH(LineList, lines);
    LineList got{"stale"};
    QVERIFY(ReadEntryLines(sample_, name, got));
    QCOMPARE(got, lines);
  }

  void streamAndSizeAreExact() {
    for (const auto& [name, content] : SampleEntries()) {
      QBuffer buffer;
      buffer.open(QIODevice::WriteOnly);
      QVERIFY2(ReadEntryToStream(sample_, name, buffer), name.constData());
      QCOMPARE(buffer.data(), content);  // all bytes, the NUL and what follows included
      QCOMPARE(EntrySize(sample_, name), qint32(content.size()));
    }
  }

  void streamIsWrittenAtItsPosition() {
    QBuffer buffer;
    buffer.setData("XYZW");
    buffer.open(QIODevice::ReadWrite);
    buffer.seek(1);
    QVERIFY(ReadEntryToStream(sample_, "nul.bin", buffer));
    QCOMPARE(buffer.data(), QByteArray("X") + kNulText);
  }

  void listfileNamesTheEntries() {
    LineList names;
    QVERIFY(ReadEntryLines(sample_, "(listfile)", names));
    for (const auto& entry : SampleEntries()) QVERIFY2(names.contains(entry.first), entry.first.constData());
  }

  void missingEntryFails() {
    LineList lines{"kept"};
    QVERIFY(!ReadEntryLines(sample_, "no\\such.txt", lines));
    QCOMPARE(lines, LineList{"kept"});
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(!ReadEntryToStream(sample_, "no\\such.txt", buffer));
    QCOMPARE(buffer.size(), 0);
    QCOMPARE(EntrySize(sample_, "no\\such.txt"), 0);
    // A NUL inside a name must not cut it down to a name that exists.
    QCOMPARE(EntrySize(sample_, QByteArray("nul.bin\0x", 9)), 0);
  }

  void unwritableStreamRaisesAndReaderStaysUsable() {
    QBuffer closed;  // never opened: takes no bytes
    try {
      ReadEntryToStream(sample_, "nul.bin", closed);
      QFAIL("no error raised");
    } catch (const AppError& e) {
      QCOMPARE(e.message(), QStringLiteral("Stream write error"));
    }
    // An empty entry writes nothing, so there is nothing to fail.
    QVERIFY(ReadEntryToStream(sample_, "empty.txt", closed));
    QCOMPARE(EntrySize(sample_, "nul.bin"), qint32(kNulText.size()));
  }

  void notArchives_data() {
    QTest::addColumn<QString>("file");
    QDir().mkpath(path("folder.mpq"));
    fixtures::writeAll(path("zero.mpq"), {});
    QByteArray noise(64 * 1024, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i) noise[i] = char((i * 7919 + 13) * 2654435761u >> 13);
    fixtures::writeAll(path("noise.mpq"), noise);
    // "MPQ\x1a" followed by garbage: a header that lies.
    fixtures::writeAll(path("lying.mpq"), QByteArray("MPQ\x1a", 4) + noise);
    const QByteArray real = fixtures::readAll(sample_);
    for (int keep : {16, 32, int(real.size() / 2), int(real.size() - 1)})
      fixtures::writeAll(path(QString("cut%1.mpq").arg(keep)), real.left(keep));

    QTest::newRow("missing") << path("missing.mpq");
    QTest::newRow("folder") << path("folder.mpq");
    QTest::newRow("empty path") << QString();
    QTest::newRow("0 bytes") << path("zero.mpq");
    QTest::newRow("random bytes") << path("noise.mpq");
    QTest::newRow("lying header") << path("lying.mpq");
    for (int keep : {16, 32, int(real.size() / 2), int(real.size() - 1)})
      QTest::newRow(qPrintable(QString("truncated to %1").arg(keep))) << path(QString("cut%1.mpq").arg(keep));
  }
  void notArchives() {
    QFETCH(QString, file);
    // Whatever StormLib makes of a damaged file, the reader must not crash, and
    // an entry it cannot get whole is not reported as read with other bytes.
    for (const auto& [name, content] : SampleEntries()) {
      LineList lines{"kept"};
      const bool read = ReadEntryLines(file, name, lines);
      if (!read) QCOMPARE(lines, LineList{"kept"});
      QBuffer buffer;
      buffer.open(QIODevice::WriteOnly);
      if (ReadEntryToStream(file, name, buffer)) {
        QVERIFY2(file.contains("cut"), "a file that is no archive gave an entry");
        QCOMPARE(buffer.data(), content);
      } else {
        QCOMPARE(buffer.size(), 0);
      }
      const qint32 size = EntrySize(file, name);
      QVERIFY(size == 0 || size == content.size());
    }
  }

  void archiveMadeBySmpq() {
    if (QStandardPaths::findExecutable("smpq").isEmpty()) QSKIP("smpq not installed");
    const QString work = path("smpq");
    QDir().mkpath(work + "/sub");
    const QByteArray big = QByteArray("line\tcell\r\n").repeated(20000) + "last";
    fixtures::writeAll(work + "/sheet.txt", big);
    fixtures::writeAll(work + "/sub/lf.txt", "a\nb\n");
    fixtures::writeAll(work + "/empty.dat", {});
    QProcess smpq;
    smpq.setWorkingDirectory(work);
    smpq.start("smpq", {"-c", "-q", "-C", "PKWARE", "-E", "-M", "1", "made.mpq", "sheet.txt", "sub/lf.txt",
                        "empty.dat"});
    QVERIFY(smpq.waitForFinished(30000));
    QCOMPARE(smpq.exitCode(), 0);
    const QString archive = work + "/made.mpq";

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(ReadEntryToStream(archive, "sheet.txt", buffer));
    QCOMPARE(buffer.data(), big);
    QCOMPARE(EntrySize(archive, "sheet.txt"), qint32(big.size()));
    LineList lines;
    QVERIFY(ReadEntryLines(archive, "sheet.txt", lines));
    QCOMPARE(lines.size(), 20001);
    QCOMPARE(lines.last(), QByteArray("last"));
    // The archive library looks names up with either separator.
    QVERIFY(ReadEntryLines(archive, "sub\\lf.txt", lines));
    QCOMPARE(lines, (LineList{"a", "b"}));
    QVERIFY(ReadEntryLines(archive, "empty.dat", lines));
    QCOMPARE(lines, LineList{});
    QCOMPARE(EntrySize(archive, "empty.dat"), 0);
  }

  // ADPCM keeps whole 16-bit samples: a sound of odd size loses its last
  // byte, which the decoder never writes. It reads as 0 every time, never as
  // whatever the memory below held.
  void oddSoundsReadTheSameEveryTime() {
    QF_REQUIRE_FIXTURES();
    const QString wav = fixtures::modDir() + "/data/global/sfx/Combat/Player/Assassin/gethit12.wav";
    const QByteArray content = fixtures::readAll(wav) + "\x7f";
    QVERIFY(content.size() > 4096 && content.size() % 2 == 1);
    const QString archive = path("sound.mpq");
    QVERIFY(testarchive::Build(archive, {{"data\\s.wav", content}}, testarchive::Storage::Sound));
    QByteArray first;
    for (int round = 0; round < 8; ++round) {
      // Freed memory full of other bytes, for the library's buffers to reuse.
      for (int size = 4096; size <= 4096 + 64 * 16; size += 16) {
        void* block = std::malloc(size_t(size));
        std::memset(block, 0xEE - round, size_t(size));
        std::free(block);
      }
      QByteArray bytes;
      QVERIFY(ReadEntryBytes(archive, "data\\s.wav", bytes));
      QCOMPARE(bytes.size(), content.size());
      QCOMPARE(int(bytes.back()), 0);
      if (round == 0) first = bytes;
      QCOMPARE(bytes, first);
    }
  }

  void realModData() {
    QF_REQUIRE_FIXTURES();
    Entries entries;
    for (const QString& file : fixtures::allFiles())
      entries.append({fixtures::internalName(file), fixtures::readAll(file)});
    QVERIFY(!entries.isEmpty());
    const QString archive = path("mod.mpq");
    QVERIFY(testarchive::Build(archive, entries));
    for (const auto& [name, content] : entries) {
      QCOMPARE(EntrySize(archive, name), qint32(content.size()));
      QBuffer buffer;
      buffer.open(QIODevice::WriteOnly);
      QVERIFY(ReadEntryToStream(archive, name, buffer));
      QVERIFY2(buffer.data() == content, name.constData());
      if (name.toLower().endsWith(".txt")) {
        LineList lines;
        QVERIFY(ReadEntryLines(archive, name, lines));
        QCOMPARE(lines, SplitLines(content));
      }
    }
  }
};

QTEST_GUILESS_MAIN(TestArchiveReader)
#include "test_archive_reader.moc"

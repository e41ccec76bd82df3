// String tables read and written: the hash and CRC against known values, the
// real tables byte for byte, keys and texts of every byte value, strings
// added past the slot count, and every kind of damaged table refused with
// the fault named.
#include <QtEndian>
#include <QtTest>

#include "StringFixtures.h"
#include "archive/strings/StringHash.h"
#include "archive/strings/StringTableCodec.h"
#include "platform/AppError.h"

namespace {

StringTable MustRead(const QByteArray& bytes) {
  StringTable table;
  QString fault;
  if (!stringtable::Read(bytes, table, fault)) qFatal("read failed: %s", qPrintable(fault));
  return table;
}

QString FaultOf(const QByteArray& bytes) {
  StringTable table;
  table.strings.push_back({"kept", "as it was"});
  QString fault;
  if (stringtable::Read(bytes, table, fault)) return QStringLiteral("<read>");
  // A refused table leaves the caller's table alone.
  if (table.strings.size() != 1 || table.strings[0].key != "kept") return QStringLiteral("<table changed>");
  return fault;
}

StringTable Small() {
  StringTable table;
  table.slotCount = 5;
  table.version = 1;
  table.strings = {{"x", "first"}, {"Sword", "ÿc4Sword\nof Doom"}, {"x", "second"}};
  return table;
}

void Put32(QByteArray& bytes, qsizetype at, uint32_t value) {
  qToLittleEndian(value, bytes.data() + at);
}
void Put16(QByteArray& bytes, qsizetype at, uint16_t value) {
  qToLittleEndian(value, bytes.data() + at);
}

}  // namespace

class TestStringTable : public QObject {
  Q_OBJECT

 private slots:
  void hashAndCrcCheckValues() {
    QCOMPARE(stringhash::KeyHash("x"), 0x78u);
    QCOMPARE(stringhash::KeyHash("Sword"), 0x5AE684u);
    QCOMPARE(stringhash::KeyHash("ModStr1a"), 0x59AB031u);
    QCOMPARE(stringhash::KeyHash(""), 0u);
    // Bytes above 127 count unsigned.
    QCOMPARE(stringhash::KeyHash("\xFF"), 0xFFu);
    QCOMPARE(stringhash::Crc16("123456789"), uint16_t(0x29B1));
    QCOMPARE(stringhash::Crc16(""), uint16_t(0xFFFF));
    // Sixteen bytes at a time must agree with the bit-by-bit definition at
    // every length and alignment.
    QByteArray data;
    for (int i = 0; i < 100; ++i) data += char((i * 97 + 13) & 0xFF);
    for (int from = 0; from < 9; ++from)
      for (int length = 0; from + length <= data.size(); length += 7) {
        uint16_t crc = 0xFFFF;
        for (const char c : data.mid(from, length)) {
          crc ^= uint16_t(uchar(c) << 8);
          for (int bit = 0; bit < 8; ++bit) crc = uint16_t(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
        }
        QCOMPARE(stringhash::Crc16(QByteArrayView(data).sliced(from, length)), crc);
      }
  }

  // Keys hashed side by side agree with the definition (the top nibble
  // folded back only when set), whatever their lengths and count.
  void keysHashedTogetherAgree() {
    const auto reference = [](QByteArrayView key) {
      uint32_t h = 0;
      for (const char c : key) {
        h = (h << 4) + uchar(c);
        if (const uint32_t top = h & 0xF0000000u) h = (h ^ (top >> 24)) & 0x0FFFFFFFu;
      }
      return h;
    };
    std::vector<QByteArray> keys;
    for (int i = 0; i < 23; ++i) {
      QByteArray key;
      for (int j = 0; j < (i * 7) % 45; ++j) key += char((i * 31 + j * 57 + 200) & 0xFF);
      keys.push_back(key);
    }
    for (const size_t count : {size_t(0), size_t(3), size_t(4), keys.size()}) {
      std::vector<uint32_t> out(count, 0xDEADu);
      stringhash::KeyHashes(
          count, [&](size_t i) { return QByteArrayView(keys[i]); }, 1171, out.data());
      for (size_t i = 0; i < count; ++i) {
        QCOMPARE(stringhash::KeyHash(keys[i]), reference(keys[i]));
        QCOMPARE(out[i], reference(keys[i]) % 1171);
      }
    }
  }

  void realTablesRoundTripByteForByte_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("firstKey");
    QTest::newRow("eng BaseMod") << "lng/eng/BaseMod.tbl" << 18 << QByteArray("MaxSock");
    QTest::newRow("eng patchstring") << "lng/eng/patchstring.tbl" << 1169 << QByteArray("Cutthroat1");
    QTest::newRow("chi BaseMod") << "lng/chi/BaseMod.tbl" << 18 << QByteArray("MaxSock");
  }
  void realTablesRoundTripByteForByte() {
    QF_REQUIRE_STRING_FIXTURES();
    QFETCH(QString, file);
    QFETCH(int, count);
    QFETCH(QByteArray, firstKey);
    const QByteArray bytes = fixtures::readAll(fixtures::stringsDir() + "/" + file);
    QVERIFY(!bytes.isEmpty());
    const StringTable table = MustRead(bytes);
    QCOMPARE(int(table.strings.size()), count);
    QCOMPARE(table.strings[0].key, firstKey);
    const QByteArray written = stringtable::Write(table);
    QCOMPARE(written.size(), bytes.size());
    QVERIFY(written == bytes);
  }

  void chineseTextsStayUtf8() {
    QF_REQUIRE_STRING_FIXTURES();
    const StringTable eng = MustRead(fixtures::readAll(fixtures::stringsDir() + "/lng/eng/BaseMod.tbl"));
    const StringTable chi = MustRead(fixtures::readAll(fixtures::stringsDir() + "/lng/chi/BaseMod.tbl"));
    QCOMPARE(chi.strings.size(), eng.strings.size());
    bool wide = false;
    for (size_t i = 0; i < chi.strings.size(); ++i) {
      QCOMPARE(chi.strings[i].key, eng.strings[i].key);
      const QString text = QString::fromUtf8(chi.strings[i].text);
      QCOMPARE(text.toUtf8(), chi.strings[i].text);
      for (QChar c : text) wide |= c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF;
    }
    QVERIFY(wide);
  }

  void writtenLayoutAndDuplicateKeys() {
    const QByteArray bytes = stringtable::Write(Small());
    const StringTable back = MustRead(bytes);
    QCOMPARE(back.strings, Small().strings);
    QCOMPARE(back.slotCount, 5u);
    QCOMPARE(int(back.version), 1);
    // Header: count, slots, version, data start, size and the CRC of the data.
    QCOMPARE(qFromLittleEndian<uint16_t>(bytes.constData() + 2), uint16_t(3));
    const uint32_t dataStart = qFromLittleEndian<uint32_t>(bytes.constData() + 9);
    QCOMPARE(dataStart, 21u + 2 * 3 + 17 * 5);
    QCOMPARE(qFromLittleEndian<uint32_t>(bytes.constData() + 17), uint32_t(bytes.size()));
    QCOMPARE(qFromLittleEndian<uint16_t>(bytes.constData()), stringhash::Crc16(bytes.mid(dataStart)));
    QCOMPARE(bytes.mid(dataStart, 8), QByteArray("x\0first\0", 8));
    // "x" hashes to 0x78 % 5 = 0; the second "x" probes on to slot 1, and
    // "Sword" (0x5AE684 % 5 = 2) sits at home: the longest probe is 2.
    QCOMPARE(qFromLittleEndian<uint16_t>(bytes.constData() + 21), uint16_t(0));
    QCOMPARE(qFromLittleEndian<uint16_t>(bytes.constData() + 23), uint16_t(2));
    QCOMPARE(qFromLittleEndian<uint16_t>(bytes.constData() + 25), uint16_t(1));
    QCOMPARE(qFromLittleEndian<uint32_t>(bytes.constData() + 13), 2u);
    // Slot 4 is unused: all zero.
    QCOMPARE(bytes.mid(21 + 6 + 17 * 4, 17), QByteArray(17, '\0'));
  }

  void slotsGrowToTheStringCountAndWrap() {
    StringTable table = Small();
    table.slotCount = 2;  // fewer than the strings
    for (int i = 0; i < 4; ++i) table.strings.push_back({"x", QByteArray::number(i)});
    const QByteArray bytes = stringtable::Write(table);
    const StringTable back = MustRead(bytes);
    QCOMPARE(back.slotCount, 7u);
    QCOMPARE(back.strings, table.strings);
    // "Sword" sits in 0x5AE684 % 7 = 0; six "x" from 0x78 % 7 = 1 fill 1..6,
    // the last visiting six slots.
    QCOMPARE(qFromLittleEndian<uint32_t>(bytes.constData() + 13), 6u);

    // A probe past the last slot goes on from slot 0: "b" is at home in 2.
    StringTable wrap;
    wrap.slotCount = 3;
    wrap.strings = {{"b", "1"}, {"b", "2"}};
    const QByteArray wrapped = stringtable::Write(wrap);
    QCOMPARE(qFromLittleEndian<uint16_t>(wrapped.constData() + 21), uint16_t(2));
    QCOMPARE(qFromLittleEndian<uint16_t>(wrapped.constData() + 23), uint16_t(0));
    QCOMPARE(MustRead(wrapped).strings, wrap.strings);

    StringTable empty;
    const QByteArray none = stringtable::Write(empty);
    QCOMPARE(none.size(), 21);
    QVERIFY(MustRead(none).strings.empty());
  }

  void everyByteValueInKeysAndTexts() {
    StringTable table;
    QByteArray all;
    for (int b = 1; b < 256; ++b) all += char(b);
    for (int b = 1; b < 256; ++b) table.strings.push_back({QByteArray(1, char(b)), QByteArray(3, char(b))});
    table.strings.push_back({all, all});
    table.strings.push_back({"", ""});
    const StringTable back = MustRead(stringtable::Write(table));
    QCOMPARE(back.strings, table.strings);
  }

  void whatTheFormatCannotHoldIsRefused() {
    StringTable table;
    table.strings.push_back({"a\0b", "t"});
    table.strings[0].key = QByteArray("a\0b", 3);
    QVERIFY_THROWS_EXCEPTION(AppError, stringtable::Write(table));
    table.strings[0] = {"k", QByteArray("t\0", 2)};
    QVERIFY_THROWS_EXCEPTION(AppError, stringtable::Write(table));
    table.strings[0] = {"k", QByteArray(0xFFFF, 'a')};
    try {
      stringtable::Write(table);
      QFAIL("a text of 65535 bytes was written");
    } catch (const AppError& e) {
      QVERIFY(e.message().contains("string 0"));
    }
    table.strings[0] = {"k", QByteArray(0xFFFE, 'a')};
    QCOMPARE(MustRead(stringtable::Write(table)).strings[0].text.size(), 0xFFFE);

    // The fault named is the first in string order, whatever its kind.
    const auto faultOf = [](const StringTable& t) {
      try {
        stringtable::Write(t);
      } catch (const AppError& e) {
        return e.message();
      }
      return QString();
    };
    table.strings = {{"a", "ok"}, {QByteArray("b\0", 2), "t"}, {"c", QByteArray("\0", 1)}};
    QCOMPARE(faultOf(table), QStringLiteral("The key of string 1 holds a NUL byte"));
    table.strings[1].key = "b";
    QCOMPARE(faultOf(table), QStringLiteral("The text of string 2 holds a NUL byte"));
    table.strings.push_back({"d", QByteArray(0xFFFF, 'a')});
    QCOMPARE(faultOf(table), QStringLiteral("The text of string 2 holds a NUL byte"));
    table.slotCount = 70000;
    QCOMPARE(faultOf(table), QStringLiteral("The text of string 2 holds a NUL byte"));
  }

  void slotsPastTheIndexRangeAreRefused() {
    // A key whose home lies past slot 65535 in a table of 70000 slots: its
    // slot number would not fit the 16-bit index.
    StringTable table;
    table.slotCount = 70000;
    for (int i = 0; table.strings.empty(); ++i) {
      const QByteArray key = "k" + QByteArray::number(i);
      if (stringhash::KeyHash(key) % table.slotCount > 0xFFFF) table.strings.push_back({key, "t"});
    }
    QVERIFY_THROWS_EXCEPTION(AppError, stringtable::Write(table));
    // The most the index can name is written and read back.
    table.slotCount = 0x10000;
    QCOMPARE(MustRead(stringtable::Write(table)).strings, table.strings);

    // A read table claiming more slots than that is refused.
    QByteArray bytes(21 + 17 * 70000, '\0');
    Put32(bytes, 4, 70000);
    Put32(bytes, 9, uint32_t(bytes.size()));
    Put32(bytes, 17, uint32_t(bytes.size()));
    QVERIFY2(FaultOf(bytes).contains("16-bit index"), qPrintable(FaultOf(bytes)));
  }

  void damagedTablesNameTheirFault() {
    const QByteArray good = stringtable::Write(Small());
    const qsizetype slot0 = 21 + 6;  // the first slot record
    const uint32_t dataStart = qFromLittleEndian<uint32_t>(good.constData() + 9);

    QVERIFY(FaultOf(good.left(10)).startsWith("truncated: 10 bytes"));
    QVERIFY(FaultOf(good.left(good.size() - 1)).startsWith("truncated: the header gives"));
    QVERIFY(FaultOf(good + "junk").contains("but its header gives"));

    QByteArray bytes = good;
    Put16(bytes, 2, 6);  // n above the 5 slots
    QCOMPARE(FaultOf(bytes), QStringLiteral("6 strings but only 5 hash slots"));

    bytes = good;
    Put32(bytes, 4, 0x10000000);  // slots run far past the end
    QVERIFY(FaultOf(bytes).startsWith("truncated: its 3 strings"));

    bytes = good;
    Put32(bytes, 9, dataStart + 1);
    QVERIFY(FaultOf(bytes).startsWith("the data starts at offset"));

    bytes = good;
    Put16(bytes, 21, 7);
    QCOMPARE(FaultOf(bytes), QStringLiteral("string 0 names slot 7, past the last slot (4)"));

    bytes = good;
    Put16(bytes, 21, 4);
    QCOMPARE(FaultOf(bytes), QStringLiteral("string 0 names slot 4, which is unused"));

    bytes = good;
    Put16(bytes, 23, 0);
    QCOMPARE(FaultOf(bytes), QStringLiteral("strings 0 and 1 both name slot 0"));

    bytes = good;
    Put32(bytes, slot0 + 7, uint32_t(good.size()));
    QVERIFY(FaultOf(bytes).startsWith("the key of string 0 lies at offset"));

    bytes = good;
    Put32(bytes, slot0 + 7, uint32_t(good.size() - 1));  // the last NUL
    QCOMPARE(MustRead(bytes).strings[0].key, QByteArray());
    bytes[bytes.size() - 1] = 'z';  // and the last text's NUL gone too
    QVERIFY(FaultOf(bytes).contains("without its NUL") || FaultOf(bytes).contains("does not end in NUL"));

    bytes = good;
    Put32(bytes, slot0 + 11, uint32_t(good.size() - 2));
    QVERIFY(FaultOf(bytes).startsWith("the text of string 0 (offset"));

    bytes = good;
    Put16(bytes, slot0 + 15, 3);  // "fir" and no NUL after it
    QCOMPARE(FaultOf(bytes), QStringLiteral("the text of string 0 does not end in NUL"));
    Put16(bytes, slot0 + 15, 0);
    QCOMPARE(FaultOf(bytes), QStringLiteral("the text of string 0 does not end in NUL"));

    QVERIFY(FaultOf(QByteArray()).startsWith("truncated: 0 bytes"));
  }

  void fontTablesAreRefused() {
    QF_REQUIRE_STRING_FIXTURES();
    const QByteArray text = fixtures::readAll(fixtures::stringsDir() + "/font/latin/DEFAULT.TBL");
    const QByteArray binary = fixtures::readAll(fixtures::stringsDir() + "/font/latin/Font24.tbl");
    QVERIFY(!text.isEmpty() && !binary.isEmpty());
    QCOMPARE(FaultOf(text), QStringLiteral("it is plain text (a font table or a note), not a string table"));
    QCOMPARE(FaultOf(binary), QStringLiteral("it is a font table (glyph metrics), not a string table"));
  }

  void textsThatAreNotUtf8StayAsTheyAre() {
    StringTable table;
    table.strings = {{"Latin1", "caf\xE9 \xFF\xFE"}, {"cut", "\xE4\xB8"}};
    const QByteArray bytes = stringtable::Write(table);
    const StringTable back = MustRead(bytes);
    QCOMPARE(back.strings, table.strings);
    QVERIFY(stringtable::Write(back) == bytes);
  }
};

QTEST_GUILESS_MAIN(TestStringTable)
#include "test_stringtable.moc"

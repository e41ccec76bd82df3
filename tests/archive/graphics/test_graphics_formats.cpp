// The game's graphics read from real files: palettes and colour maps, every
// DC6 frame (written back byte for byte, coded again as the game codes
// them), every DCC direction (each using up its streams), the COF layers;
// and damaged or hostile files refused with the fault named.
#include <QSet>
#include <QtEndian>
#include <QtTest>

#include "GraphicsFixtures.h"
#include "archive/graphics/Cof.h"
#include "archive/graphics/ColourMap.h"
#include "archive/graphics/Dc6.h"
#include "archive/graphics/Dcc.h"
#include "archive/graphics/FrameImage.h"
#include "archive/graphics/Palette.h"

using namespace graphics;

namespace {

// Bits appended least significant first, as a DCC direction holds them.
class BitWriter {
 public:
  void Put(uint32_t value, int bits) {
    for (int i = 0; i < bits; ++i, ++at_) {
      if (at_ % 8 == 0) bytes_ += '\0';
      if (value >> i & 1) bytes_[at_ / 8] = char(bytes_[at_ / 8] | 1 << at_ % 8);
    }
  }
  void Align() { at_ = (at_ + 7) / 8 * 8; }
  const QByteArray& Bytes() const { return bytes_; }

 private:
  QByteArray bytes_;
  qint64 at_ = 0;
};

void Put32(QByteArray& bytes, qsizetype at, uint32_t value) {
  qToLittleEndian(value, bytes.data() + at);
}

// A DCC of one direction holding one frame of width by 2 pixels at x -1,
// its bottom row stored first, with the two optional bytes "AB": two
// colours (palette indices 9 and 5) chosen pixel by pixel.
QByteArray SmallDcc(uint32_t width = 4, const QByteArray& after = {}) {
  BitWriter w;
  w.Put(0, 32);  // coded size
  w.Put(0, 2);   // neither equal cells nor raw pixels
  // Field widths: variable0 none, width 16 bits, height, x and y 4 bits,
  // optional bytes 8 bits, coded bytes none.
  for (const uint32_t code : {0u, 9u, 3u, 3u, 3u, 5u, 0u}) w.Put(code, 4);
  w.Put(width, 16);
  w.Put(2, 4);
  w.Put(0xF, 4);  // x offset -1
  w.Put(1, 4);    // y offset 1: the frame's rows 0 and 1
  w.Put(2, 8);
  w.Put(1, 1);  // bottom row first
  w.Align();
  w.Put('A', 8);
  w.Put('B', 8);
  w.Put(0, 20);  // the pixel-mask stream: empty, every cell is new
  for (int i = 0; i < 256; ++i) w.Put(i == 0 || i == 5 || i == 9, 1);
  // Colours as rising displacements: codes 1, 2, then a repeat ends them;
  // the cell's colours are then codes 2, 1, 0, 0 (palette 9, 5, 0, 0).
  w.Put(1, 4);
  w.Put(1, 4);
  w.Put(0, 4);
  const int chosen[2][4] = {{0, 1, 0, 1}, {1, 1, 2, 0}};
  for (uint32_t x = 0; x < width * 2; ++x) w.Put(uint32_t(chosen[x / 4 % 2][x % 4]), 2);
  QByteArray file(15, '\0');
  file[0] = '\x74';
  file[1] = 6;
  file[2] = 1;
  Put32(file, 3, 1);
  Put32(file, 7, 1);
  file += QByteArray(4, '\0');
  Put32(file, 15, 19);
  return file + w.Bytes() + after;
}

QString DccFault(const QByteArray& bytes) {
  Dcc dcc;
  QString fault;
  return ReadDcc(bytes, dcc, fault) ? QStringLiteral("<read>") : fault;
}

QString Dc6Fault(const QByteArray& bytes) {
  Dc6 image;
  image.flags = 77;
  QString fault;
  if (ReadDc6(bytes, image, fault)) return QStringLiteral("<read>");
  return image.flags == 77 ? fault : QStringLiteral("<image changed>");
}

// The mean of the opaque pixels' colours.
QColor MeanColour(const IndexFrame& frame, const Palette& palette) {
  qint64 r = 0, g = 0, b = 0, n = 0;
  for (const char c : frame.pixels) {
    if (c == 0) continue;
    const QRgb rgb = palette.colours[uint8_t(c)];
    r += qRed(rgb), g += qGreen(rgb), b += qBlue(rgb), ++n;
  }
  return n ? QColor(int(r / n), int(g / n), int(b / n)) : QColor();
}

Palette Act1() {
  Palette palette;
  QString fault;
  if (!ReadPalette(fixtures::readAll(fixtures::graphicsFile(QStringLiteral("palette/ACT1/pal.dat"))), palette,
                   fault))
    qFatal("ACT1: %s", qPrintable(fault));
  return palette;
}

}  // namespace

class TestGraphicsFormats : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    if (fixtures::graphicsDir().isEmpty() || !QDir(fixtures::graphicsDir()).exists())
      QSKIP("graphics fixtures not found");
  }

  // pal.dat holds B, G, R; a .PL2 starts with the same colours as R, G, B, x.
  void palettesInBothForms() {
    const QByteArray dat = fixtures::readAll(fixtures::graphicsFile(QStringLiteral("palette/ACT1/pal.dat")));
    const Palette act1 = Act1();
    QCOMPARE(PalDatBytes(act1), dat);
    QByteArray pl2;
    for (int i = 0; i < 256; ++i) {
      const char entry[4] = {dat.at(3 * i + 2), dat.at(3 * i + 1), dat.at(3 * i), '\x7F'};
      pl2.append(entry, 4);
    }
    pl2 += QByteArray(kPl2Size - pl2.size(), '\x33');
    Palette fromPl2;
    QString fault;
    QVERIFY(ReadPalette(pl2, fromPl2, fault));
    QVERIFY(fromPl2.colours == act1.colours);
    QVERIFY(qRed(act1.colours[1]) != qBlue(act1.colours[1]));  // the order is seen at all
    for (const qsizetype size : {0, 767, 769, 1024}) {
      QVERIFY(!ReadPalette(QByteArray(size, '\1'), fromPl2, fault));
      QVERIFY(fault.contains(QString::number(size)));
    }
    ColourMap map;
    QVERIFY(!ReadColourMap(QByteArray(5375, '\0'), map, fault));
    QVERIFY(fault.contains(QStringLiteral("5375")));
  }

  // Table 11 of invgreybrown.dat turns the brown cap green; index 0 stays
  // transparent.
  void colourMapTintsTheCap() {
    ColourMap map;
    QString fault;
    QVERIFY(ReadColourMap(
        fixtures::readAll(fixtures::graphicsFile(QStringLiteral("items/Palette/invgreybrown.dat"))), map,
        fault));
    QCOMPARE(map.tables.size(), size_t(kColourMapTables));
    Dc6 cap;
    QVERIFY(
        ReadDc6(fixtures::readAll(fixtures::graphicsFile(QStringLiteral("items/invcap.DC6"))), cap, fault));
    const Palette palette = Act1();
    const IndexFrame brown = cap.Frame(0, 0);
    const IndexFrame green = Mapped(brown, map.tables[11].data());
    const QColor before = MeanColour(brown, palette), after = MeanColour(green, palette);
    QVERIFY2(before.hue() >= 15 && before.hue() <= 50, qPrintable(before.name()));
    QVERIFY2(after.hue() >= 90 && after.hue() <= 150 && after.saturation() > 64, qPrintable(after.name()));
    for (qsizetype i = 0; i < brown.pixels.size(); ++i)
      QCOMPARE(green.pixels.at(i) == 0, brown.pixels.at(i) == 0);
  }

  // Every real DC6: read, written back the same bytes, every frame's rows
  // coded again as the game codes them (bytes after the last row aside);
  // a changed frame is coded afresh and reads back the same, its
  // neighbours keeping their bytes.
  void realDc6sRoundTrip() {
    const QStringList files = fixtures::graphicsFiles(QStringLiteral(".dc6"));
    QVERIFY(files.size() >= 6);
    for (const QString& path : files) {
      const QByteArray bytes = fixtures::readAll(path);
      Dc6 image;
      QString fault;
      QVERIFY2(ReadDc6(bytes, image, fault), qPrintable(path + QStringLiteral(": ") + fault));
      QCOMPARE(WriteDc6(image), bytes);
      for (const Dc6Frame& frame : image.frames) {
        QVERIFY2(frame.coded.startsWith(EncodeDc6Rows(frame.image)), qPrintable(path));
      }
      Dc6 changed = image;
      IndexFrame first = image.frames[0].image;
      first.offsetX += 3;
      std::reverse(first.pixels.begin(), first.pixels.end());
      SetDc6Frame(changed, 0, first);
      Dc6 back;
      QVERIFY2(ReadDc6(WriteDc6(changed), back, fault), qPrintable(fault));
      QCOMPARE(back.frames[0].image, first);
      for (size_t i = 1; i < image.frames.size(); ++i) QCOMPARE(back.frames[i].coded, image.frames[i].coded);
    }
  }

  // Every real DCC direction decodes, using up each of its streams; its
  // frames lie inside its box and show something. One byte more or less in
  // a direction is refused.
  void realDccsDecode() {
    const QStringList files = fixtures::graphicsFiles(QStringLiteral(".dcc"));
    QVERIFY(files.size() >= 3);
    for (const QString& path : files) {
      const QByteArray bytes = fixtures::readAll(path);
      Dcc dcc;
      QString fault;
      QVERIFY2(ReadDcc(bytes, dcc, fault), qPrintable(path + QStringLiteral(": ") + fault));
      QCOMPARE(dcc.directions.size(), dcc.header.spans.size());
      for (const DccDirection& direction : dcc.directions) {
        QCOMPARE(direction.frames.size(), size_t(dcc.header.framesPerDirection));
        for (size_t f = 0; f < direction.frames.size(); ++f) {
          const IndexFrame& frame = direction.frames[f].image;
          QVERIFY(frame.Left() >= direction.box.left && frame.Top() >= direction.box.top);
          QVERIFY(frame.Left() + frame.width <= direction.box.left + direction.box.width);
          QVERIFY(frame.Top() + frame.height <= direction.box.top + direction.box.height);
          QVERIFY(frame.pixels.count('\0') < frame.pixels.size());
          // On the box, the frame's pixels are all there.
          const IndexFrame placed = direction.OnBox(f);
          QCOMPARE(placed.pixels.count('\0') - (placed.pixels.size() - frame.pixels.size()),
                   frame.pixels.count('\0'));
        }
      }
      // The first direction one byte longer, then one shorter.
      const qsizetype end = qsizetype(dcc.header.spans[0].second);
      for (const bool longer : {true, false}) {
        QByteArray moved = bytes;
        if (longer)
          moved.insert(end, '\0');
        else
          moved.remove(end - 1, 1);
        for (size_t d = 1; d < dcc.header.spans.size(); ++d)
          Put32(moved, 15 + 4 * qsizetype(d), uint32_t(dcc.header.spans[d].first + (longer ? 1 : -1)));
        QVERIFY2(DccFault(moved).startsWith(QStringLiteral("direction 0: ")), qPrintable(DccFault(moved)));
      }
    }
  }

  // A frame stored bottom row first comes out top row first, its optional
  // bytes kept, its box from its offsets.
  void bottomUpFrameWithOptionalBytes() {
    Dcc dcc;
    QString fault;
    QVERIFY2(ReadDcc(SmallDcc(), dcc, fault), qPrintable(fault));
    const DccFrame& frame = dcc.directions[0].frames[0];
    QVERIFY(frame.bottomUp);
    QCOMPARE(frame.optional, QByteArray("AB"));
    QCOMPARE(frame.image.pixels, QByteArray("\5\5\0\x09\x09\5\x09\5", 8));
    QCOMPARE(dcc.directions[0].box.left, -1);
    QCOMPARE(dcc.directions[0].box.top, 0);
    QCOMPARE(dcc.directions[0].box.width, 4);
  }

  void hostileDccsRefused() {
    const QByteArray good = SmallDcc();
    QVERIFY(DccFault(SmallDcc(20000)).contains(QStringLiteral("larger than a frame can be")));
    QVERIFY(DccFault(SmallDcc(4, "x")).contains(QStringLiteral("pixel-code stream stops 1 byte(s) short")));
    QByteArray frames = good;
    Put32(frames, 3, 0xFFFFFFFFu);
    QVERIFY(DccFault(frames).contains(QStringLiteral("frames do not fit")));
    QByteArray past = good;
    Put32(past, 15, uint32_t(good.size() + 1));
    QVERIFY(DccFault(past).contains(QStringLiteral("past the end of the file")));
    QByteArray many = good;
    many[2] = char(200);
    QVERIFY(DccFault(many).startsWith(QStringLiteral("truncated")));
    QByteArray signature = good;
    signature[0] = 'B';
    QVERIFY(DccFault(signature).contains(QStringLiteral("signature")));
    // Every cut of a real file is refused.
    const QByteArray real =
        fixtures::readAll(fixtures::graphicsFile(QStringLiteral("monsters/blood/BloodSmall01.dcc")));
    for (qsizetype size = 0; size < real.size(); size += 37)
      QVERIFY(DccFault(real.left(size)) != QStringLiteral("<read>"));
  }

  void hostileDc6sRefused() {
    const QByteArray real =
        fixtures::readAll(fixtures::graphicsFile(QStringLiteral("ui/plugy/SharedGoldBtns.dc6")));
    for (qsizetype size = 0; size < real.size(); size += 29)
      QVERIFY(Dc6Fault(real.left(size)) != QStringLiteral("<read>"));
    QByteArray counts = real;
    Put32(counts, 16, 0xFFFFFFFFu);
    QVERIFY(Dc6Fault(counts).contains(QStringLiteral("do not fit")));
    const uint32_t first = qFromLittleEndian<uint32_t>(real.constData() + 24);
    QByteArray wide = real;
    Put32(wide, first + 4, 3000000);
    QVERIFY(Dc6Fault(wide).contains(QStringLiteral("larger than a frame can be")));
    QByteArray tall = real;  // more rows than the frame's bytes could end
    Put32(tall, first + 8, qFromLittleEndian<uint32_t>(real.constData() + first + 28) + 1);
    QVERIFY(Dc6Fault(tall).contains(QStringLiteral("rows cannot fit")));
    QByteArray narrow = real;
    Put32(narrow, first + 4, 1);
    QVERIFY(Dc6Fault(narrow).contains(QStringLiteral("past the frame's width")));
    QByteArray longer = real;
    Put32(longer, first + 28, 0x7FFFFFFF);
    QVERIFY(Dc6Fault(longer).contains(QStringLiteral("past the end of the file")));
    QByteArray overlap = real;
    Put32(overlap, 28, first);
    QVERIFY(Dc6Fault(overlap).contains(QStringLiteral("overlap")));
    QByteArray version = real;
    Put32(version, 0, 5);
    QVERIFY(Dc6Fault(version).contains(QStringLiteral("version 5")));
  }

  // The inputs the fuzzers once stalled or crashed on come back, each
  // refused or read.
  void fuzzFindingsComeBack() {
    const QDir dir(QStringLiteral(QF_FUZZ_REGRESSIONS));
    const QStringList found = dir.entryList({QStringLiteral("dc6-*"), QStringLiteral("dcc-*"), QStringLiteral("cof-*"),
                                             QStringLiteral("palette-*")},
                                            QDir::Files);
    QVERIFY(!found.isEmpty());
    for (const QString& name : found) {
      const QByteArray bytes = fixtures::readAll(dir.filePath(name));
      QString fault;
      bool read = false;
      if (name.startsWith(QStringLiteral("dc6-"))) {
        Dc6 image;
        read = ReadDc6(bytes, image, fault);
        if (read) WriteDc6(image);
      } else if (name.startsWith(QStringLiteral("dcc-"))) {
        Dcc dcc;
        read = ReadDcc(bytes, dcc, fault);
      } else if (name.startsWith(QStringLiteral("cof-"))) {
        Cof cof;
        read = ReadCof(bytes, cof, fault);
      } else {
        Palette palette;
        ColourMap map;
        read = ReadPalette(bytes, palette, fault) || ReadColourMap(bytes, map, fault);
      }
      QVERIFY2(read || !fault.isEmpty(), qPrintable(name));
    }
  }

  // The real COFs: every layer's component in range, every draw-order byte
  // naming one the layers hold; a cut file is refused.
  void cofLayersAndDrawOrder() {
    const QStringList files = fixtures::graphicsFiles(QStringLiteral(".cof"));
    QVERIFY(files.size() >= 2);
    for (const QString& path : files) {
      const QByteArray bytes = fixtures::readAll(path);
      Cof cof;
      QString fault;
      QVERIFY2(ReadCof(bytes, cof, fault), qPrintable(fault));
      QCOMPARE(cof.version, uint8_t(20));
      QSet<int> held;
      for (const CofLayer& layer : cof.layers) {
        held.insert(layer.component);
        QCOMPARE(layer.weaponClass.size(), 3);
        QCOMPARE(ComponentName(layer.component).size(), 2);
      }
      for (int d = 0; d < cof.directions; ++d)
        for (int f = 0; f < cof.framesPerDirection; ++f)
          for (int i = 0; i < int(cof.layers.size()); ++i) QVERIFY(held.contains(cof.DrawnAt(d, f, i)));
      QVERIFY(!ReadCof(bytes.chopped(1), cof, fault));
      QVERIFY(fault.startsWith(QStringLiteral("truncated")));
    }
  }

  // Pictures taken in: an indexed image's indices as they are; other
  // pixels by nearest colour, never index 0 when opaque, transparent below
  // half alpha; the offsets from the image's texts.
  void imagesTakenIn() {
    const Palette palette = Act1();
    IndexFrame frame = BlankFrame(4, 1, -7, 12);
    frame.pixels = QByteArray("\0\x01\x80\xFF", 4);
    QImage indexed = ToIndexedImage(frame, palette);
    QCOMPARE(FromImage(indexed, palette), frame);
    QImage rgba(4, 1, QImage::Format_ARGB32);
    rgba.setPixel(0, 0, qRgba(0, 0, 0, 255));  // index 0's own colour, opaque
    rgba.setPixel(1, 0, qRgba(255, 255, 255, 127));
    rgba.setPixel(2, 0, palette.colours[0x80]);
    const QRgb aside = palette.colours[200];
    rgba.setPixel(3, 0, qRgba(qMin(255, qRed(aside) + 1), qGreen(aside), qBlue(aside), 200));
    const IndexFrame taken = FromImage(rgba, palette);
    QVERIFY(taken.pixels.at(0) != 0);
    QCOMPARE(taken.pixels.at(1), '\0');
    QCOMPARE(palette.colours[uint8_t(taken.pixels.at(2))], palette.colours[0x80]);
    const QRgb near = palette.colours[uint8_t(taken.pixels.at(3))];
    QVERIFY(qAbs(qRed(near) - qRed(aside)) <= 2 && qAbs(qGreen(near) - qGreen(aside)) <= 2 &&
            qAbs(qBlue(near) - qBlue(aside)) <= 2);
    QCOMPARE(taken.offsetX, 0);
    const IndexFrame back = FromImage(ToImage(frame, palette), palette);
    QCOMPARE(back.offsetX, -7);
    QCOMPARE(back.offsetY, 12);
  }
};

QTEST_GUILESS_MAIN(TestGraphicsFormats)
#include "test_graphics_formats.moc"

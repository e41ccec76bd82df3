// quillforge convert: the real DC6s and DCCs written as PNG files and DC6s
// made back from them with the same pixels; the palette from a file or the
// game folder; bad input refused in one line with nothing written.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include "CliRun.h"
#include "GraphicsFixtures.h"
#include "archive/graphics/Dc6.h"
#include "archive/graphics/Dcc.h"
#include "archive/graphics/FrameImage.h"

using namespace graphics;

namespace {

QString Pal() {
  return fixtures::graphicsFile(QStringLiteral("palette/ACT1/pal.dat"));
}

Palette Act1() {
  Palette palette;
  QString fault;
  ReadPalette(fixtures::readAll(Pal()), palette, fault);
  return palette;
}

// The frame's colours as the palette shows them, with its offsets.
QImage Shown(const IndexFrame& frame) {
  return ToImage(frame, Act1());
}

void ExpectRefusal(const clirun::Result& r, const char* says) {
  QCOMPARE(r.code, 2);
  QVERIFY(r.out.isEmpty());
  QVERIFY2(r.errLines().size() == 1, r.err.constData());
  QVERIFY2(r.err.contains(says), r.err.constData());
}

}  // namespace

class TestCliConvert : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir scratch_;
  QString Path(const QString& name) const { return scratch_.filePath(name); }

 private slots:
  void initTestCase() {
    QVERIFY(scratch_.isValid());
    if (fixtures::graphicsDir().isEmpty() || !QDir(fixtures::graphicsDir()).exists())
      QSKIP("graphics fixtures not found");
  }

  // DC6 -> PNG -> DC6 gives the same colours and offsets, frame by frame.
  void dc6ThroughPngAndBack() {
    for (const QString& name :
         {QStringLiteral("items/invcap.DC6"), QStringLiteral("ui/plugy/StashBtns.dc6")}) {
      const QString source = fixtures::graphicsFile(name);
      Dc6 image;
      QString fault;
      QVERIFY(ReadDc6(fixtures::readAll(source), image, fault));
      const QString out = Path(QStringLiteral("png-") + QFileInfo(name).baseName());
      const clirun::Result toPng =
          clirun::Run({QStringLiteral("convert"), source, out, QStringLiteral("--palette"), Pal()});
      QVERIFY2(toPng.code == 0, toPng.err.constData());
      QStringList pngs;
      for (uint32_t f = 0; f < image.framesPerDirection; ++f)
        pngs << QStringLiteral("%1/%2-d0-f%3.png").arg(out, QFileInfo(name).completeBaseName()).arg(f);
      QCOMPARE(QDir(out).entryList(QDir::Files).size(), pngs.size());
      const QString made = Path(QFileInfo(name).baseName() + QStringLiteral("-made.dc6"));
      const clirun::Result back = clirun::Run(QStringList{QStringLiteral("convert")} + pngs +
                                              QStringList{made, QStringLiteral("--palette"), Pal()});
      QVERIFY2(back.code == 0, back.err.constData());
      Dc6 again;
      QVERIFY2(ReadDc6(fixtures::readAll(made), again, fault), qPrintable(fault));
      QCOMPARE(again.frames.size(), image.frames.size());
      for (size_t i = 0; i < image.frames.size(); ++i) {
        QCOMPARE(QImage(pngs.at(qsizetype(i))).convertToFormat(QImage::Format_ARGB32),
                 Shown(image.frames[i].image));
        QCOMPARE(Shown(again.frames[i].image), Shown(image.frames[i].image));
        QCOMPARE(again.frames[i].image.offsetY, image.frames[i].image.offsetY);
      }
    }
  }

  // A DCC's frames each on their direction's box; a colour shift changes
  // the colours and not where the pixels are.
  void dccFramesOnTheirBox() {
    const QString source = fixtures::graphicsFile(QStringLiteral("monsters/blood/BloodSmall01.dcc"));
    Dcc dcc;
    QString fault;
    QVERIFY(ReadDcc(fixtures::readAll(source), dcc, fault));
    const QString out = Path(QStringLiteral("blood"));
    const QString shifted = Path(QStringLiteral("blood-shifted"));
    QCOMPARE(clirun::Run({QStringLiteral("convert"), source, out, QStringLiteral("--palette"), Pal()}).code,
             0);
    const QString map = fixtures::graphicsFile(QStringLiteral("items/Palette/invgreybrown.dat"));
    QCOMPARE(clirun::Run({QStringLiteral("convert"), source, shifted, QStringLiteral("--palette"), Pal(),
                          QStringLiteral("--colormap"), map, QStringLiteral("--shift"), QStringLiteral("11")})
                 .code,
             0);
    qsizetype files = 0;
    bool changed = false;
    for (size_t d = 0; d < dcc.directions.size(); ++d) {
      const DccDirection& direction = dcc.directions[d];
      for (size_t f = 0; f < direction.frames.size(); ++f, ++files) {
        const QString name = QStringLiteral("/BloodSmall01-d%1-f%2.png").arg(d).arg(f);
        const QImage plain(out + name), tinted(shifted + name);
        QCOMPARE(plain.size(), QSize(direction.box.width, direction.box.height));
        QCOMPARE(plain.convertToFormat(QImage::Format_ARGB32), Shown(direction.OnBox(f)));
        for (int y = 0; y < plain.height(); ++y)
          for (int x = 0; x < plain.width(); ++x) {
            QCOMPARE(qAlpha(plain.pixel(x, y)), qAlpha(tinted.pixel(x, y)));
            changed = changed || plain.pixel(x, y) != tinted.pixel(x, y);
          }
      }
    }
    QVERIFY(changed);
    QCOMPARE(QDir(out).entryList(QDir::Files).size(), files);
  }

  // act1 from the game folder: its extracted palette folder, else its archives.
  void paletteFromTheGame() {
    const QString source = fixtures::graphicsFile(QStringLiteral("items/invcap.DC6"));
    const QString extracted = Path(QStringLiteral("game-extracted"));
    QVERIFY(clirun::WriteFile(extracted + QStringLiteral("/data/global/palette/ACT1/pal.dat"),
                              fixtures::readAll(Pal())));
    const QString fromFile = Path(QStringLiteral("cap-file")), fromGame = Path(QStringLiteral("cap-game"));
    QCOMPARE(
        clirun::Run({QStringLiteral("convert"), source, fromFile, QStringLiteral("--palette"), Pal()}).code,
        0);
    QCOMPARE(clirun::Run({QStringLiteral("convert"), source, fromGame, QStringLiteral("--palette"),
                          QStringLiteral("ACT1"), QStringLiteral("--game"), extracted})
                 .code,
             0);
    QCOMPARE(clirun::Tree(fromGame), clirun::Tree(fromFile));
    // The game's archive, made by the program's own writer.
    const QString game = Path(QStringLiteral("game-archive"));
    QVERIFY(QDir().mkpath(game));
    const clirun::Result built = clirun::Run(
        {QStringLiteral("build"), extracted, QStringLiteral("-o"), game + QStringLiteral("/d2data.mpq")});
    QVERIFY2(built.code == 0, built.err.constData());
    const QString fromArchive = Path(QStringLiteral("cap-archive"));
    const clirun::Result r =
        clirun::Run({QStringLiteral("convert"), source, fromArchive, QStringLiteral("--palette"),
                     QStringLiteral("act1"), QStringLiteral("--game"), game});
    QVERIFY2(r.code == 0, r.err.constData());
    QCOMPARE(clirun::Tree(fromArchive), clirun::Tree(fromFile));
  }

  void badInputWritesNothing() {
    const QString dc6 = fixtures::graphicsFile(QStringLiteral("items/invcap.DC6"));
    const QString cut = Path(QStringLiteral("cut.dc6")), tiny = Path(QStringLiteral("tiny.dat"));
    QVERIFY(clirun::WriteFile(cut, fixtures::readAll(dc6).chopped(1)));
    QVERIFY(clirun::WriteFile(tiny, "abc"));
    const QString out = Path(QStringLiteral("never"));
    const QString pal = Pal();
    const QString convert = QStringLiteral("convert");
    ExpectRefusal(clirun::Run({convert, cut, out, QStringLiteral("--palette"), pal}), "not a sound DC6");
    ExpectRefusal(clirun::Run({convert, dc6, out}), "needs --palette");
    ExpectRefusal(clirun::Run({convert, dc6, out, QStringLiteral("--palette"), tiny}), "not a palette");
    ExpectRefusal(clirun::Run({convert, dc6, out, QStringLiteral("--palette"), QStringLiteral("act2")}),
                  "needs --game");
    ExpectRefusal(clirun::Run({convert, dc6, out, QStringLiteral("--palette"), QStringLiteral("act2"),
                               QStringLiteral("--game"), Path(QStringLiteral("no-game"))}),
                  "does not exist");
    ExpectRefusal(
        clirun::Run({convert, dc6, out, QStringLiteral("--palette"), pal, QStringLiteral("--colormap"),
                     fixtures::graphicsFile(QStringLiteral("items/Palette/invgreybrown.dat")),
                     QStringLiteral("--shift"), QStringLiteral("21")}),
        "tables 0 to 20");
    ExpectRefusal(clirun::Run({convert, dc6, out, QStringLiteral("--palette"), pal, QStringLiteral("--shift"),
                               QStringLiteral("1")}),
                  "go together");
    // A DC6 of no frames at all: nothing to convert is not a success.
    QByteArray empty(24, '\0');
    empty[0] = 6, empty[4] = 1;
    empty.replace(12, 4, "\xEE\xEE\xEE\xEE");
    const QString none = Path(QStringLiteral("none.dc6"));
    QVERIFY(clirun::WriteFile(none, empty));
    ExpectRefusal(clirun::Run({convert, none, out, QStringLiteral("--palette"), pal}), "holds no frames");
    QVERIFY(!QFileInfo::exists(out));
    // PNGs: one that is not a picture, a count no direction count divides,
    // an offset text that is no number (never taken as 0).
    QImage placed(2, 2, QImage::Format_ARGB32);
    placed.fill(Qt::red);
    placed.setText(QStringLiteral("OffsetX"), QStringLiteral("9999999999999"));
    const QString badOffset = Path(QStringLiteral("offset.png"));
    QVERIFY(placed.save(badOffset));
    ExpectRefusal(clirun::Run({convert, badOffset, Path(QStringLiteral("placed.dc6")), QStringLiteral("--palette"), pal}),
                  "OffsetX text");
    QVERIFY(!QFileInfo::exists(Path(QStringLiteral("placed.dc6"))));
    const QString png = Path(QStringLiteral("one.png")), fake = Path(QStringLiteral("fake.png"));
    QVERIFY(QImage(3, 3, QImage::Format_ARGB32).save(png));
    QVERIFY(clirun::WriteFile(fake, "not a png"));
    const QString made = Path(QStringLiteral("made.dc6"));
    ExpectRefusal(clirun::Run({convert, png, fake, made, QStringLiteral("--palette"), pal}),
                  "not a PNG picture");
    ExpectRefusal(clirun::Run({convert, png, png, png, made, QStringLiteral("--palette"), pal,
                               QStringLiteral("--directions"), QStringLiteral("2")}),
                  "directions");
    ExpectRefusal(clirun::Run({convert, png, QStringLiteral("made.txt"), QStringLiteral("--palette"), pal}),
                  "convert takes");
    QVERIFY(!QFileInfo::exists(made));
    QVERIFY(
        clirun::Run({QStringLiteral("convert"), QStringLiteral("--help")}).out.contains("NAME-dD-fF.png"));
  }
};

QTEST_GUILESS_MAIN(TestCliConvert)
#include "test_cli_convert.moc"

// Decoding every frame of the fixtures' DCC animations (each file read from
// disk and every direction decoded) against Qt reading the same frames back
// from PNG files, one a frame on its direction's box, as convert writes
// them: what a picture viewer of exported frames does instead. Each side
// yields index or RGBA pixels in memory; the two are timed in turns.
#include <QCoreApplication>
#include <QDirIterator>
#include <QImage>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "archive/graphics/Dcc.h"
#include "archive/graphics/FrameImage.h"
#include "archive/graphics/Palette.h"

namespace {

constexpr int kRuns = 9;

std::vector<std::string> FixtureDccs() {
  std::vector<std::string> found;
  for (const std::string& root : {bench::fixturesDir(), bench::fixturesDir() + "/../graphics"}) {
    QDirIterator it(QString::fromStdString(root), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      if (path.endsWith(QLatin1String(".dcc"), Qt::CaseInsensitive)) found.push_back(path.toStdString());
    }
  }
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::vector<std::string> dccs = FixtureDccs();
  bench::require(!dccs.empty(), "find the fixture DCCs");
  graphics::Palette palette;
  QString fault;
  const std::string pal =
      bench::readFile(bench::fixturesDir() + "/../graphics/data/global/palette/ACT1/pal.dat");
  bench::require(graphics::ReadPalette(QByteArray::fromStdString(pal), palette, fault),
                 "read the ACT1 palette");

  // The peer's files: every frame as a PNG on its direction's box.
  bench::ScratchDir scratch;
  std::vector<QString> pngs;
  qint64 pixels = 0;
  for (const std::string& path : dccs) {
    graphics::Dcc dcc;
    bench::require(graphics::ReadDcc(QByteArray::fromStdString(bench::readFile(path)), dcc, fault),
                   path + ": " + fault.toStdString());
    for (const graphics::DccDirection& direction : dcc.directions)
      for (size_t f = 0; f < direction.frames.size(); ++f) {
        const QString png = QString::fromStdString(scratch.file(std::to_string(pngs.size()) + ".png"));
        bench::require(graphics::ToImage(direction.OnBox(f), palette).save(png, "PNG"), "write a PNG");
        pngs.push_back(png);
        pixels += direction.frames[f].image.pixels.size();
      }
  }
  std::printf("# %zu DCC files, %zu frames, %lld frame pixels\n", dccs.size(), pngs.size(),
              static_cast<long long>(pixels));

  qint64 sink = 0;
  auto decode = [&] {
    for (const std::string& path : dccs) {
      graphics::Dcc dcc;
      QString why;
      bench::require(graphics::ReadDcc(QByteArray::fromStdString(bench::readFile(path)), dcc, why), "decode");
      for (const graphics::DccDirection& direction : dcc.directions)
        for (const graphics::DccFrame& frame : direction.frames) sink += frame.image.pixels.size();
    }
  };
  auto load = [&] {
    for (const QString& png : pngs) {
      QImage image;
      bench::require(image.load(png, "PNG"), "read a PNG");
      sink += image.width();
    }
  };
  decode();
  load();
  std::vector<double> ours, theirs;
  for (int i = 0; i < kRuns; ++i) {
    ours.push_back(bench::seconds(decode));
    theirs.push_back(bench::seconds(load));
  }
  std::printf("# sink %lld\n", static_cast<long long>(sink));
  bench::report("graphics_dcc_decode_all_frames", bench::median(ours), "s", "qt_png_read",
                bench::median(theirs), "0.5");
  return 0;
}

// The Edit page on the largest fixture DCC, read from a mod archive: the
// time from the page being asked to show the selected entry (read, decoded,
// drawn in the palette) to the first frame painted in the shown window,
// against Qt decoding the same frame from a PNG in memory, in one run. The
// figure is absolute: the first frame should be there within 20 ms.
#include <QApplication>
#include <QLabel>
#include <cstdio>
#include <vector>

#include "BenchSupport.h"
#include "EditPageBench.h"
#include "archive/ArchiveReader.h"
#include "archive/graphics/Dcc.h"
#include "archive/graphics/FrameImage.h"
#include "archive/graphics/Picture.h"
#include "forms/edit/picture/PicturePage.h"
#include "forms/files/FilesView.h"
#include "forms/main/untMain.h"
#include "platform/Ui.h"

namespace {

constexpr int kRuns = 15;
const QByteArray kEntry = "data\\global\\monsters\\S7\\TR\\S7TRLITA1HTH.dcc";

double MedianMs(const char* name, const std::function<void()>& run) {
  std::vector<double> times;
  std::printf("# %s runs (ms):", name);
  for (int i = 0; i < kRuns; ++i) {
    times.push_back(bench::seconds(run) * 1000);
    std::printf(" %.2f", times.back());
  }
  std::printf("\n");
  return bench::median(times);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string dccPath =
      bench::fixturesDir() + "/../graphics/data/global/monsters/blood/S7TRLITA1HTH.dcc";
  const std::string dcc = bench::readFile(dccPath);
  bench::require(!dcc.empty(), "read " + dccPath);
  bench::ScratchDir scratch;
  const QString mod = bench::ModWithEntry(scratch, "Pictures.QLM", dccPath, kEntry);
  bench::SaveTo answers(QString::fromStdString(scratch.file("unused")));
  ui::SetBackend(&answers);

  TfrmMain frm;
  bench::ShowOnEditPage(frm, mod, kEntry);
  frm.tbsEditEnter();
  auto* view = frm.PicturesPage->findChild<QLabel*>(QStringLiteral("lblPictureView"));
  bench::require(view != nullptr && !frm.PicturesPage->FrameShown().isNull(), "the DCC's first frame shown");

  int paints = 0;
  struct PaintCount : QObject {
    int* n;
    explicit PaintCount(int* count) : n(count) {}
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++*n;
      return false;
    }
  } counter(&paints);
  view->installEventFilter(&counter);
  auto showFirstFrame = [&] {
    frm.PicturesPage->Clear();
    QCoreApplication::processEvents();
    paints = 0;
    frm.tbsEditEnter();
    while (paints == 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  };

  // The peer: the same frame on its direction's box, as a PNG in memory.
  graphics::Dcc decoded;
  QString fault;
  bench::require(graphics::ReadDcc(QByteArray::fromStdString(dcc), decoded, fault), fault.toStdString());
  const QByteArray png = graphics::PngBytes(
      graphics::ToImage(decoded.directions[0].OnBox(0), frm.PicturesPage->CurrentPalette()));
  std::printf("# %zu bytes of DCC, %d directions of %zu frames; the frame's PNG %lld bytes\n", dcc.size(),
              int(decoded.directions.size()), decoded.directions[0].frames.size(),
              static_cast<long long>(png.size()));
  qint64 sink = 0;
  auto decodePng = [&] {
    QImage image;
    bench::require(image.loadFromData(png, "PNG"), "decode the PNG");
    sink += image.width();
  };

  showFirstFrame();
  decodePng();
  const double peer = MedianMs("qt_png_decode_frame", decodePng);
  const double ours = MedianMs("editpage_first_frame", showFirstFrame);
  std::printf("# sink %lld\n", static_cast<long long>(sink));
  bench::report("editpage_first_frame_largest_dcc", ours, "ms", "qt_png_decode_frame", peer, "20ms_absolute");

  view->removeEventFilter(&counter);
  frm.CommandsUpdated();
  ui::SetBackend(nullptr);
  ReleaseArchiveState();
  return 0;
}

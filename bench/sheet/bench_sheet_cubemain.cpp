// The largest real sheet: read, fill the grid and show it; save it; what the
// grid holds it in. Each against a plain split of the same bytes into
// string_view cells, in the same run.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

#include "BenchSupport.h"
#include "PlainSheet.h"
#include "archive/SheetCodec.h"
#include "forms/edit/SheetGridView.h"
#include "platform/AppError.h"

namespace {

constexpr int kRuns = 5;

using bench::PlainParse;
using bench::PlainSheet;

QString SheetPath() {
  QString dir = qEnvironmentVariable("QF_FIXTURES_DIR");
  if (dir.isEmpty()) dir = QStringLiteral(QF_FIXTURES_DIR);
  return dir + QStringLiteral("/data/global/excel/cubemain.txt");
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qsizetype PlainBytes(const QByteArray& bytes, const PlainSheet& rows) {
  qsizetype total = bytes.capacity() + qsizetype(rows.capacity() * sizeof(rows[0]));
  for (const auto& cells : rows) total += qsizetype(cells.capacity() * sizeof(std::string_view));
  return total;
}

void PlainWrite(const QString& path, const PlainSheet& rows, qsizetype size) {
  QByteArray text;
  text.reserve(size);
  for (const auto& cells : rows) {
    for (size_t c = 0; c < cells.size(); ++c) {
      if (c) text.append('\t');
      text.append(cells[c].data(), qsizetype(cells[c].size()));
    }
    text.append("\r\n", 2);
  }
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
    std::fprintf(stderr, "peer write failed\n");
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The median of kRuns; every run is listed on a comment line, the cold first one included.
double Seconds(const char* name, const std::function<void()>& run) {
  std::vector<double> times;
  std::printf("# %s runs (s):", name);
  for (int i = 0; i < kRuns; ++i) {
    QElapsedTimer timer;
    timer.start();
    run();
    times.push_back(double(timer.nsecsElapsed()) / 1e9);
    std::printf(" %.4f", times.back());
  }
  std::printf("\n");
  return Median(times);
}

void Bench(const char* name, double value, const char* unit, const char* peer, double peerValue,
           double target) {
  std::printf("BENCH %s %.4f %s vs %s %.4f ratio %.2f target %g\n", name, value, unit, peer, peerValue,
              peerValue > 0 ? value / peerValue : 0.0, target);
}

// As the Edit page fills the grid: header row fixed, then the sheet.
void FillGrid(SheetGrid& grid, const LineList& lines) {
  grid.SetRowCount(2);
  grid.SetColCount(1);
  grid.SetFixedRows(1);
  LinesToGrid(lines, grid);
}

class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString path = SheetPath();
  const QByteArray bytes = ReadAll(path);
  if (bytes.isEmpty()) {
    std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
    return 1;
  }
  const double sheetBytes = double(bytes.size());
  QTemporaryDir scratch;

  try {
    // Memory first, while the heap is fresh; freed memory goes back to the
    // system between the two so each growth is its own.
    bench::releaseFreeMemory();
    double rss0 = bench::residentBytes();
    auto grid = std::make_unique<SheetGrid>();
    FillGrid(*grid, LoadFileLines(path));
    const double rssOurs = double(bench::residentBytes() - rss0) / sheetBytes;
    const double storeOurs = double(grid->StoreBytes()) / sheetBytes;
    std::printf("# sheet %lld bytes, %d x %d cells, store %lld bytes\n", (long long)bytes.size(),
                grid->ColCount(), grid->RowCount(), (long long)grid->StoreBytes());
    grid.reset();
    bench::releaseFreeMemory();
    rss0 = bench::residentBytes();
    double storePeer, rssPeer;
    {
      const QByteArray copy = ReadAll(path);
      const PlainSheet plain = PlainParse(copy);
      rssPeer = double(bench::residentBytes() - rss0) / sheetBytes;
      storePeer = double(PlainBytes(copy, plain)) / sheetBytes;
    }
    bench::releaseFreeMemory();

    const double parsePeer = Seconds("plain_parse", [&] { PlainParse(ReadAll(path)); });
    const double show = Seconds("sheet_show", [&] {
      SheetGridView view;
      view.resize(1024, 700);
      PaintCounter counter;
      view.viewport()->installEventFilter(&counter);
      view.ChangeGrid([&](SheetGrid& g) { FillGrid(g, LoadFileLines(path)); });
      view.show();
      while (counter.paints == 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      view.viewport()->removeEventFilter(&counter);
    });
    Bench("sheet_show_cubemain", show, "s", "plain_parse", parsePeer, 0.25);

    SheetGrid saved;
    FillGrid(saved, LoadFileLines(path));
    const QString out = scratch.filePath(QStringLiteral("cubemain.txt"));
    const double save = Seconds("sheet_save", [&] { GridToFile(out, saved); });
    if (ReadAll(out) != bytes) std::fprintf(stderr, "saved sheet differs from the original\n");
    const PlainSheet plain = PlainParse(bytes);
    const QString peerOut = scratch.filePath(QStringLiteral("peer.txt"));
    const double savePeer = Seconds("plain_write", [&] { PlainWrite(peerOut, plain, bytes.size()); });
    Bench("sheet_save_cubemain", save, "s", "plain_write", savePeer, 0.2);

    Bench("sheet_store_cubemain", storeOurs, "x_sheet_bytes", "plain_cells", storePeer, 10);
    Bench("sheet_rss_growth_cubemain", rssOurs, "x_sheet_bytes", "plain_cells", rssPeer, 10);
  } catch (const AppError& e) {
    std::fprintf(stderr, "%s\n", qPrintable(e.message()));
    return 1;
  }
  return 0;
}

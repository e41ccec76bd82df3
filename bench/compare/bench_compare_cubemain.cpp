// The cell view of cubemain.txt (14,290 rows) against a copy with 1,000
// changed cells: the sheet diff and the view's model filled with it, against
// filling the Edit page's grid with the sheet.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

#include "archive/SheetCodec.h"
#include "archive/compare/SheetDiff.h"
#include "forms/compare/CompareCellModel.h"

namespace {

constexpr int kChanged = 1000;

// kChanged cells of the sheet's rows, spread over it, each one longer.
QByteArray WithChangedCells(const QByteArray& sheet) {
  QList<QByteArray> lines = sheet.split('\n');
  const int rows = int(lines.size()) - 2;  // no header, no empty tail
  for (int i = 0; i < kChanged; ++i) {
    QByteArray& line = lines[1 + qsizetype(i) * rows / kChanged];
    QList<QByteArray> cells = line.split('\t');
    cells[17] += "x";  // output
    line = cells.join('\t');
  }
  return lines.join('\n');
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QFile f(QStringLiteral(QF_FIXTURES_DIR "/data/global/excel/cubemain.txt"));
  if (!f.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "cubemain.txt not found\n");
    return 1;
  }
  const QByteArray here = f.readAll();
  const QByteArray there = WithChangedCells(here);
  const QByteArray name = "data\\global\\excel\\cubemain.txt";

  double view = 1e100, fill = 1e100;
  int cells = 0;
  for (int run = 0; run < 5; ++run) {
    QElapsedTimer timer;
    timer.start();
    CompareCellModel model;
    model.SetDiff(compare::DiffSheets(name, here, there));
    cells = model.Diff().ChangedCells();
    view = std::min(view, timer.nsecsElapsed() / 1e6);

    timer.restart();
    SheetGrid grid;
    LinesToGrid(SplitLines(there), grid);
    fill = std::min(fill, timer.nsecsElapsed() / 1e6);
    if (grid.RowCount() < 14000) return 1;
  }
  if (cells != kChanged) {
    std::fprintf(stderr, "%d changed cells found, %d made\n", cells, kChanged);
    return 1;
  }
  std::printf("BENCH compare_cubemain_cell_view %.2f ms vs fill_grid %.2f ratio %.2f target 1\n", view, fill,
              view / fill);
  return 0;
}

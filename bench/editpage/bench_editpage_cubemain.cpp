// The Edit page on the largest real sheet, read from a mod archive: entering
// the page (entry read, grid filled and painted offscreen) and saving it
// through the Save command; and what the filled grid holds. Against a plain
// parse of the same file into cells, and a plain write of them, in one run.

#include <QApplication>
#include <QFile>
#include <QStringList>
#include <QTabWidget>
#include <QTableView>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "BenchSupport.h"
#include "EditPageBench.h"
#include "archive/ArchiveReader.h"
#include "forms/edit/EditPageGrid.h"
#include "forms/files/FilesView.h"
#include "forms/main/untMain.h"
#include "platform/Ui.h"

namespace {

constexpr int kRuns = 5;
const QByteArray kEntry = "data\\global\\excel\\cubemain.txt";

// The peer: the file's bytes cut into lines and fields, each cell a view.
using PlainCells = std::vector<std::vector<std::string_view>>;

PlainCells PlainSplit(const std::string& text) {
  PlainCells rows;
  std::string_view rest(text);
  while (!rest.empty()) {
    const size_t eol = std::min(rest.find('\r'), rest.find('\n'));
    std::string_view line = rest.substr(0, eol);
    size_t skip = eol == std::string_view::npos ? rest.size() : eol + 1;
    if (eol != std::string_view::npos && rest[eol] == '\r' && eol + 1 < rest.size() && rest[eol + 1] == '\n')
      ++skip;
    rest.remove_prefix(skip);
    auto& cells = rows.emplace_back();
    for (size_t tab; (tab = line.find('\t')) != std::string_view::npos; line.remove_prefix(tab + 1))
      cells.push_back(line.substr(0, tab));
    cells.push_back(line);
  }
  return rows;
}

double PlainCellBytes(const std::string& text, const PlainCells& rows) {
  double total = double(text.capacity()) + double(rows.capacity() * sizeof(rows[0]));
  for (const auto& cells : rows) total += double(cells.capacity() * sizeof(cells[0]));
  return total;
}

void PlainWrite(const std::string& path, const PlainCells& rows, size_t size) {
  std::string text;
  text.reserve(size);
  for (const auto& cells : rows) {
    for (size_t c = 0; c < cells.size(); ++c) {
      if (c) text += '\t';
      text += cells[c];
    }
    text.append("\r\n");
  }
  bench::require(bench::writeFile(path, text), "peer write");
}

double MedianOfRuns(const char* name, const std::function<void()>& run) {
  std::vector<double> times;
  std::printf("# %s runs (s):", name);
  for (int i = 0; i < kRuns; ++i) {
    times.push_back(bench::seconds(run));
    std::printf(" %.4f", times.back());
  }
  std::printf("\n");
  return bench::median(times);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string sheetPath = bench::fixturesDir() + "/data/global/excel/cubemain.txt";
  const std::string sheet = bench::readFile(sheetPath);
  bench::require(!sheet.empty(), "read " + sheetPath);
  const double sheetBytes = double(sheet.size());
  bench::ScratchDir scratch;
  const QString mod = bench::ModWithEntry(scratch, "Cube.QLM", sheetPath, kEntry);
  const std::string saved = scratch.file("saved.txt");
  bench::SaveTo answers(QString::fromStdString(saved));
  ui::SetBackend(&answers);

  TfrmMain frm;
  bench::ShowOnEditPage(frm, mod, kEntry);
  auto* grid = qobject_cast<EditPageGrid*>(frm.StringGrid);
  bench::require(grid != nullptr, "the Edit page's grid");
  // A page left with a sheet in it keeps it until the next entry; start empty
  // so the first entry's memory is the grid's alone.
  frm.ListView->clearSelection();
  frm.tbsEditEnter();
  frm.SelectRow(0);

  int paints = 0;
  struct PaintCount : QObject {
    int* n;
    explicit PaintCount(int* count) : n(count) {}
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++*n;
      return false;
    }
  } counter(&paints);
  grid->viewport()->installEventFilter(&counter);
  auto enterAndShow = [&] {
    paints = 0;
    frm.tbsEditEnter();
    while (paints == 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  };

  bench::releaseFreeMemory();
  const double rss0 = bench::residentBytes();
  enterAndShow();
  const double rssOurs = (bench::residentBytes() - rss0) / sheetBytes;
  bench::require(grid->Grid().RowCount() > 1 && grid->Grid().ColCount() > 1, "cubemain shown");
  const double storeOurs = double(grid->Grid().StoreBytes()) / sheetBytes;
  std::printf("# sheet %.0f bytes, %d x %d cells\n", sheetBytes, grid->Grid().ColCount(),
              grid->Grid().RowCount());

  double rssPeer, storePeer;
  {
    bench::releaseFreeMemory();
    const double peer0 = bench::residentBytes();
    const std::string copy = bench::readFile(sheetPath);
    const PlainCells cells = PlainSplit(copy);
    rssPeer = (bench::residentBytes() - peer0) / sheetBytes;
    storePeer = PlainCellBytes(copy, cells) / sheetBytes;
  }

  const double parse = MedianOfRuns("plain_parse", [&] { PlainSplit(bench::readFile(sheetPath)); });
  const double show = MedianOfRuns("editpage_enter", enterAndShow);
  bench::report("editpage_enter_cubemain", show, "s", "plain_parse", parse, "0.25");

  const double save = MedianOfRuns("editpage_save", [&] { frm.tbSheetSaveClick(); });
  bench::require(bench::readFile(saved) == sheet, "the saved sheet equals the original");
  const PlainCells cells = PlainSplit(sheet);
  const std::string peerOut = scratch.file("peer.txt");
  const double write = MedianOfRuns("plain_write", [&] { PlainWrite(peerOut, cells, sheet.size()); });
  bench::report("editpage_save_cubemain", save, "s", "plain_write", write, "0.2");

  bench::report("editpage_store_cubemain", storeOurs, "x_sheet_bytes", "plain_cells", storePeer, "10");
  bench::report("editpage_rss_growth_cubemain", rssOurs, "x_sheet_bytes", "plain_cells", rssPeer, "10");

  grid->viewport()->removeEventFilter(&counter);
  frm.CommandsUpdated();  // nothing to write at close
  ui::SetBackend(nullptr);
  ReleaseArchiveState();
  return 0;
}

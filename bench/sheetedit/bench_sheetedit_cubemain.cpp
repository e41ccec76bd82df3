// The Edit page's grid on the largest real sheet, shown offscreen: one row
// inserted, duplicated and deleted, and each undone and redone, against
// filling the grid with the sheet; finding a value that stands only in the
// last row against a plain byte search of the sheet's text; Replace All of
// a value in about 10,000 cells and pasting a 1,000-row block against the
// fill; and the history's memory after 1,000 typed cells and 100 duplicated
// rows against the sheet's size. All in one run.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <cstring>

#include "BenchSupport.h"
#include "archive/SheetCodec.h"
#include "archive/sheetedit/ClipboardText.h"
#include "forms/edit/EditPageGrid.h"
#include "forms/edit/SheetGridModel.h"

namespace {

constexpr int kRuns = 7;
constexpr int kMiddleRow = 7000;

double MedianOf(const char* name, const std::function<void()>& prepare, const std::function<void()>& run,
                const std::function<void()>& after = {}) {
  std::vector<double> times;
  std::printf("# %s runs (s):", name);
  for (int i = 0; i < kRuns; ++i) {
    if (prepare) prepare();
    times.push_back(bench::seconds(run));
    if (after) after();
    std::printf(" %.5f", times.back());
  }
  std::printf("\n");
  return bench::median(times);
}

// As the Edit page fills the grid: header row fixed, then the sheet.
void Fill(EditPageGrid& grid, const QString& path) {
  grid.ChangeGrid([&](SheetGrid& g) {
    g.SetRowCount(2);
    g.SetColCount(1);
    g.SetFixedRows(1);
    LinesToGrid(LoadFileLines(path), g);
  });
}

// A change and all the view does for it (its signals, the delayed layout)
// short of painting: a paint costs the same few milliseconds whatever
// changed, bounded by the window, not the sheet. The paint follows, untimed.
QWidget* shownView = nullptr;

void Shown(const std::function<void()>& change) {
  shownView->setUpdatesEnabled(false);
  change();
  QCoreApplication::processEvents();
  shownView->setUpdatesEnabled(true);
}

// The same, and then one paint of the whole window.
void Painted(const std::function<void()>& change) {
  Shown(change);
  static_cast<QAbstractScrollArea*>(shownView)->viewport()->repaint();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string sheetPath = bench::fixturesDir() + "/data/global/excel/cubemain.txt";
  const std::string sheet = bench::readFile(sheetPath);
  bench::require(!sheet.empty(), "read " + sheetPath);
  const QString path = QString::fromStdString(sheetPath);
  const double sheetBytes = double(sheet.size());

  EditPageGrid grid;
  grid.resize(1024, 700);
  grid.show();
  shownView = &grid;
  Fill(grid, path);
  QCoreApplication::processEvents();
  SheetEditor& editor = grid.Editor();
  const QByteArray original = QByteArray::fromStdString(sheet);
  auto text = [&] {
    QByteArray out;
    for (int r = 0; r < grid.Grid().RowCount(); ++r) {
      grid.Grid().AppendJoinedRow(r, out);
      out.append("\r\n");
    }
    return out;
  };
  std::printf("# sheet %.0f bytes, %d x %d cells\n", sheetBytes, grid.Grid().ColCount(),
              grid.Grid().RowCount());

  const double fill = MedianOf("fill", {}, [&] { Shown([&] { Fill(grid, path); }); });
  const double fillPainted = MedianOf("fill_painted", {}, [&] { Painted([&] { Fill(grid, path); }); });
  grid.ShowCell({3, kMiddleRow});
  QCoreApplication::processEvents();

  // ---- One row: the command, its undo, its redo.
  struct RowCommand {
    const char* name;
    std::function<void()> run;
  };
  const RowCommand rowCommands[] = {
      {"insert", [&] { editor.InsertRow(kMiddleRow); }},
      {"duplicate", [&] { editor.DuplicateRows({kMiddleRow}); }},
      {"delete", [&] { editor.DeleteRows({kMiddleRow}); }},
  };
  for (const RowCommand& command : rowCommands) {
    const std::string name = std::string("sheetedit_") + command.name + "_row_cubemain";
    const double done = MedianOf(
        command.name, {}, [&] { Shown(command.run); }, [&] { Shown([&] { editor.Undo(); }); });
    const double undone = MedianOf(
        "undo", [&] { Shown(command.run); }, [&] { Shown([&] { editor.Undo(); }); });
    const double redone = MedianOf(
        "redo",
        [&] {
          Shown(command.run);
          Shown([&] { editor.Undo(); });
        },
        [&] { Shown([&] { editor.Redo(); }); }, [&] { Shown([&] { editor.Undo(); }); });
    const double painted = MedianOf(
        "painted", {}, [&] { Painted(command.run); }, [&] { Painted([&] { editor.Undo(); }); });
    bench::report(name, done, "s", "fill", fill, "0.1");
    bench::report(name + "_undo", undone, "s", "fill", fill, "0.1");
    bench::report(name + "_redo", redone, "s", "fill", fill, "0.1");
    bench::report(name + "_painted", painted, "s", "fill_painted", fillPainted, "none");
  }
  bench::require(text() == original, "the sheet is as read after every undo");

  // ---- Find: the value stands only in the last row.
  const QByteArray needle = "Zod Rune -> Wo Rune x2";
  bench::require(original.count(needle) == 1 &&
                     original.lastIndexOf(needle) > original.lastIndexOf("\r\n", original.size() - 3),
                 "the value stands only in the last row");
  const double peerFind = MedianOf("memmem", {}, [&] {
    const void* at = bench::findBytes(original.constData(), size_t(original.size()), needle.constData(),
                                      size_t(needle.size()));
    bench::require(at != nullptr, "memmem finds it");
  });
  for (const bool matchCase : {false, true}) {
    const SheetFinder finder(needle, {matchCase, false});
    const double find = MedianOf("find", {}, [&] {
      const SheetFinder::Hit hit = finder.Next(grid.Grid(), 0, 1);
      bench::require(hit.row == grid.Grid().RowCount() - 1, "found in the last row");
    });
    bench::report(
        matchCase ? "sheetedit_find_last_row_match_case_cubemain" : "sheetedit_find_last_row_cubemain", find,
        "s", "memmem", peerFind, "5");
  }

  // ---- Replace All of "20", in 9,260 cells.
  int changed = 0;
  const double replace = MedianOf(
      "replace_all", {}, [&] { Shown([&] { changed = editor.ReplaceAll(SheetFinder("20", {}), "21"); }); },
      [&] { Shown([&] { editor.Undo(); }); });
  std::printf("# Replace All changed %d cells\n", changed);
  bench::report("sheetedit_replace_all_cubemain", replace, "s", "fill", fill, "0.5");

  // ---- Paste of 1,000 rows of 105 cells, at row 5,000.
  const QList<QByteArray> block =
      clipboardtext::Rows(clipboardtext::FromCells(grid.Grid(), 0, 1, grid.Grid().ColCount() - 1, 1000));
  const double paste = MedianOf(
      "paste", {}, [&] { Shown([&] { editor.Paste(0, 5000, block); }); },
      [&] { Shown([&] { editor.Undo(); }); });
  bench::report("sheetedit_paste_1000x105_cubemain", paste, "s", "fill", fill, "0.5");
  bench::require(text() == original, "the sheet is as read after every undo");

  // ---- The history after 1,000 typed cells and 100 duplicated rows.
  editor.NewHistory();
  SheetGridModel& model = *grid.GridModel();
  for (int i = 0; i < 1000; ++i) {
    model.setData(model.index(1 + i * 13, i % 105), QStringLiteral("typed %1").arg(i));
    editor.EndTyping();
  }
  for (int i = 0; i < 100; ++i) editor.DuplicateRows({1 + i * 140});
  bench::require(editor.Stack().count() == 1100, "1,100 steps");
  bench::report("sheetedit_history_1000_edits_100_duplicates", double(editor.HistoryBytes()), "bytes",
                "sheet_bytes", sheetBytes, "0.5");
  while (editor.Stack().canUndo()) editor.Undo();
  bench::require(text() == original, "the sheet is as read after undoing everything");
  return 0;
}

// The Files list with 10,000 rows, as Open fills it: filling in one go,
// sorting by a header, and emptying, each with the list on screen and the
// view's layout done, against a QStandardItemModel in the same kind of view.
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "forms/main/ModListModel.h"
#include "forms/main/untMain.h"
#include "platform/Ansi.h"

namespace {

constexpr int kRows = 10000;
constexpr int kRuns = 7;

QList<ModEntry> Entries() {
  QList<ModEntry> rows;
  rows.reserve(kRows);
  for (int i = 0; i < kRows; ++i)
    rows << ModEntry{"data\\global\\excel\\sheet" + QByteArray::number((i * 7919) % kRows) + ".txt",
                     SizeText((i * 104729) % 3000000), QString()};
  return rows;
}

// Median milliseconds of run(), with prepare() before each run, untimed.
double MedianMs(const std::function<void()>& prepare, const std::function<void()>& run) {
  std::vector<double> ms;
  for (int i = 0; i < kRuns; ++i) {
    prepare();
    QApplication::processEvents();
    QElapsedTimer t;
    t.start();
    run();
    QApplication::processEvents();  // the view's layout and paint
    ms.push_back(t.nsecsElapsed() / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

void Print(const char* name, double ms, double peerMs, const char* target) {
  std::printf("BENCH %s %.2f ms vs QStandardItemModel %.2f ratio %.2f target %s\n", name, ms, peerMs,
              ms / peerMs, target);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QList<ModEntry> entries = Entries();

  TfrmMain frm;
  frm.show();
  QTreeView peerView;
  QStandardItemModel peer(0, 2);
  peer.setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size")});
  peerView.setModel(&peer);
  peerView.setRootIsDecorated(false);
  peerView.setUniformRowHeights(true);
  peerView.header()->setSectionResizeMode(0, QHeaderView::Stretch);
  peerView.header()->setSectionResizeMode(1, QHeaderView::Fixed);
  peerView.resize(640, 400);
  peerView.show();
  auto peerFill = [&] {
    peer.setRowCount(0);
    for (const ModEntry& e : entries)
      peer.appendRow({new QStandardItem(ansi::toDisplay(e.Caption)), new QStandardItem(e.SizeText)});
  };

  const double fill = MedianMs([&] { frm.Rows->Clear(); }, [&] { frm.Rows->AppendMany(entries); });
  const double peerFillMs = MedianMs([&] { peer.setRowCount(0); }, peerFill);
  Print("filelist_fill_10000", fill, peerFillMs, "<=20ms");

  const double sort = MedianMs(
      [&] {
        frm.Rows->Clear();
        frm.Rows->AppendMany(entries);
      },
      [&] { frm.Rows->sort(ModListModel::NameColumn, Qt::AscendingOrder); });
  const double peerSort = MedianMs(peerFill, [&] { peer.sort(0, Qt::AscendingOrder); });
  Print("filelist_sort_name_10000", sort, peerSort, "<=100ms");

  const double clear = MedianMs([&] { frm.Rows->AppendMany(entries); }, [&] { frm.Rows->Clear(); });
  const double peerClear = MedianMs(peerFill, [&] { peer.setRowCount(0); });
  Print("filelist_clear_10000", clear, peerClear, "<=5ms");

  // One row at a time from the top, as Remove does with a selected first row.
  const double removeOne = MedianMs(
      [&] {
        frm.Rows->Clear();
        frm.Rows->AppendMany(entries);
      },
      [&] {
        for (int i = 0; i < 1000; ++i) frm.Rows->RemoveRows(0, 1);
      });
  const double peerRemoveOne = MedianMs(peerFill, [&] {
    for (int i = 0; i < 1000; ++i) peer.removeRow(0);
  });
  Print("filelist_remove_first_1000_of_10000", removeOne, peerRemoveOne, "<=50ms");
  return 0;
}

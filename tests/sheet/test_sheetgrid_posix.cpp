// The sheet store handed a cell it cannot hold: a debug build stops on its
// assertion, a release build stores nothing. Each write runs in a forked
// child, so the assertion ends the child only.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest>
#include <csignal>
#include <cstdio>

#include "archive/SheetGrid.h"

namespace {

QByteArray Joined(const SheetGrid& grid, int row) {
  QByteArray out;
  grid.AppendJoinedRow(row, out);
  return out;
}

// Runs write in a child process: true when the grid refused it there, by
// the assertion of a debug build, or in a release build by storing nothing
// (write returns whether the cells are as they were).
bool RefusedInChild(const std::function<bool()>& write) {
  const pid_t child = fork();
  if (child == 0) {
    // Quiet, and without the test's own handler, which would report the
    // assertion as the parent's failure.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    std::signal(SIGABRT, SIG_DFL);  // no stack dump by the test's crash handler
    _exit(write() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
#ifdef QT_NO_DEBUG
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
#else
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT;
#endif
}

}  // namespace

class TestSheetGridPosix : public QObject {
  Q_OBJECT
 private slots:
  // A cell with a TAB or a line end would be saved as a shifted row: the
  // store itself takes none, whichever way it is written.
  void separatorsNeverBecomeCellText() {
    for (const QByteArray bad : {"a\tb", "a\r", "\nb"}) {
      QVERIFY(RefusedInChild([bad] {
        SheetGrid grid;
        grid.SetColCount(3);
        grid.FillRowFromLine(0, "x\ty\tz");
        return !grid.SetCell(1, 0, bad) && Joined(grid, 0) == "x\ty\tz";
      }));
      QVERIFY(RefusedInChild([bad] {
        SheetGrid grid;
        grid.SetColCount(3);
        grid.FillRowFromLine(0, "x\ty\tz");
        const std::vector<QByteArrayView> texts{"ok", bad};
        return !grid.SetRowCells(0, 0, texts) && Joined(grid, 0) == "x\ty\tz";
      }));
    }
  }
};

QTEST_GUILESS_MAIN(TestSheetGridPosix)
#include "test_sheetgrid_posix.moc"

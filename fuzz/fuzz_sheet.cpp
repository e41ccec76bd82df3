// A sheet as the Edit page reads and saves it: split into lines, shown in the
// grid, written to a file, read back. The grid read back must hold the same
// cells; an empty sheet must raise the index error on a one-by-one grid.
#include <QByteArray>

#include "FuzzSupport.h"
#include "archive/SheetCodec.h"
#include "archive/TextLines.h"
#include "platform/AppError.h"

namespace {

bool ShowLines(const LineList& lines, SheetGrid& grid) {
  try {
    LinesToGrid(lines, grid);
    return true;
  } catch (const AppError& error) {
    fuzz::Check(lines.isEmpty(), "LinesToGrid failed on lines");
    fuzz::Check(error.message() == QStringLiteral("List index out of bounds (0)"), "wrong empty-sheet message");
    fuzz::Check(grid.RowCount() == 1 && grid.ColCount() == 1 && grid.FixedRows() == 0, "empty sheet grid size");
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::EnsureApp();
  const LineList lines = SplitLines(reinterpret_cast<const char*>(data), qsizetype(size));
  for (const QByteArray& line : lines)
    fuzz::Check(!line.contains('\r') && !line.contains('\n') && !line.contains('\0'), "line keeps a line end");

  SheetGrid grid;
  grid.SetRowCount(2);
  grid.SetFixedRows(1);
  if (!ShowLines(lines, grid)) return 0;
  fuzz::Check(grid.RowCount() == lines.size(), "one row per line");
  fuzz::Check(grid.ColCount() == lines.first().count('\t') + 1, "one column per header TAB plus one");

  const QString& path = fuzz::ScratchPath(".txt");
  GridToFile(path, grid);
  SheetGrid back;
  back.SetRowCount(2);
  back.SetFixedRows(1);
  fuzz::Check(ShowLines(LoadFileLines(path), back), "a written sheet reads back empty");
  fuzz::Check(back.RowCount() == grid.RowCount() && back.ColCount() == grid.ColCount(), "size changed");
  for (int r = 0; r < grid.RowCount(); ++r)
    for (int c = 0; c < grid.ColCount(); ++c) fuzz::Check(back.Cell(c, r) == grid.Cell(c, r), "cell changed");
  return 0;
}

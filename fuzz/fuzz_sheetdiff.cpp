// Two versions of a sheet compared cell by cell, as Compare shows them. The
// input is split in two at the first NUL (or in the middle); its first byte
// picks the sheet's name, and so its key column. Every row and cell a diff
// names lies inside its side, each row of either side at most once; a
// changed cell differs; a sheet compared with itself has no changes.
#include <QByteArray>

#include "FuzzSupport.h"
#include "archive/compare/KeyColumn.h"
#include "archive/compare/SheetDiff.h"

namespace {

void CheckInside(const compare::SheetDiff& diff) {
  const auto lines = [](const std::vector<QByteArrayView>& v) { return int(v.size()); };
  for (const compare::RowChange& row : diff.rows) {
    fuzz::Check(row.rowHere < lines(diff.LinesHere()) && row.rowThere < lines(diff.LinesThere()), "row outside");
    fuzz::Check((row.state == compare::RowState::OnlyThere) == (row.rowHere < 0), "only there with a row here");
    fuzz::Check((row.state == compare::RowState::OnlyHere) == (row.rowThere < 0), "only here with a row there");
    for (const compare::CellChange& cell : row.cells) {
      fuzz::Check(cell.colHere < diff.headerHere.size() && cell.colThere < diff.headerThere.size(),
                  "cell outside its header");
      fuzz::Check(row.state != compare::RowState::Changed || cell.before != cell.after, "a same cell as changed");
    }
    (void)diff.RowLabel(row);
  }
  fuzz::Check(int(diff.thereColumnOf.size()) == diff.headerHere.size(), "a column here without its match");
  for (int c : diff.thereColumnOf) fuzz::Check(c < diff.headerThere.size(), "matched to a column not there");
}

// No line of either side stands for two rows of the diff.
void CheckOnce(const compare::SheetDiff& diff) {
  std::vector<char> here(diff.LinesHere().size(), 0), there(diff.LinesThere().size(), 0);
  for (const compare::RowChange& row : diff.rows) {
    if (row.rowHere >= 0) fuzz::Check(row.rowHere > 0 && !here[size_t(row.rowHere)]++, "a row here twice");
    if (row.rowThere >= 0) fuzz::Check(row.rowThere > 0 && !there[size_t(row.rowThere)]++, "a row there twice");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::EnsureApp();
  if (size < 1) return 0;
  static const char* const kNames[] = {"data\\global\\excel\\weapons.txt", "data\\global\\excel\\cubemain.txt",
                                       "data\\global\\excel\\TreasureClassEx.txt", "data\\global\\excel\\other.txt"};
  const QByteArray name = kNames[data[0] % 4];
  const QByteArray rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
  qsizetype cut = rest.indexOf('\0');
  if (cut < 0) cut = rest.size() / 2;
  const QByteArray here = rest.left(cut), there = rest.mid(cut + 1);
  static const compare::KeyColumnProvider keys = compare::SheetKeyColumns();

  const compare::SheetDiff self = compare::DiffSheets(name, here, here, keys);
  fuzz::Check(self.CellsSame(), "a sheet differs from itself");
  for (const bool turned : {false, true}) {
    const compare::SheetDiff diff = turned ? compare::DiffSheets(name, there, here, keys)
                                           : compare::DiffSheets(name, here, there, keys);
    CheckInside(diff);
    CheckOnce(diff);
  }
  return 0;
}

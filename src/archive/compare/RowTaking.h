#pragma once
// The other side's version of chosen rows written into this side's sheet:
// a changed row takes the other side's cells in the columns both have, a row
// only there is put in where it stands there, a row only here is taken out.
// Every other byte of the sheet stays as it was.
#include <vector>

#include "archive/SheetGrid.h"
#include "archive/compare/SheetDiff.h"

namespace compare {

// grid holds this side's version of the sheet as diff was made from it (row
// r is line r). chosen: indices into diff.rows. Returns how many rows
// changed; the grid is untouched when none did.
int TakeRows(SheetGrid& grid, const SheetDiff& diff, std::vector<int> chosen);

}  // namespace compare

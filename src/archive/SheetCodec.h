#pragma once
// Sheets (TAB-separated single-byte text) to grid cells and back.
#include <QString>

#include "archive/SheetGrid.h"
#include "archive/TextLines.h"

// Sizes the grid to the lines (rows) and the TABs of the first line (columns)
// and writes every cell. An empty list raises AppError("List index out of
// bounds (0)") once the grid is one row by one column, no cell written.
void LinesToGrid(const LineList& lines, SheetGrid& grid);

// Writes every row, TAB-joined, with CR LF after each, in one write.
// "Cannot create file <path>" when the file cannot be made or replaced (then
// nothing is written); "Stream write error" when writing fails. An existing
// regular file is replaced only once the whole text is safely on disk.
void GridToFile(const QString& path, const SheetGrid& grid);

// The whole disk file split into lines; "Cannot open file <path>" when it
// cannot be opened for reading.
LineList LoadFileLines(const QString& path);

#pragma once
// The lines the compare command prints for one changed entry: a sheet's
// changed cells ("NAME:KEY:COLUMN: OLD -> NEW"), its rows and columns only
// on one side ("-" only in the first side, "+" only in the other), moved
// rows; for any other entry its sizes and first differing byte. Names and
// cells are shown as Windows-1252 text in UTF-8; a string table's texts as
// UTF-8, quoted with C escapes where they hold a line end, as info shows texts.
#include <QByteArray>
#include <QList>

#include "archive/compare/ByteDifference.h"
#include "archive/compare/SheetDiff.h"

namespace cli {

// stringTable: the diff is of a string table's rows (Key and Text).
QList<QByteArray> SheetReport(const QByteArray& name, const compare::SheetDiff& diff,
                              bool stringTable = false);
QList<QByteArray> BytesReport(const QByteArray& name, const compare::ByteDifference& diff);

// Single-byte text as the terminal shows it.
QByteArray Shown(const QByteArray& bytes);

}  // namespace cli

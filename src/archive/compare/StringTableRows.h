#pragma once
// A string table (.tbl) compared as a sheet of two columns, Key and Text, one
// row a string in file order: the cell comparison then matches strings by
// key, the n-th string of a repeated key with the n-th. Line ends, TABs and
// backslashes in keys and texts are written as \n, \r, \t and \\, so every
// string stays one row of two cells.
#include <QByteArray>
#include <optional>

namespace compare {

// The table as sheet text; none when the bytes are no valid string table
// (it is then compared by bytes).
std::optional<QByteArray> StringTableRows(const QByteArray& bytes);

}  // namespace compare

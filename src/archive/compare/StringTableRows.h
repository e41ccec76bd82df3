#pragma once
// A string table (.tbl) compared as a sheet of two columns, Key and Text, one
// row a string in file order: the cell comparison then matches strings by
// key, the n-th string of a repeated key with the n-th. Line ends, TABs and
// backslashes in keys and texts are written as \n, \r, \t and \\, so every
// string stays one row of two cells.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace compare {

// The table as sheet text; none when the bytes are no valid string table
// (it is then compared by bytes).
std::optional<QByteArray> StringTableRows(const QByteArray& bytes);

inline constexpr int kStringKeyColumn = 0;
inline constexpr int kStringTextColumn = 1;

// A cell of those rows as its key's or text's own bytes again.
QByteArray StringTableCell(QByteArrayView cell);

// A cell of those rows as the string table editor shows its key or text:
// keys as Windows-1252, texts as UTF-8 (a text that is not shows its odd
// bytes as \xNN). Line ends stay line ends.
QString ShownStringCell(int column, QByteArrayView cell);

}  // namespace compare

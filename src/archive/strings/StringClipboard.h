#pragma once
// A block of strings as text for the clipboard, the way spreadsheet
// programs exchange it: cells joined by TAB, rows ended by CR LF. Texts hold
// line ends and may hold TABs, so a cell holding a TAB, a CR, an LF or
// starting with a double quote is put in double quotes, its quotes doubled.
#include <QString>
#include <QStringList>
#include <vector>

namespace stringclipboard {

QString FromRows(const std::vector<QStringList>& rows);

// The rows of a pasted text; a line end at the very end adds no row.
std::vector<QStringList> Rows(const QString& text);

}  // namespace stringclipboard

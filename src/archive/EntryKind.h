#pragma once
// What kind of entry an internal name is, told by its extension: sheets are
// the names ending in ".txt", string tables those ending in ".tbl", in any
// letter case.
#include <QByteArray>

// The part of name from its last "." on, provided no "\" and no ":" follows
// that "."; empty otherwise ("data\excel.txt\readme" has none).
QByteArray EntryExtension(const QByteArray& name);

// Whether the extension is ".txt", folding only the ASCII letters a to z:
// internal names are bytes, and no locale decides what they mean.
bool IsSheetEntry(const QByteArray& name);

// Whether the extension is ".tbl", folding as IsSheetEntry does. Font tables
// share it; reading tells them apart.
bool IsStringTableEntry(const QByteArray& name);

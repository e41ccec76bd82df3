#pragma once
// Which entries of the Files list are sheets: those whose internal name has
// the extension ".txt", in any letter case.
#include <QByteArray>

// The part of name from its last "." on, provided no "\" and no ":" follows
// that "."; empty otherwise ("data\excel.txt\readme" has none).
QByteArray EntryExtension(const QByteArray& name);

// Whether the extension is ".txt", folding only the ASCII letters a to z:
// internal names are bytes, and no locale decides what they mean.
bool IsSheetEntry(const QByteArray& name);

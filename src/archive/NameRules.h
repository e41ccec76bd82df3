#pragma once
// What an internal name may be: one Update can store in an archive, and one
// Export All can write below a chosen folder without leaving it.
#include <QByteArray>
#include <QList>
#include <QString>

namespace names {

// False for a name that would break the archive's "(listfile)" or stand in
// for the archive's own entries: a line end in it, or "(listfile)",
// "(attributes)" or "(signature)" in any letter case.
bool Storable(const QByteArray& name);

// The folder levels a name is written under, each backslash a level. Empty
// for a name that could land anywhere but below the folder: an empty level
// (so an absolute name, or two backslashes in a row), "." or "..", or a drive
// letter in front.
QList<QByteArray> ExportLevels(const QByteArray& name);

// True when a level of the name is empty, "." or "..": the name climbs or
// skips a level wherever it is written.
bool HasDotOrEmptyLevel(const QByteArray& name);

}  // namespace names

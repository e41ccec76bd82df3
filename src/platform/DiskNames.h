#pragma once
// Whether a name can be one level of a path on this system, and paths made of
// such levels below a folder.
#include <QString>
#include <QStringList>

namespace files {

// False for an empty name, ".", "..", and a name this file system cannot hold
// (a separator or a NUL in it, or longer than a file name may be; on Windows
// also a device's name such as "CON", "CONIN$" or "LPT1.txt", a name ending in a dot
// or a space, and one holding < > : " | ? * or a control character).
bool CanBeFileName(const QString& name);
// Why a name CanBeFileName refuses is not written, as a message's reason
// ("not extracted: CON (Windows cannot hold the name)").
QString CannotHoldName();

// True when path itself (not what it leads to) is a symbolic link; on
// Windows also a junction or any other reparse point.
bool IsLink(const QString& path);

// folder, then each level as one folder level (the last one the file); empty
// when a level cannot be a file name here.
QString PathBelow(const QString& folder, const QStringList& levels);

// True when a level of path below folder (the path's own last level included)
// is a symbolic link: writing there would follow it, maybe out of folder.
// path must lie below folder.
bool LinkOnTheWay(const QString& folder, const QString& path);

// The form two paths share exactly when this system's file system takes them
// as one file (where it ignores letter case, "A.TXT" and "a.txt" share it).
QString DiskNameKey(const QString& path);

}  // namespace files

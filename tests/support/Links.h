#pragma once
// Links for the tests that check a link is never written through.
#include <QString>

namespace fixtures {

// Makes link a symbolic link leading to target (a file or a folder; on
// Windows a real symbolic link, never a shortcut). False when the system or
// the file system refuses one.
bool makeLink(const QString& target, const QString& link);

}  // namespace fixtures

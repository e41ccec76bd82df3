#pragma once
// Files the program makes on the user's behalf and keeps only while it runs:
// another mod's version of an entry, taken over to be written by the next
// Update. They live in a folder of this run of the program, removed when it
// ends.
#include <QByteArray>
#include <QString>

namespace files {

// The folder, made at the first call; empty when none can be made.
QString WorkFolder();

// Writes bytes to a new file in the work folder under fileName (each file in
// a folder of its own, so names never clash); the file's path, or empty
// when it cannot be written.
QString WriteWorkFile(const QString& fileName, const QByteArray& bytes);

}  // namespace files

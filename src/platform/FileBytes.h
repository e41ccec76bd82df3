#pragma once
// Whole files read into memory, and names looked up in a folder the way the
// game's Windows file system finds them: without regard to letter case.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace files {

// The file's bytes; false (bytes untouched) when it cannot be read.
bool ReadFileBytes(const QString& path, QByteArray& bytes);

// The path below folder whose levels match levels without regard to ASCII
// letter case (the exact spelling first); empty when there is none.
QString FindCaseBlind(const QString& folder, const QStringList& levels);

bool FolderExists(const QString& path);

}  // namespace files

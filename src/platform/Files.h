#pragma once
// File services the commands need: the temporary folder, exclusive temporary
// files, a file's size as a directory listing reports it, existence, deletion
// and copying. Paths are native disk paths.
#include <QString>
#include <QtGlobal>
#include <memory>

class QFile;

namespace files {

// The user's temporary folder, ending with a separator; empty (the current
// folder) when the system names none that exists.
QString TempFolder();

// Creates a new file in the temporary folder, open for writing, under a name
// made from nameTemplate by replacing its "XXXXXX" with characters that make it
// unique. Creation is exclusive: an existing file or a symbolic link at the
// chosen name is never opened or followed. Null when no file can be created.
std::unique_ptr<QFile> CreateUniqueTempFile(const QString& nameTemplate);

// The size of what is at path, as a listing of its folder shows it: the
// low 32 bits of a file's size, 0 for a folder or when nothing is there.
qint32 FileSizeBySearch(const QString& path);

// True when path names a file (or a link to one), not a folder.
bool FileExists(const QString& path);

bool DeleteFile(const QString& path);

// True when a new file can be made in folder now (tried with a hidden file,
// removed at once): the right to write says too little for a superuser or a
// file system mounted read-only.
bool FolderTakesFiles(const QString& folder);

// Copies the file from to the path to, replacing a file that is there. Where
// the destination's folder allows it, the copy is written beside it and
// renamed over it, so a failed copy leaves the old file as it was.
bool CopyFile(const QString& from, const QString& to);

}  // namespace files

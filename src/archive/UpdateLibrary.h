#pragma once
// The binding of the archive-update library ARCHWRIT, loaded at run time for
// the length of one Update. Load, call the entry points, unload.
#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Releases a library held before, then loads ARCHWRIT (libARCHWRIT.so beside
// the executable first, then the system's search, which for an installed copy
// takes in its private library folder through the program's run path),
// resolves its six exports and initialises it. False, holding no library, when
// any of that fails.
bool LoadUpdateLibrary();
void UnloadUpdateLibrary();

namespace UpdateLibrary {

using ArchiveHandle = void*;

// Open values and add flags the program passes.
constexpr quint32 kOpenExisting = 5;
constexpr quint32 kOpenCreate = 9;
constexpr quint32 kMaxFiles = 1000;
constexpr quint32 kAddNew = 0x10200;
constexpr quint32 kAddReplace = 0x10201;

// The entry points. Each forwards to the library held; with none held, with a
// null archive handle, or for a path or name holding a NUL byte, nothing is
// called and the result is 0.
// Disk paths are passed in the system's file-name encoding, entry names byte
// for byte.
ArchiveHandle MpqOpenArchiveForUpdate(const QString& archivePath, quint32 openValue, quint32 maxFiles);
qint32 MpqCloseUpdatedArchive(ArchiveHandle archive, quint32 reserved);
qint32 MpqAddFileToArcive(ArchiveHandle archive, const QString& sourcePath, const QByteArray& entryName,
                          quint32 flags);
// The same with the source's disk path as the bytes the system's calls take.
qint32 MpqAddDiskFile(ArchiveHandle archive, const QByteArray& source, const QByteArray& entryName,
                      quint32 flags);
qint32 MpqDeleteFile(ArchiveHandle archive, const QByteArray& entryName);

// For tests: load this library file instead of ARCHWRIT (empty restores the
// usual search).
void SetLibraryFileForTesting(const QString& path);

}  // namespace UpdateLibrary

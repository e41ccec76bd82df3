#pragma once
// Read-only access to the entries of MPQ archives. Each operation is one
// complete transaction: open the archive, open the named entry, do the work,
// close both. Failures to open the archive or the entry are expected and
// return false or 0 without a message; the callers decide what to show.
#include <QByteArray>
#include <QString>

#include "archive/TextLines.h"

class QIODevice;

// Replaces lines by the entry's lines (cut at its first NUL, split at CR, LF
// and CR LF). False, lines untouched, when the entry cannot be read.
bool ReadEntryLines(const QString& archivePath, const QByteArray& name, LineList& lines);

// Writes the entry's bytes to stream at its current position. False, nothing
// written, when the entry cannot be read; a stream that does not take every
// byte raises AppError("Stream write error").
bool ReadEntryToStream(const QString& archivePath, const QByteArray& name, QIODevice& stream);

// The entry's bytes into bytes. False, bytes untouched, when the entry
// cannot be read.
bool ReadEntryBytes(const QString& archivePath, const QByteArray& name, QByteArray& bytes);

// The entry's size in bytes; 0 when the archive or the entry cannot be opened.
qint32 EntrySize(const QString& archivePath, const QByteArray& name);

// True when the file at archivePath opens as an archive.
bool IsArchive(const QString& archivePath);
// The archive's format version as its header states it (1 is the game's);
// 0 when the file does not open as an archive.
int ArchiveFormatVersion(const QString& archivePath);

// How an entry is kept in the archive: its size, the bytes it takes there and
// its flags as stored. False when the archive or the entry cannot be opened.
struct EntryStorage {
  qint32 size = 0;
  quint32 storedSize = 0;
  quint32 flags = 0;
};
bool ReadEntryStorage(const QString& archivePath, const QByteArray& name, EntryStorage& storage);

// Called once at program end, after every window is gone: lets the archive
// library release every archive it still holds.
void ReleaseArchiveState();

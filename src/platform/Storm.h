#pragma once
// The storm layer: the seven read-only archive calls of the game's archive
// library, in the shape the archive reader uses them (the comments give the
// game library's ordinal). Every call returns nonzero on success. Handles are
// opaque and valid only until they are closed; a handle the layer does not
// know is refused, never dereferenced.
//
// An archive in use belongs to the thread that opened it; threads that read
// the same file at once each get an archive of their own, and decode side by
// side.
//
// An opened archive is kept between transactions, so a caller that opens and
// closes the same archive once per entry does not pay for re-reading its
// tables each time. The file is checked at every open: when it has changed on
// disk (path, size, times, inode or device differ) it is opened afresh. A kept
// archive is let go of a moment after its last transaction, so the file is
// not held while the program waits: other programs may replace or delete it.
#include <QtGlobal>

namespace storm {

using Handle = void*;

// 266: opens the archive file at path (a NUL-terminated byte string).
int OpenArchive(const char* path, quint32 priority, quint32 flags, Handle* archive);
// 268: opens the entry named exactly name in an open archive.
int OpenEntry(Handle archive, const char* name, quint32 scope, Handle* entry);
// 265: the entry's size in bytes; 0xFFFFFFFF for a handle that is not open.
quint32 EntrySize(Handle entry, quint32* sizeHigh);
// 269: reads up to count bytes of the entry into buffer. *read holds how many
// arrived; a read that fails outright reports 0 and returns 0. A read that
// stops early at the entry's end returns nonzero with the short count.
int ReadEntry(Handle entry, void* buffer, quint32 count, quint32* read, void* overlapped);
// 253
int CloseEntry(Handle entry);
// 252
int CloseArchive(Handle archive);
// 262: closes every archive and entry the layer holds.
int Release();

// Not one of the game library's calls: what a listing shows beside the size,
// the bytes the entry takes in the archive and its flags as stored there.
int EntryStorage(Handle entry, quint32* storedSize, quint32* flags);

// Not one of the game library's calls: whether the archive's tables name the
// entry, readable or not, so that a caller can tell an entry that is not
// there from one that OpenEntry refuses as damaged.
int HoldsEntry(Handle archive, const char* name);

// Not one of the game library's calls: whether the archive's tables hold
// together (see TablesHoldTogether in MpqGuard.h). The library opens an
// archive whose tables were overwritten and finds no entry in it; a caller
// that asks for entries by name, without a listing, cannot tell that from an
// archive that lacks them.
int TablesHold(Handle archive);

// Not one of the game library's calls: the archive's format as its header
// states it (1 for the game's own, the only one read as what it says; later
// ones are read as format 1 too); 0 for a handle the layer does not know.
int FormatVersion(Handle archive);

// Not part of the reader's calls: the update library's binding tells the layer
// that an archive file has just been rewritten, and tests watch the cache.
namespace cache {
// Closes every archive kept between transactions (archives in use stay open
// until their last close, then are dropped).
void Drop();
// How many times an archive file has been opened from disk so far.
quint64 DiskOpens();
}  // namespace cache

}  // namespace storm

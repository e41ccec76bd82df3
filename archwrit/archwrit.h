/* ARCHWRIT: the archive-update library. Quillforge loads it at run time for
 * each Update and finds these six exports by name. Numbers are 32-bit; the
 * archive handle is pointer-sized. Text arguments are NUL-terminated byte
 * strings: disk paths in the system's encoding, entry names byte for byte. */
#ifndef ARCHWRIT_H
#define ARCHWRIT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define ARCHWRIT_API __declspec(dllexport)
#else
#define ARCHWRIT_API __attribute__((visibility("default")))
#endif

typedef void* MPQHANDLE;

/* Open values of MpqOpenArchiveForUpdate. */
#define ARCHWRIT_OPEN_KEEP_LISTFILE 0x1u /* keep "(listfile)" naming every entry */
#define ARCHWRIT_OPEN_EXISTING 0x4u      /* open the archive that is there */
#define ARCHWRIT_OPEN_CREATE 0x8u        /* create a new archive */

/* Add flags of MpqAddFileToArcive. */
#define ARCHWRIT_ADD_REPLACE 0x1u     /* replace an entry of that name */
#define ARCHWRIT_ADD_COMPRESS 0x200u  /* PKWARE DCL, as the game reads it */
#define ARCHWRIT_ADD_ENCRYPT 0x10000u /* encrypt the entry */

/* Nonzero when the library is ready for the calls below. */
ARCHWRIT_API int32_t MpqInitialize(void);
/* The library's name and version, for display: "ARCHWRIT 1.04". */
ARCHWRIT_API const char* MpqGetVersionString(void);
/* Opens the archive at path for changes (open value 4: the archive that is
 * there; 8: a new one where there is no file yet). The changes to an existing
 * archive are appended after its end, where no reader of the archive looks,
 * until MpqCloseUpdatedArchive commits them; a new archive is built in a file
 * beside path. maxFiles is the initial entry capacity of a new archive, which
 * grows as needed. NULL, with the file at path untouched, when it is not a
 * format 1 archive whose header and tables lie inside the file, cannot be
 * read or written, has no write permission bit set (even for a superuser),
 * another update holds it, or (with bit 1) it has no "(listfile)" that could
 * name what is added; for a new archive also when the folder takes no new
 * file (an existing one is appended to without one). New archives are MPQ
 * format version 1 with 4096-byte sectors. */
ARCHWRIT_API MPQHANDLE MpqOpenArchiveForUpdate(const char* path, uint32_t openValue, uint32_t maxFiles);
/* Commits every change and frees the handle. An existing archive gets its
 * new "(listfile)" and tables after everything appended, all of it synced
 * before the header at the archive's start is rewritten to point at them
 * (and synced again): at every moment the file is the whole old archive or
 * the whole new one, and readers that opened it before keep reading the old
 * one. When packing would win back more than a quarter of the archive
 * (replaced and removed entries, old tables), the entries in use are packed
 * into a new file beside it instead, which takes the archive's place (and its
 * mode, owner and group) in one atomic rename, as a new archive does (the new
 * file synced first, its folder after); entries that cannot be moved keep
 * their places in it. When its folder takes no new file, it has other hard
 * links, or the caller could not give a new file the archive's group, it is
 * packed inside its own file instead, each step committed as an append is
 * (readers that opened it before then read moved bytes). Nonzero once the
 * archive is the new one, also when only the sync after the header failed (a
 * warning on stderr says so); 0 when the commit failed, the archive then
 * being as it was. An "(attributes)" or "(signature)" entry goes with the
 * first change: neither would hold. */
ARCHWRIT_API int32_t MpqCloseUpdatedArchive(MPQHANDLE archive, uint32_t reserved);
/* Stores the bytes of the disk file sourcePath under entryName, replacing an
 * entry of that name with or without the replace bit (the name then takes
 * the spelling given). The file is read whole before the call returns; its
 * sectors are compressed and encrypted by worker threads while the calls go
 * on, and stored in the order of the calls. 0 when the source cannot be read
 * (also when it changes size while it is read), and for names the library
 * keeps itself or that hold a line end; the archive is then as before. */
ARCHWRIT_API int32_t MpqAddFileToArcive(MPQHANDLE archive, const char* sourcePath, const char* entryName,
                                        uint32_t flags);
/* Removes entryName from the archive and from its "(listfile)"; 0 when there is no such entry. */
ARCHWRIT_API int32_t MpqDeleteFile(MPQHANDLE archive, const char* entryName);

#ifdef __cplusplus
}
#endif

#endif

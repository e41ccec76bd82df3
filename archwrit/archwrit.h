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
 * there; 8: a new one where there is no file yet). Every change goes into a
 * copy beside the archive; the archive itself is not written before
 * MpqCloseUpdatedArchive. maxFiles is the initial entry capacity of a new
 * archive, which grows as needed. NULL, with the file at path untouched, when
 * it is not a format 1 archive whose header and tables lie inside the file,
 * cannot be read or written, has no write permission bit set (even for a
 * superuser), its folder takes no new file, another update holds it, or
 * (with bit 1) it has no "(listfile)" that could name what is added. New
 * archives are MPQ format version 1. */
ARCHWRIT_API MPQHANDLE MpqOpenArchiveForUpdate(const char* path, uint32_t openValue, uint32_t maxFiles);
/* Puts every change into the archive file with one atomic rename (the new
 * file synced first, its folder after) and frees the handle. Nonzero on
 * success; 0 when that failed, the archive then being as it was. Space that
 * replaced and removed entries took is reclaimed. */
ARCHWRIT_API int32_t MpqCloseUpdatedArchive(MPQHANDLE archive, uint32_t reserved);
/* Stores the bytes of the disk file sourcePath under entryName, replacing an
 * entry of that name with or without the replace bit (the name then takes
 * the spelling given). 0 when the source cannot be read, and for names the
 * library keeps itself or that hold a line end; the archive is then as before. */
ARCHWRIT_API int32_t MpqAddFileToArcive(MPQHANDLE archive, const char* sourcePath, const char* entryName,
                                        uint32_t flags);
/* Removes entryName from the archive and from its "(listfile)"; 0 when there is no such entry. */
ARCHWRIT_API int32_t MpqDeleteFile(MPQHANDLE archive, const char* entryName);

#ifdef __cplusplus
}
#endif

#endif

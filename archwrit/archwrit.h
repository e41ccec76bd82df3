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
/* The library's name and version, for display. */
ARCHWRIT_API const char* MpqGetVersionString(void);
/* Opens (or creates) the archive at path for changes; maxFiles is the initial
 * entry capacity, which grows as needed. NULL when it cannot be opened. */
ARCHWRIT_API MPQHANDLE MpqOpenArchiveForUpdate(const char* path, uint32_t openValue, uint32_t maxFiles);
/* Writes every change into the archive file and closes the handle. */
ARCHWRIT_API int32_t MpqCloseUpdatedArchive(MPQHANDLE archive, uint32_t reserved);
/* Adds the bytes of the disk file sourcePath under entryName. */
ARCHWRIT_API int32_t MpqAddFileToArcive(MPQHANDLE archive, const char* sourcePath, const char* entryName,
                                        uint32_t flags);
/* Removes entryName from the archive. */
ARCHWRIT_API int32_t MpqDeleteFile(MPQHANDLE archive, const char* entryName);

#ifdef __cplusplus
}
#endif

#endif

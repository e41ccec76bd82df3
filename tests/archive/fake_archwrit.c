/* A stand-in for the archive-update library. Built several times, each copy
 * lacking one export (FAKE_OMIT_<name>) or failing to initialise
 * (FAKE_INIT_RESULT=0). The Fake* exports let a test see what it was given. */
#include <stdint.h>
#include <string.h>

#ifdef _WIN32
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

#ifndef FAKE_INIT_RESULT
#define FAKE_INIT_RESULT 1
#endif

static int initCalls;
static char lastSource[1024];
static char lastName[1024];
static uint32_t lastOpenValue, lastMaxFiles, lastFlags, lastReserved;
static char lastPath[1024];
static int handleCookie;

static void keep(char* dst, const char* src) {
  strncpy(dst, src ? src : "", 1023);
  dst[1023] = 0;
}

#ifndef FAKE_OMIT_MpqInitialize
EXPORT int32_t MpqInitialize(void) {
  ++initCalls;
  return FAKE_INIT_RESULT;
}
#endif
#ifndef FAKE_OMIT_MpqGetVersionString
EXPORT const char* MpqGetVersionString(void) {
  return "fake";
}
#endif
#ifndef FAKE_OMIT_MpqOpenArchiveForUpdate
EXPORT void* MpqOpenArchiveForUpdate(const char* path, uint32_t openValue, uint32_t maxFiles) {
  keep(lastPath, path);
  lastOpenValue = openValue;
  lastMaxFiles = maxFiles;
  return &handleCookie;
}
#endif
#ifndef FAKE_OMIT_MpqCloseUpdatedArchive
EXPORT int32_t MpqCloseUpdatedArchive(void* archive, uint32_t reserved) {
  lastReserved = reserved;
  return archive == &handleCookie ? 7 : -1;
}
#endif
#ifndef FAKE_OMIT_MpqAddFileToArcive
EXPORT int32_t MpqAddFileToArcive(void* archive, const char* source, const char* name, uint32_t flags) {
  keep(lastSource, source);
  keep(lastName, name);
  lastFlags = flags;
  return archive == &handleCookie ? 11 : -1;
}
#endif
#ifndef FAKE_OMIT_MpqDeleteFile
EXPORT int32_t MpqDeleteFile(void* archive, const char* name) {
  keep(lastName, name);
  return archive == &handleCookie ? 13 : -1;
}
#endif

EXPORT int FakeInitCalls(void) {
  return initCalls;
}
EXPORT const char* FakeLastPath(void) {
  return lastPath;
}
EXPORT const char* FakeLastSource(void) {
  return lastSource;
}
EXPORT const char* FakeLastName(void) {
  return lastName;
}
EXPORT uint32_t FakeLastOpenValue(void) {
  return lastOpenValue;
}
EXPORT uint32_t FakeLastMaxFiles(void) {
  return lastMaxFiles;
}
EXPORT uint32_t FakeLastFlags(void) {
  return lastFlags;
}
EXPORT uint32_t FakeLastReserved(void) {
  return lastReserved;
}

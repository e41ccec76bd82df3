/* The archive-update library as the commands see it, with every call written
 * to the file that QF_ARCHWRIT_LOG names (one line per call) and then passed
 * on to the real ARCHWRIT, so a test sees both the values the program passed
 * and the archive that resulted. */
#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#ifdef _WIN32
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

typedef int32_t (*InitFn)(void);
typedef const char* (*VersionFn)(void);
typedef void* (*OpenFn)(const char*, uint32_t, uint32_t);
typedef int32_t (*CloseFn)(void*, uint32_t);
typedef int32_t (*AddFn)(void*, const char*, const char*, uint32_t);
typedef int32_t (*DeleteFn)(void*, const char*);

static void* real(const char* name) {
#ifdef _WIN32
  static HMODULE lib;
  if (!lib) lib = LoadLibraryA(REAL_ARCHWRIT);
  return lib ? (void*)GetProcAddress(lib, name) : NULL;
#else
  static void* lib;
  if (!lib) lib = dlopen(REAL_ARCHWRIT, RTLD_NOW | RTLD_LOCAL);
  return lib ? dlsym(lib, name) : NULL;
#endif
}

/* "<call> <name>|<source> <number> -> <result>" */
static void record(const char* call, const char* name, const char* source, uint32_t n, int32_t result) {
  const char* path = getenv("QF_ARCHWRIT_LOG");
  FILE* f = path ? fopen(path, "a") : NULL;
  if (!f) return;
  fprintf(f, "%s %s|%s %#x -> %d\n", call, name, source, n, result);
  fclose(f);
}

EXPORT int32_t MpqInitialize(void) {
  return ((InitFn)real("MpqInitialize"))();
}

EXPORT const char* MpqGetVersionString(void) {
  return ((VersionFn)real("MpqGetVersionString"))();
}

EXPORT void* MpqOpenArchiveForUpdate(const char* path, uint32_t openValue, uint32_t maxFiles) {
  void* h = ((OpenFn)real("MpqOpenArchiveForUpdate"))(path, openValue, maxFiles);
  record("open", path, maxFiles == 1000 ? "" : "max files not 1000", openValue, h != NULL);
  return h;
}

EXPORT int32_t MpqCloseUpdatedArchive(void* archive, uint32_t reserved) {
  int32_t r = ((CloseFn)real("MpqCloseUpdatedArchive"))(archive, reserved);
  record("close", "", "", reserved, r);
  return r;
}

EXPORT int32_t MpqAddFileToArcive(void* archive, const char* source, const char* name, uint32_t flags) {
  int32_t r = ((AddFn)real("MpqAddFileToArcive"))(archive, source, name, flags);
  record("add", name, source, flags, r);
  return r;
}

EXPORT int32_t MpqDeleteFile(void* archive, const char* name) {
  int32_t r = ((DeleteFn)real("MpqDeleteFile"))(archive, name);
  record("delete", name, "", 0, r);
  return r;
}

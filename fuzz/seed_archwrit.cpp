// Writes one seed archive through ARCHWRIT, the way Update does:
//   fuzz_seed_archwrit <archive> <entry name> <source file> [<entry name> <source file>]...
// The archive must not exist yet. Exits 1 when ARCHWRIT refuses any step.
#include <cstdio>

#include "archwrit.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc % 2 != 0) {
    fprintf(stderr, "usage: %s archive [name source]...\n", argv[0]);
    return 2;
  }
  if (!MpqInitialize()) return 1;
  MPQHANDLE archive = MpqOpenArchiveForUpdate(argv[1], ARCHWRIT_OPEN_CREATE | ARCHWRIT_OPEN_KEEP_LISTFILE, 16);
  if (!archive) return 1;
  int ok = 1;
  for (int i = 2; i + 1 < argc; i += 2)
    ok &= MpqAddFileToArcive(archive, argv[i + 1], argv[i], ARCHWRIT_ADD_COMPRESS | ARCHWRIT_ADD_ENCRYPT) != 0;
  ok &= MpqCloseUpdatedArchive(archive, 0) != 0;
  return ok ? 0 : 1;
}

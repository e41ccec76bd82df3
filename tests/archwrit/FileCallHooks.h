#pragma once
// The fault tests define fdatasync, fstat and copy_file_range themselves:
// the dynamic linker binds ARCHWRIT's calls to these, which pass them on to
// the C library unless told to fail a sync or a stat, and count the bytes copied.

namespace hooks {

// Makes the n-th fdatasync from now on (1 the next one) fail with EIO without
// syncing; 0 fails none.
void failSync(int n);
// Makes the n-th fstat from now on (1 the next one) fail with EIO; 0 fails none.
void failFstat(int n);
// The first 32 bytes of the file (an archive's header, at its start) as the
// last fdatasync that succeeded saw them, with none failing before it since
// resetDurable(): the header the disk surely holds. False when no sync has
// vouched for one. After a failed sync no later one counts, since the kernel
// may have dropped the pages that failed and reports that only once.
bool durableHeader(char (&header)[32]);
void resetDurable();
// Bytes copy_file_range copied since the last reset.
long long copiedBytes();
void resetCopied();

}  // namespace hooks

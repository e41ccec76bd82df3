#pragma once
// The fault tests define fdatasync and copy_file_range themselves: the
// dynamic linker binds ARCHWRIT's calls to these, which pass them on to the
// C library unless told to fail a sync, and count the bytes copied.

namespace hooks {

// Makes the n-th fdatasync from now on (1 the next one) fail with EIO without
// syncing; 0 fails none.
void failSync(int n);
// Bytes copy_file_range copied since the last reset.
long long copiedBytes();
void resetCopied();

}  // namespace hooks

// Counts the file syncs this process makes (fsync and fdatasync, from any
// library in it), so that a benchmark can report how many each side paid for.
#pragma once

namespace bench {

long syncCount();

}  // namespace bench

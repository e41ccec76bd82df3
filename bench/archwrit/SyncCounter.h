// Counts the file syncs this process makes (fsync and fdatasync, from any
// library in it), so that a benchmark can report how many each side paid for.
#pragma once

namespace bench {

// False where the calls cannot be counted (Windows binds each library's
// imports itself, past any definition of the program's); syncCount() is 0 there.
bool syncsCounted();
long syncCount();

}  // namespace bench

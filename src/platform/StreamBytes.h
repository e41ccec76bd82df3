#pragma once
// A command's output carries bytes, not lines of the system's text: internal
// names and mod texts hold every byte value, CR and LF among them. Its
// streams write exactly the bytes given, the same on every system.
#include <cstdio>

namespace files {

// Makes the stream write its bytes as they are given, with no line end
// turned into another (the C runtime's text mode writes LF as CR LF).
void WriteBytesAsGiven(std::FILE* stream);

}  // namespace files

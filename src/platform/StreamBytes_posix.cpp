#include "platform/StreamBytes.h"

namespace files {

// Streams here never change the bytes written.
void WriteBytesAsGiven(std::FILE*) {}

}  // namespace files

#include "platform/StreamBytes.h"

#include <fcntl.h>
#include <io.h>

namespace files {

void WriteBytesAsGiven(std::FILE* stream) {
  if (!stream) return;
  std::fflush(stream);  // what text mode already holds goes out as it was
  _setmode(_fileno(stream), _O_BINARY);
}

}  // namespace files

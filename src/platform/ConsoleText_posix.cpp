#include "platform/ConsoleText.h"

namespace files {

CommandConsole::CommandConsole() = default;
CommandConsole::~CommandConsole() = default;

void WriteText(std::FILE* stream, const char* bytes, std::size_t size) {
  if (size > 0) std::fwrite(bytes, 1, size, stream);
}

}  // namespace files

#include "platform/ConsoleText.h"

namespace files {

ConsoleReadsUtf8::ConsoleReadsUtf8() = default;
ConsoleReadsUtf8::~ConsoleReadsUtf8() = default;

}  // namespace files

#include "platform/ConsoleText.h"

#include <windows.h>

namespace files {

ConsoleReadsUtf8::ConsoleReadsUtf8() {
  // No console (output redirected from a program started without one): 0.
  const UINT current = GetConsoleOutputCP();
  if (current != 0 && current != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) before_ = current;
}

ConsoleReadsUtf8::~ConsoleReadsUtf8() {
  if (before_ != 0) SetConsoleOutputCP(before_);
}

}  // namespace files

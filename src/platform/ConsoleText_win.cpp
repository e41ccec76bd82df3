#include "platform/ConsoleText.h"

#include <io.h>
#include <windows.h>

#include <vector>

namespace files {
namespace {

// The stream's console and its mode, or nothing when it goes to a file, a
// pipe or NUL.
HANDLE ConsoleOf(std::FILE* stream, DWORD* mode = nullptr) {
  const int fd = _fileno(stream);
  if (fd < 0) return nullptr;
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  DWORD current = 0;
  if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &current)) return nullptr;
  if (mode) *mode = current;
  return handle;
}

}  // namespace

CommandConsole::CommandConsole() {
  std::FILE* const streams[2] = {stdout, stderr};
  for (int i = 0; i < 2; ++i) {
    DWORD mode = 0;
    HANDLE console = ConsoleOf(streams[i], &mode);
    if (!console || (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING)) continue;
    if (SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
      before_[i] = mode;
      changed_[i] = true;
    }
  }
}

CommandConsole::~CommandConsole() {
  std::FILE* const streams[2] = {stdout, stderr};
  for (int i = 1; i >= 0; --i) {
    if (!changed_[i]) continue;
    if (HANDLE console = ConsoleOf(streams[i])) SetConsoleMode(console, before_[i]);
  }
}

void WriteText(std::FILE* stream, const char* bytes, std::size_t size) {
  if (size == 0) return;
  HANDLE console = ConsoleOf(stream);
  int wide = 0;
  if (console && size <= 0x7fffffff)
    wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, int(size), nullptr, 0);
  if (wide <= 0) {
    // Not a console, or not UTF-8 after all: the bytes as they are.
    std::fwrite(bytes, 1, size, stream);
    return;
  }
  std::vector<wchar_t> text(static_cast<std::size_t>(wide));
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, int(size), text.data(), wide);
  std::fflush(stream);  // what the runtime holds goes first, in its order
  const wchar_t* at = text.data();
  DWORD left = DWORD(wide);
  while (left > 0) {
    DWORD written = 0;
    if (!WriteConsoleW(console, at, left, &written, nullptr) || written == 0) {
      // What the console did not take goes the runtime's way, which fails
      // the same and marks the stream, so the command is told.
      const int rest = WideCharToMultiByte(CP_UTF8, 0, at, int(left), nullptr, 0, nullptr, nullptr);
      std::vector<char> bytesLeft(static_cast<std::size_t>(rest > 0 ? rest : 0));
      if (rest > 0) WideCharToMultiByte(CP_UTF8, 0, at, int(left), bytesLeft.data(), rest, nullptr, nullptr);
      std::fwrite(bytesLeft.data(), 1, bytesLeft.size(), stream);
      return;
    }
    at += written;
    left -= written;
  }
}

}  // namespace files

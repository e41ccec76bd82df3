#pragma once
// The command line's text is UTF-8 (each single byte of a name or mod text
// shown as its Windows-1252 character). A console window shows UTF-8 bytes
// handed to it as its characters only when they come whole, which the C
// runtime does not promise, and shows a terminal's escapes (the progress
// line's "erase to the end") as text unless asked to take them. So text for
// a console window is handed over as its characters, and while a command
// runs its console takes the escapes. Elsewhere (Linux terminals, files,
// pipes) the bytes go out as they are.
#include <cstddef>
#include <cstdio>

namespace files {

// While it lives, the console of the program's output and errors, if there
// is one, takes a terminal's escapes; afterwards it is as it was.
class CommandConsole {
 public:
  CommandConsole();
  ~CommandConsole();
  CommandConsole(const CommandConsole&) = delete;
  CommandConsole& operator=(const CommandConsole&) = delete;

 private:
  unsigned long before_[2] = {0, 0};  // the two streams' console modes
  bool changed_[2] = {false, false};
};

// Writes UTF-8 text to the stream: to a console window as its characters,
// anywhere else as the bytes given.
void WriteText(std::FILE* stream, const char* bytes, std::size_t size);

}  // namespace files

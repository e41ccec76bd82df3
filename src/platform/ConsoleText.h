#pragma once
// The command line's text is UTF-8 (each single byte of a name or mod text
// shown as its Windows-1252 character). A console window that reads its
// output in another code page shows such characters as two wrong ones, so
// while a command runs the console, if there is one, reads UTF-8, and
// afterwards reads as before. Elsewhere terminals read UTF-8 already.

namespace files {

class ConsoleReadsUtf8 {
 public:
  ConsoleReadsUtf8();
  ~ConsoleReadsUtf8();
  ConsoleReadsUtf8(const ConsoleReadsUtf8&) = delete;
  ConsoleReadsUtf8& operator=(const ConsoleReadsUtf8&) = delete;

 private:
  unsigned before_ = 0;  // the console's own code page, 0 when unchanged
};

}  // namespace files

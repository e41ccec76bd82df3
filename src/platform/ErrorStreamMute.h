#pragma once
// Keeps what a library prints on the process's error stream by itself (the
// PNG library's "libpng error: ..." for a damaged file) from reaching it for
// as long as the object lives, so a command says the fault in its own one
// line.
namespace files {

class ErrorStreamMute {
 public:
  ErrorStreamMute();
  ~ErrorStreamMute();
  ErrorStreamMute(const ErrorStreamMute&) = delete;
  ErrorStreamMute& operator=(const ErrorStreamMute&) = delete;

 private:
  int saved_ = -1;  // the stream as it was, to put back
};

}  // namespace files

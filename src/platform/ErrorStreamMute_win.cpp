#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/ErrorStreamMute.h"

namespace files {

// The C runtime's descriptors: standard error is 2, the null device "NUL".
ErrorStreamMute::ErrorStreamMute() {
  std::fflush(stderr);
  const int null = ::_open("NUL", _O_WRONLY | _O_NOINHERIT);
  if (null < 0) return;
  saved_ = ::_dup(2);
  if (saved_ >= 0 && ::_dup2(null, 2) < 0) {
    ::_close(saved_);
    saved_ = -1;
  }
  ::_close(null);
}

ErrorStreamMute::~ErrorStreamMute() {
  if (saved_ < 0) return;
  std::fflush(stderr);
  ::_dup2(saved_, 2);
  ::_close(saved_);
}

}  // namespace files

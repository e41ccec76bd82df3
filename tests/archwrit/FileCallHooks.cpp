#include "FileCallHooks.h"

#include <dlfcn.h>
#include <errno.h>
#include <sys/types.h>

#include <atomic>

namespace {

std::atomic<int> syncsUntilFailure{0};
std::atomic<long long> copied{0};

template <typename Fn>
Fn next(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int fdatasync(int fd) {
  static const auto real = next<int (*)(int)>("fdatasync");
  int left = syncsUntilFailure.load();
  while (left > 0 && !syncsUntilFailure.compare_exchange_weak(left, left - 1)) {
  }
  if (left == 1) {
    errno = EIO;
    return -1;
  }
  return real(fd);
}

extern "C" ssize_t copy_file_range(int in, loff_t* inPos, int out, loff_t* outPos, size_t length,
                                   unsigned flags) {
  static const auto real = next<ssize_t (*)(int, loff_t*, int, loff_t*, size_t, unsigned)>("copy_file_range");
  const ssize_t n = real(in, inPos, out, outPos, length, flags);
  if (n > 0) copied += n;
  return n;
}

namespace hooks {

void failSync(int n) {
  syncsUntilFailure = n;
}

long long copiedBytes() {
  return copied.load();
}

void resetCopied() {
  copied = 0;
}

}  // namespace hooks

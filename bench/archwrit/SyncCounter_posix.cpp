// The benchmark executables define fsync and fdatasync themselves: the
// dynamic linker binds the calls of every library loaded with them (ARCHWRIT,
// StormLib) to these, which count the call and pass it on to the C library.
#include "SyncCounter.h"

#include <dlfcn.h>

#include <atomic>

namespace {

std::atomic<long> syncs{0};

template <typename Fn>
Fn next(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int fsync(int fd) {
  static const auto real = next<int (*)(int)>("fsync");
  ++syncs;
  return real(fd);
}

extern "C" int fdatasync(int fd) {
  static const auto real = next<int (*)(int)>("fdatasync");
  ++syncs;
  return real(fd);
}

namespace bench {

bool syncsCounted() {
  return true;
}

long syncCount() {
  return syncs.load();
}

}  // namespace bench

#include "FileCallHooks.h"

#include <dlfcn.h>
#include <errno.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>

namespace {

std::atomic<int> syncsUntilFailure{0};
std::atomic<int> fstatsUntilFailure{0};
std::atomic<long long> copied{0};

std::mutex durableMutex;
bool syncFailed = false, haveDurable = false;
char durable[32];

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
    std::lock_guard<std::mutex> lock(durableMutex);
    syncFailed = true;
    errno = EIO;
    return -1;
  }
  const int result = real(fd);
  if (result == 0) {
    std::lock_guard<std::mutex> lock(durableMutex);
    char header[32];
    if (!syncFailed && ::pread(fd, header, sizeof header, 0) == ssize_t(sizeof header)) {
      std::memcpy(durable, header, sizeof header);
      haveDurable = true;
    }
  }
  return result;
}

extern "C" int fstat(int fd, struct stat* st) {
  static const auto real = next<int (*)(int, struct stat*)>("fstat");
  int left = fstatsUntilFailure.load();
  while (left > 0 && !fstatsUntilFailure.compare_exchange_weak(left, left - 1)) {
  }
  if (left == 1) {
    errno = EIO;
    return -1;
  }
  return real(fd, st);
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

void failFstat(int n) {
  fstatsUntilFailure = n;
}

bool durableHeader(char (&header)[32]) {
  std::lock_guard<std::mutex> lock(durableMutex);
  if (haveDurable) std::memcpy(header, durable, sizeof durable);
  return haveDurable;
}

void resetDurable() {
  std::lock_guard<std::mutex> lock(durableMutex);
  syncFailed = haveDurable = false;
}

long long copiedBytes() {
  return copied.load();
}

void resetCopied() {
  copied = 0;
}

}  // namespace hooks

// The benchmarks' system calls on Linux: scratch folders, child processes,
// synced writes and the resident memory.
#include <fcntl.h>
#include <malloc.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "BenchSupport.h"

namespace fs = std::filesystem;

namespace bench {

ScratchDir::ScratchDir() {
  std::string pattern = (fs::temp_directory_path() / "bench_archwrit.XXXXXX").string();
  require(mkdtemp(pattern.data()) != nullptr, "cannot create a scratch folder");
  path_ = pattern;
}

bool run(const std::vector<std::string>& argv, const std::string& folder) {
  const pid_t child = fork();
  if (child == 0) {
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    if (chdir(folder.c_str()) != 0) _exit(127);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double childSystemSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return double(usage.ru_stime.tv_sec) + double(usage.ru_stime.tv_usec) / 1e6;
}

bool writeNewFileSynced(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += size_t(n);
  }
  const bool synced = done == bytes.size() && ::fdatasync(fd) == 0;
  return ::close(fd) == 0 && synced;
}

bool syncFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  return ::close(fd) == 0 && synced;
}

const void* findBytes(const void* bytes, size_t size, const void* needle, size_t needleSize) {
  return memmem(bytes, size, needle, needleSize);
}

double residentBytes() {
  // The second field of statm: resident pages.
  std::ifstream statm("/proc/self/statm");
  long long size = 0, resident = 0;
  if (!(statm >> size >> resident)) return 0;
  return double(resident) * double(sysconf(_SC_PAGESIZE));
}

void keepFreedMemory() {
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
}

void releaseFreeMemory() {
  malloc_trim(0);
}

}  // namespace bench

#include "FileLayer.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace archwrit {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

int UniqueFd::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

std::string dirName(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string baseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string joinPath(const std::string& dir, const std::string& name) {
  return dir + "/" + name;
}

bool readAllAt(int fd, void* data, size_t size, uint64_t pos) {
  auto* out = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t n = ::pread(fd, out, size, off_t(pos));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    pos += uint64_t(n);
    size -= size_t(n);
  }
  return true;
}

bool writeAllAt(int fd, const void* data, size_t size, uint64_t pos) {
  const auto* in = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, in, size, off_t(pos));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    in += n;
    pos += uint64_t(n);
    size -= size_t(n);
  }
  return true;
}

bool readOn(int fd, void* data, size_t size, size_t& got) {
  ssize_t n;
  while ((n = ::read(fd, data, size)) < 0 && errno == EINTR) {
  }
  got = n > 0 ? size_t(n) : 0;
  return n >= 0;
}

bool copyRange(int in, uint64_t inPos, int out, uint64_t outPos, uint64_t length) {
  while (length > 0) {
    loff_t from = loff_t(inPos), to = loff_t(outPos);
    const ssize_t n = ::copy_file_range(in, &from, out, &to, size_t(std::min<uint64_t>(length, 1u << 30)), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // not between these files (or the source ended): copy by hand below
    inPos += uint64_t(n);
    outPos += uint64_t(n);
    length -= uint64_t(n);
  }
  std::vector<char> buffer(size_t(std::min<uint64_t>(length, 1u << 20)));
  while (length > 0) {
    const size_t n = size_t(std::min<uint64_t>(length, buffer.size()));
    if (!readAllAt(in, buffer.data(), n, inPos) || !writeAllAt(out, buffer.data(), n, outPos)) return false;
    inPos += n;
    outPos += n;
    length -= n;
  }
  return true;
}

bool syncDirectory(const std::string& dir) {
  UniqueFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return false;
  return ::fsync(fd.get()) == 0 || errno == EINVAL;  // some file systems cannot sync a folder
}

namespace {

bool sameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool factsOf(int fd, FileFacts& facts) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return false;
  facts.regular = S_ISREG(st.st_mode);
  facts.size = st.st_size < 0 ? 0 : uint64_t(st.st_size);
  facts.mode = st.st_mode & 07777;
  facts.writable = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  return true;
}

PathState stateOf(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return PathState::Present;
  return errno == ENOENT ? PathState::Missing : PathState::Unknown;
}

std::string resolveLink(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      std::string resolved = real;
      ::free(real);
      return resolved;
    }
  }
  return path;
}

UniqueFd openAndLock(const std::string& path, FileFacts& facts) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat st;
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return UniqueFd();
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return UniqueFd();  // another update is running
    struct stat now;
    if (::stat(path.c_str(), &now) == 0 && sameInode(now, st)) return factsOf(fd.get(), facts) ? std::move(fd) : UniqueFd();
  }
  return UniqueFd();
}

UniqueFd openForReading(const std::string& path) {
  return UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
}

bool syncData(int fd) {
  while (::fdatasync(fd) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool syncFile(int fd) {
  return ::fsync(fd) == 0;
}

bool truncateFile(int fd, uint64_t size) {
  return ::ftruncate(fd, off_t(size)) == 0;
}

bool lacksSpace(int fd, uint64_t bytes) {
  struct statvfs disk;
  return ::fstatvfs(fd, &disk) == 0 && uint64_t(disk.f_bavail) * disk.f_frsize < bytes;
}

// The copy keeps the archive's owner and group, or its group alone when only
// a privileged process could give the owner (the updater then owns the packed
// archive, and those who shared it through its group still do). False when
// not even the group can be kept, when the archive has other hard links,
// which a new file in its place would leave holding the old archive, or when
// the copy could not be renamed over the archive (a sticky folder lets only
// the owner of the folder or of the replaced file do that).
bool copyCanReplace(int archiveFd, int copyFd, const std::string& folder) {
  struct stat archive, copy, dir;
  if (::fstat(archiveFd, &archive) != 0 || ::fstat(copyFd, &copy) != 0 || ::stat(folder.c_str(), &dir) != 0)
    return false;
  if (archive.st_nlink > 1) return false;
  const uid_t self = ::geteuid();
  if ((dir.st_mode & S_ISVTX) && self != 0 && self != dir.st_uid && self != archive.st_uid) return false;
  if (copy.st_uid == archive.st_uid && copy.st_gid == archive.st_gid) return true;
  if (::fchown(copyFd, archive.st_uid, archive.st_gid) == 0) return true;
  return copy.st_gid == archive.st_gid || ::fchown(copyFd, uid_t(-1), archive.st_gid) == 0;
}

size_t randomBytes(unsigned char* data, size_t size) {
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::getrandom(data + got, size - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  return got;
}

// The lock is an exclusive flock: the lock of a dead process went with it.
// The name is checked to still refer to the file locked, since a sweeper may
// have removed it in between.
UniqueFd createHeld(const std::string& name, uint32_t mode, bool& taken) {
  taken = false;
  UniqueFd fd(::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode_t(mode)));
  if (!fd.valid()) {
    taken = errno == EEXIST || errno == 0;
    return fd;
  }
  struct stat byFd, byName;
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 || ::fstat(fd.get(), &byFd) != 0 ||
      ::lstat(name.c_str(), &byName) != 0 || !sameInode(byFd, byName)) {
    taken = true;  // the name went to a sweeper in between: try another
    return UniqueFd();
  }
  return fd;
}

void sweepUnheld(const std::string& dir, const std::function<bool(const std::string&)>& matches) {
  UniqueFd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dirFd.valid()) return;
  DIR* listing = ::fdopendir(::dup(dirFd.get()));
  if (listing == nullptr) return;
  while (struct dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (!matches(name)) continue;
    UniqueFd fd(::openat(dirFd.get(), name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!fd.valid()) continue;
    // A live session holds the lock; the lock of a dead one went with its process.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
    struct stat byFd, byName;
    if (::fstat(fd.get(), &byFd) == 0 && S_ISREG(byFd.st_mode) &&
        ::fstatat(dirFd.get(), name.c_str(), &byName, AT_SYMLINK_NOFOLLOW) == 0 && sameInode(byFd, byName)) {
      ::unlinkat(dirFd.get(), name.c_str(), 0);
    }
  }
  ::closedir(listing);
}

bool isFileAt(int fd, const std::string& name) {
  struct stat byName, byFd;
  return ::lstat(name.c_str(), &byName) == 0 && ::fstat(fd, &byFd) == 0 && sameInode(byFd, byName);
}

void removeFileAt(int fd, const std::string& name) {
  if (isFileAt(fd, name)) ::unlink(name.c_str());
}

bool publishFile(int fd, const std::string& from, const std::string& to, bool replace, uint32_t mode) {
  if (::fchmod(fd, mode_t(mode & 07777)) != 0) return false;
  if (::fsync(fd) != 0) return false;

  if (replace) {
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
  } else if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno != EINVAL && errno != ENOSYS) return false;
    // The file system cannot rename without replacing: a hard link fails just as well on an existing name.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
  }
  // The new archive is in place either way; a folder that cannot be synced does not undo that.
  syncDirectory(dirName(to));
  return true;
}

}  // namespace archwrit

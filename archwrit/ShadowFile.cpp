#include "ShadowFile.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstring>

namespace archwrit {

namespace {

constexpr size_t kTokenLength = 12;
constexpr const char kSuffix[] = ".awtmp";
// Earlier versions let the archive library rewrite a shadow into "<shadow>.tmp";
// one a killed update left is swept too.
constexpr const char kRewriteSuffix[] = ".tmp";
// Keeps ".<name>.<token>.awtmp.tmp" within the usual 255-byte name limit.
constexpr size_t kMaxBaseInName = 200;

// ".<archive name>." : every shadow of one archive starts with it.
std::string shadowPrefix(const std::string& target) {
  std::string prefix(1, '.');
  prefix.append(baseName(target), 0, kMaxBaseInName);
  prefix.push_back('.');
  return prefix;
}

std::string randomToken() {
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char raw[kTokenLength];
  size_t got = 0;
  while (got < sizeof raw) {
    const ssize_t n = ::getrandom(raw + got, sizeof raw - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  std::string token(kTokenLength, 'a');
  for (size_t i = 0; i < kTokenLength; ++i) {
    // Without randomness, fall back on the pid and the clock; O_EXCL still keeps names apart.
    const unsigned v =
        i < got ? raw[i] : static_cast<unsigned>((::getpid() >> (i % 16)) + ::time(nullptr) + i);
    token[i] = kAlphabet[v % (sizeof kAlphabet - 1)];
  }
  return token;
}

bool sameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens name exclusively and takes its lock; checks the name still refers to
// the file locked, since a sweeper may have removed it in between.
UniqueFd createLocked(const std::string& name, mode_t mode) {
  UniqueFd fd(::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
  if (!fd.valid()) return fd;
  struct stat byFd, byName;
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 || ::fstat(fd.get(), &byFd) != 0 ||
      ::lstat(name.c_str(), &byName) != 0 || !sameInode(byFd, byName)) {
    errno = EEXIST;  // the name went to a sweeper in between: try another
    return UniqueFd();
  }
  return fd;
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Whether name is "<prefix><token>.awtmp" or the same with ".tmp".
bool isShadowName(const std::string& name, const std::string& prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  std::string rest = name.substr(prefix.size());
  if (endsWith(rest, kRewriteSuffix)) rest.resize(rest.size() - strlen(kRewriteSuffix));
  if (!endsWith(rest, kSuffix)) return false;
  rest.resize(rest.size() - strlen(kSuffix));
  if (rest.size() != kTokenLength) return false;
  for (char c : rest) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

}  // namespace

ShadowFile::ShadowFile(std::string path, UniqueFd fd, mode_t createdMode)
    : path_(std::move(path)), fd_(std::move(fd)), createdMode_(createdMode) {}

std::unique_ptr<ShadowFile> ShadowFile::create(const std::string& target, mode_t mode) {
  const std::string stem = dirName(target) + "/" + shadowPrefix(target);
  for (int attempt = 0; attempt < 8; ++attempt) {
    const std::string name = stem + randomToken() + kSuffix;
    UniqueFd fd = createLocked(name, mode);
    if (fd.valid()) {
      struct stat st;
      if (::fstat(fd.get(), &st) != 0) {
        ::unlink(name.c_str());
        return nullptr;
      }
      return std::unique_ptr<ShadowFile>(new ShadowFile(name, std::move(fd), st.st_mode & 07777));
    }
    if (errno != EEXIST && errno != 0) return nullptr;  // e.g. the folder is not writable
    errno = 0;
  }
  return nullptr;
}

void ShadowFile::sweepStale(const std::string& target) {
  const std::string dir = dirName(target);
  const std::string prefix = shadowPrefix(target);
  UniqueFd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dirFd.valid()) return;
  DIR* listing = ::fdopendir(::dup(dirFd.get()));
  if (listing == nullptr) return;
  while (struct dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (!isShadowName(name, prefix)) continue;
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

ShadowFile::~ShadowFile() {
  if (ownsInodeAt(path_)) ::unlink(path_.c_str());
}

bool ShadowFile::ownsInodeAt(const std::string& name) const {
  struct stat byName, byFd;
  return ::lstat(name.c_str(), &byName) == 0 && ::fstat(fd_.get(), &byFd) == 0 && sameInode(byFd, byName);
}

bool ShadowFile::publish(const std::string& target, bool replace, mode_t mode) {
  if (!ownsInodeAt(path_)) return false;
  if (::fchmod(fd_.get(), mode & 07777) != 0) return false;
  if (::fsync(fd_.get()) != 0) return false;

  if (replace) {
    if (::rename(path_.c_str(), target.c_str()) != 0) return false;
  } else if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno != EINVAL && errno != ENOSYS) return false;
    // The file system cannot rename without replacing: a hard link fails just as well on an existing name.
    if (::link(path_.c_str(), target.c_str()) != 0) return false;
    ::unlink(path_.c_str());
  }
  // The new archive is in place either way; a folder that cannot be synced does not undo that.
  syncDirectory(dirName(target));
  return true;
}

}  // namespace archwrit

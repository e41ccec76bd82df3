#include "UpdateSession.h"

#include <StormLib.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <vector>

#include "archwrit.h"
#include "platform/MpqGuard.h"

namespace archwrit {

namespace {

// Entries the archive library writes itself; a user file under one of these
// names would be overwritten when the archive is saved, or clobber it.
bool isInternalName(const char* name) {
  for (const char* internal : {"(listfile)", "(attributes)", "(signature)"}) {
    if (strcasecmp(name, internal) == 0) return true;
  }
  return false;
}

// "File00000012.xxx" is how the archive library names entries whose real
// name it does not know; it refuses to create entries under such names.
bool looksLikeUnknownEntryName(const char* name) {
  if (strncasecmp(name, "File", 4) != 0) return false;
  for (int i = 4; i < 12; ++i) {
    if (!isdigit(static_cast<unsigned char>(name[i]))) return false;
  }
  return name[12] == '.';
}

// Windows file time (100 ns steps since 1601) of a Unix time.
ULONGLONG toFileTime(const struct timespec& t) {
  constexpr long long kEpochDifference = 11644473600LL;
  if (t.tv_sec < -kEpochDifference) return 0;
  return static_cast<ULONGLONG>(t.tv_sec + kEpochDifference) * 10000000ULL +
         static_cast<ULONGLONG>(t.tv_nsec / 100);
}

DWORD infoDword(HANDLE mpq, SFileInfoClass what) {
  DWORD value = 0;
  return SFileGetFileInfo(mpq, what, &value, sizeof value, nullptr) ? value : 0;
}

// Resolves a symbolic link at path, so the archive it points to is updated
// and the link stays a link.
std::string resolveTarget(const char* path) {
  struct stat st;
  if (::lstat(path, &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path, nullptr)) {
      std::string resolved = real;
      ::free(real);
      return resolved;
    }
  }
  return path;
}

// Opens the existing archive and takes its update lock, making sure the lock
// is on the file that is at path now and not on one a finished update replaced.
UniqueFd openAndLock(const std::string& path, struct stat& st) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return UniqueFd();
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return UniqueFd();  // another update is running
    struct stat now;
    if (::stat(path.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino) return fd;
  }
  return UniqueFd();
}

// Largest hash table the archive format allows.
constexpr DWORD kMaxEntries = HASH_TABLE_SIZE_MAX;
// Entries the library keeps free for "(listfile)", "(attributes)" and "(signature)".
constexpr DWORD kReservedEntries = 4;
// Room beyond the shadow's size that compacting must find free on the disk.
constexpr unsigned long long kCompactionSlack = 1 << 20;
// Archive format version 1 holds sizes of 32 bits.
constexpr size_t kMaxSourceSize = 0xFFFFFFFFu;

}  // namespace

std::unique_ptr<UpdateSession> UpdateSession::open(const char* path, uint32_t openValue, uint32_t maxFiles) {
  if (path == nullptr || *path == '\0') return nullptr;
  std::unique_ptr<UpdateSession> session(new UpdateSession);
  session->target_ = resolveTarget(path);
  if (!session->openShadow(openValue, maxFiles)) return nullptr;
  return session;
}

bool UpdateSession::openShadow(uint32_t openValue, uint32_t maxFiles) {
  struct stat st;
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  if (exists && (openValue & ARCHWRIT_OPEN_EXISTING)) {
    original_ = openAndLock(target_, st);
    if (!original_.valid()) return false;
    // A file without any write permission is read-only to its owner's wish,
    // also when a superuser could open it for writing.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    existed_ = true;
    mode_ = st.st_mode & 07777;
    uid_ = st.st_uid;
    gid_ = st.st_gid;
  } else if (!exists && errno == ENOENT && (openValue & ARCHWRIT_OPEN_CREATE)) {
    existed_ = false;
  } else {
    // Nothing to open, or a file where a new archive was to be created: leave it alone.
    return false;
  }

  ShadowFile::sweepStale(target_);
  shadow_ = ShadowFile::create(target_, existed_ ? 0600 : 0666);
  if (!shadow_) return false;

  HANDLE mpq = nullptr;
  if (existed_) {
    // The archive library takes a file's header and tables at their word;
    // only a format 1 archive whose tables lie inside the file is handed to it.
    const std::optional<storm::MpqLayout> layout = storm::CheckArchiveFile(original_.get());
    if (!layout || layout->formatVersion != 0) return false;
    if (!copyFileContents(original_.get(), shadow_->fd())) return false;
    if (!SFileOpenArchive(shadow_->path().c_str(), 0, 0, &mpq)) return false;
    mpq_ = mpq;
    if (infoDword(mpq, SFileMpqFlags) & MPQ_FLAG_READ_ONLY) return false;
    // The library cannot start a "(listfile)" in an archive that has none, so
    // the names added could not be listed: refuse rather than lose track of them.
    if ((openValue & ARCHWRIT_OPEN_KEEP_LISTFILE) && !SFileHasFile(mpq, LISTFILE_NAME)) return false;
  } else {
    mode_ = shadow_->createdMode();
    const DWORD capacity = std::clamp<DWORD>(maxFiles, HASH_TABLE_SIZE_MIN, kMaxEntries);
    const DWORD flags =
        MPQ_CREATE_ARCHIVE_V1 | ((openValue & ARCHWRIT_OPEN_KEEP_LISTFILE) ? MPQ_CREATE_LISTFILE : 0);
    if (!SFileCreateArchive(shadow_->path().c_str(), flags, capacity, &mpq)) return false;
    mpq_ = mpq;
  }
  return true;
}

UpdateSession::~UpdateSession() {
  if (mpq_ != nullptr) SFileCloseArchive(mpq_);
  // shadow_ goes next and takes its files with it; the lock on the archive goes last.
  shadow_.reset();
}

bool UpdateSession::grow() {
  const DWORD capacity = SFileGetMaxFileCount(mpq_);
  if (capacity >= kMaxEntries) return false;
  return SFileSetMaxFileCount(mpq_, std::min<DWORD>(std::max<DWORD>(capacity, 8) * 2, kMaxEntries));
}

bool UpdateSession::makeRoomForOneMore() {
  const DWORD entries = infoDword(mpq_, SFileMpqNumberOfFiles);
  return entries + kReservedEntries < SFileGetMaxFileCount(mpq_) || grow();
}

// The archive looks names up regardless of letter case, so adding "A.TXT"
// over "a.txt" would keep the old spelling in "(listfile)". Removing the old
// entry first makes the name read back as it was given.
bool UpdateSession::replaceSpellingFirst(const char* entryName) {
  HANDLE file = nullptr;
  if (!SFileOpenFileEx(mpq_, entryName, SFILE_OPEN_FROM_MPQ, &file)) return false;
  char stored[MAX_PATH] = "";
  const bool named = SFileGetFileName(file, stored);
  SFileCloseFile(file);
  if (!named || strcmp(stored, entryName) == 0 || looksLikeUnknownEntryName(stored)) return false;
  return SFileRemoveFile(mpq_, entryName, SFILE_OPEN_FROM_MPQ);
}

bool UpdateSession::add(const char* sourcePath, const char* entryName, uint32_t flags) {
  if (broken_ || sourcePath == nullptr || entryName == nullptr || *entryName == '\0') return false;
  if (isInternalName(entryName) || looksLikeUnknownEntryName(entryName)) return false;
  // "(listfile)" holds one name per line: a name with a line end in it could not be listed.
  if (strpbrk(entryName, "\r\n") != nullptr) return false;

  // Read the whole source first: a source that cannot be read leaves the archive untouched.
  FileBytes bytes;
  if (!readWholeFile(sourcePath, kMaxSourceSize, bytes)) return false;

  const DWORD stormFlags = MPQ_FILE_REPLACEEXISTING |
                           ((flags & ARCHWRIT_ADD_COMPRESS) ? MPQ_FILE_COMPRESS : 0) |
                           ((flags & ARCHWRIT_ADD_ENCRYPT) ? MPQ_FILE_ENCRYPTED : 0);
  const bool removedOld = replaceSpellingFirst(entryName);
  if (removedOld) changed_ = true;
  if (!makeRoomForOneMore() && !SFileHasFile(mpq_, entryName)) {
    broken_ = removedOld;  // the old entry is gone and the new one cannot come
    return false;
  }

  HANDLE file = nullptr;
  const DWORD size = static_cast<DWORD>(bytes.size);
  const ULONGLONG fileTime = toFileTime(bytes.modified);
  bool created = SFileCreateFile(mpq_, entryName, fileTime, size, LANG_NEUTRAL, stormFlags, &file);
  if (!created && !SFileHasFile(mpq_, entryName) && grow()) {
    // The tables may have been full in a way the count above did not show.
    created = SFileCreateFile(mpq_, entryName, fileTime, size, LANG_NEUTRAL, stormFlags, &file);
  }
  if (!created) {
    broken_ = removedOld;
    return false;
  }
  // From here on the archive's tables name the new entry: a failure leaves it half-written.
  changed_ = true;
  const DWORD compression = (flags & ARCHWRIT_ADD_COMPRESS) ? MPQ_COMPRESSION_PKWARE : 0;
  const bool written = size == 0 || SFileWriteFile(file, bytes.data.get(), size, compression);
  const bool finished = SFileFinishFile(file);
  if (!written || !finished) {
    broken_ = true;
    return false;
  }
  return true;
}

bool UpdateSession::remove(const char* entryName) {
  if (broken_ || entryName == nullptr || *entryName == '\0' || isInternalName(entryName)) return false;
  if (!SFileHasFile(mpq_, entryName)) return false;
  if (!SFileRemoveFile(mpq_, entryName, SFILE_OPEN_FROM_MPQ)) return false;
  changed_ = true;
  return true;
}

// Rewrites the shadow without the space that replaced and removed entries
// left behind, when there is any. Tables must have been flushed.
bool UpdateSession::compactIfWasted() {
  ULONGLONG hashPos = 0, blockPos = 0;
  if (SFileGetFileInfo(mpq_, SFileMpqHashTableOffset, &hashPos, sizeof hashPos, nullptr) &&
      SFileGetFileInfo(mpq_, SFileMpqBlockTableOffset, &blockPos, sizeof blockPos, nullptr)) {
    ULONGLONG live = infoDword(mpq_, SFileMpqHeaderSize);
    SFILE_FIND_DATA found;
    if (HANDLE search = SFileFindFirstFile(mpq_, "*", &found, nullptr)) {
      do {
        live += found.dwCompSize;
      } while (SFileFindNextFile(search, &found));
      SFileFindClose(search);
    }
    // The tables follow the last entry; everything before them that no entry uses is waste.
    if (std::min(hashPos, blockPos) <= live) return true;
  }

  // The compacted copy is written beside the shadow before it replaces it. On
  // a disk without room for that, keep the shadow as it is: whole, just not shrunk.
  struct statvfs disk;
  struct stat st;
  if (::fstatvfs(shadow_->fd(), &disk) == 0 && ::stat(shadow_->path().c_str(), &st) == 0 &&
      static_cast<unsigned long long>(disk.f_bavail) * disk.f_frsize <
          static_cast<unsigned long long>(st.st_size) + kCompactionSlack) {
    return true;
  }
  if (!shadow_->reserveRewrite()) return true;
  if (SFileCompactArchive(mpq_, nullptr, false)) return true;
  // Refused before it wrote anything (for instance when entries have no known
  // name): the shadow is still whole, just not shrunk. Failed while copying: it is not.
  return !shadow_->rewriteStarted();
}

// A last look before the shadow takes the archive's place: it opens as an
// archive and holds every byte its header claims.
bool UpdateSession::verifyShadow() const {
  HANDLE check = nullptr;
  if (!SFileOpenArchive(shadow_->path().c_str(), 0, STREAM_FLAG_READ_ONLY | MPQ_OPEN_NO_ATTRIBUTES, &check))
    return false;
  ULONGLONG headerAt = 0, archiveSize = 0;
  const bool sized =
      SFileGetFileInfo(check, SFileMpqHeaderOffset, &headerAt, sizeof headerAt, nullptr) &&
      SFileGetFileInfo(check, SFileMpqArchiveSize64, &archiveSize, sizeof archiveSize, nullptr);
  SFileCloseArchive(check);
  struct stat st;
  return sized && ::stat(shadow_->path().c_str(), &st) == 0 &&
         headerAt + archiveSize <= static_cast<ULONGLONG>(st.st_size);
}

bool UpdateSession::close() {
  if (broken_) return false;
  if (existed_ && !changed_) return true;  // nothing to write: the archive stays as it is

  if (!SFileFlushArchive(mpq_) || !compactIfWasted()) return false;
  HANDLE mpq = mpq_;
  mpq_ = nullptr;
  if (!SFileCloseArchive(mpq)) return false;
  if (!verifyShadow()) return false;
  const bool setOwner = existed_ && (uid_ != ::geteuid() || gid_ != ::getegid());
  return shadow_->publish(target_, existed_, mode_, uid_, gid_, setOwner);
}

}  // namespace archwrit

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

#include <cctype>
#include <cstdio>
#include <cstring>

#include "Compactor.h"
#include "ExistingArchive.h"
#include "MpqCrypt.h"
#include "PackPlan.h"
#include "archwrit.h"

namespace archwrit {

namespace {

// Entries the library writes itself; a user file under one of these names
// would be overwritten when the archive is committed, or clobber it.
bool isInternalName(const char* name) {
  for (const char* internal : {LISTFILE_NAME, ATTRIBUTES_NAME, SIGNATURE_NAME}) {
    if (strcasecmp(name, internal) == 0) return true;
  }
  return false;
}

// "File00000012.xxx" is how the archive library names entries whose real
// name it does not know; such a name would not read back as an entry of its own.
bool looksLikeUnknownEntryName(const char* name) {
  if (strncasecmp(name, "File", 4) != 0) return false;
  for (int i = 4; i < 12; ++i) {
    if (!isdigit(static_cast<unsigned char>(name[i]))) return false;
  }
  return name[12] == '.';
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

bool syncData(int fd) {
  while (::fdatasync(fd) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// Archive format version 1 holds sizes of 32 bits.
constexpr uint64_t kMaxSourceSize = UINT32_MAX;
// Packed when more than this share of the archive holds nothing an entry or table uses.
constexpr uint64_t kWasteDivisor = 4;
// Room beyond the packed copy's size that packing must find free on the disk.
constexpr uint64_t kCompactionSlack = 1 << 20;

}  // namespace

std::unique_ptr<UpdateSession> UpdateSession::open(const char* path, uint32_t openValue, uint32_t maxFiles) {
  if (path == nullptr || *path == '\0') return nullptr;
  std::unique_ptr<UpdateSession> session(new UpdateSession);
  session->target_ = resolveTarget(path);
  struct stat st;
  const bool exists = ::stat(session->target_.c_str(), &st) == 0;
  bool opened = false;
  if (exists && (openValue & ARCHWRIT_OPEN_EXISTING)) {
    opened = session->openExisting(openValue);
  } else if (!exists && errno == ENOENT && (openValue & ARCHWRIT_OPEN_CREATE)) {
    opened = session->openNew(openValue, maxFiles);
  }
  // Otherwise there is nothing to open, or a file where a new archive was to be created: leave it alone.
  return opened ? std::move(session) : nullptr;
}

bool UpdateSession::openExisting(uint32_t openValue) {
  struct stat st;
  original_ = openAndLock(target_, st);
  if (!original_.valid()) return false;
  // A file without any write permission is read-only to its owner's wish,
  // also when a superuser could open it for writing.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  // A folder that takes no new file is no reason to refuse: appending needs
  // only the archive itself, and packing can happen inside it.
  existed_ = true;
  mode_ = st.st_mode & 07777;
  originalSize_ = uint64_t(st.st_size);

  std::optional<ExistingArchive> archive = readExistingArchive(original_.get(), target_);
  if (!archive) return false;
  // Without a "(listfile)" the names added could not be listed beside the
  // entries already there: refuse rather than start one that lists only some.
  if ((openValue & ARCHWRIT_OPEN_KEEP_LISTFILE) && !archive->hasListfile) return false;
  keepListfile_ = archive->hasListfile;
  headerOffset_ = archive->layout.headerOffset;
  sectorShift_ = archive->header.sectorShift;
  table_ = std::move(archive->table);
  ShadowFile::sweepStale(target_);
  startWriter(original_.get(), originalSize_);
  return true;
}

bool UpdateSession::openNew(uint32_t openValue, uint32_t maxFiles) {
  ShadowFile::sweepStale(target_);
  shadow_ = ShadowFile::create(target_, 0666);
  if (!shadow_) return false;
  mode_ = shadow_->createdMode();
  keepListfile_ = openValue & ARCHWRIT_OPEN_KEEP_LISTFILE;
  table_ = EntryTable(maxFiles);
  startWriter(shadow_->fd(), mpq::kHeaderSize);
  return true;
}

// Entries go into fd from start on; each one's place lands in its block.
void UpdateSession::startWriter(int fd, uint64_t start) {
  writer_ = std::make_unique<EntryWriter>(fd, start, sectorSize(),
                                          [this](uint32_t id, uint64_t pos, uint32_t stored) {
                                            table_.block(id).pos = pos;
                                            table_.block(id).storedSize = stored;
                                          });
}

UpdateSession::~UpdateSession() {
  // Stop the workers before the table they report into goes.
  writer_.reset();
  // What an uncommitted update appended is no part of any archive; a reader
  // that opened the file before reads nothing past its old end.
  struct stat st;
  if (existed_ && !committed_ && ::fstat(original_.get(), &st) == 0 && uint64_t(st.st_size) > originalSize_) {
    if (::ftruncate(original_.get(), off_t(originalSize_)) != 0) {
      // Left for the next commit's packing, which counts it as waste.
    }
  }
  // shadow_ goes next and takes its file with it; the lock on the archive goes last.
  shadow_.reset();
}

bool UpdateSession::add(const char* sourcePath, const char* entryName, uint32_t flags) {
  if (broken_ || sourcePath == nullptr || entryName == nullptr || *entryName == '\0') return false;
  if (isInternalName(entryName) || looksLikeUnknownEntryName(entryName)) return false;
  // "(listfile)" holds one name per line: a name with a line end in it could not be listed.
  if (strpbrk(entryName, "\r\n") != nullptr) return false;
  const std::string name = entryName;
  const uint32_t newNames =
      (table_.contains(name) ? 0 : 1) + (keepListfile_ && !table_.contains(LISTFILE_NAME));
  if (!table_.makeRoom(newNames)) return false;

  UniqueFd source(::open(sourcePath, O_RDONLY | O_CLOEXEC));
  struct stat st;
  if (!source.valid() || ::fstat(source.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
      uint64_t(st.st_size) > kMaxSourceSize)
    return false;
  const uint32_t size = uint32_t(st.st_size);
  const bool compress = flags & ARCHWRIT_ADD_COMPRESS, encrypt = flags & ARCHWRIT_ADD_ENCRYPT;
  const uint32_t blockFlags =
      mpq::kFileExists | (compress ? mpq::kFileCompress : 0) | (encrypt ? mpq::kFileEncrypted : 0);
  const uint32_t block = table_.addBlock({0, 0, size, blockFlags});
  writer_->begin(block, size, crypt::fileKey(name), compress, encrypt);
  // A source that cannot be read leaves the archive as it was.
  if (!feedSource(source.get(), size)) {
    writer_->abort();
    return false;
  }
  writer_->finish();
  // Room was made above; the bytes just written are only waste should the name still not fit.
  if (!table_.put(name, block)) return false;
  changed_ = true;
  broken_ = writer_->failed();
  return !broken_;
}

// Reads the source in pieces for the workers; false when it ends early or
// goes on past its size (it changed while it was read and would be stored cut short).
bool UpdateSession::feedSource(int fd, uint32_t size) {
  for (uint64_t done = 0; done < size;) {
    std::vector<uint8_t> piece(size_t(std::min<uint64_t>(writer_->pieceBytes(), size - done)));
    for (size_t got = 0; got < piece.size();) {
      const ssize_t n = ::read(fd, piece.data() + got, piece.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      got += size_t(n);
    }
    done += piece.size();
    writer_->feed(std::move(piece));
  }
  char probe;
  ssize_t n;
  while ((n = ::read(fd, &probe, 1)) < 0 && errno == EINTR) {
  }
  return n == 0;
}

bool UpdateSession::remove(const char* entryName) {
  if (broken_ || entryName == nullptr || *entryName == '\0' || isInternalName(entryName)) return false;
  if (!table_.erase(entryName)) return false;
  changed_ = true;
  return true;
}

// A new "(listfile)" naming every entry whose name is known, compressed and
// encrypted (keyed by its name) like the entries themselves.
bool UpdateSession::addListfile() {
  std::string text;
  for (const std::string& name : table_.listedNames()) text += name + "\r\n";
  const uint32_t block = table_.addBlock(
      {0, 0, uint32_t(text.size()), mpq::kFileExists | mpq::kFileCompress | mpq::kFileEncrypted});
  writer_->begin(block, uint32_t(text.size()), crypt::fileKey(LISTFILE_NAME), true, true);
  for (size_t at = 0; at < text.size(); at += writer_->pieceBytes()) {
    const size_t length = std::min<size_t>(writer_->pieceBytes(), text.size() - at);
    writer_->feed(std::vector<uint8_t>(text.begin() + ptrdiff_t(at), text.begin() + ptrdiff_t(at + length)));
  }
  writer_->finish();
  return table_.put(LISTFILE_NAME, block);
}

bool UpdateSession::close() {
  if (broken_) return false;
  if (existed_ && !changed_) return true;  // nothing to write: the archive stays as it is

  // Neither can be kept correct once entries change: the attributes hold
  // checksums per block, the signature covers the whole archive.
  table_.erase(ATTRIBUTES_NAME);
  table_.erase(SIGNATURE_NAME);
  if (keepListfile_ && !addListfile()) return false;
  if (!writer_->flush()) return false;
  return commit();
}

bool UpdateSession::commit() {
  const EntryTable::Encoded tables = table_.encode(headerOffset_);
  const uint64_t tablesAt = writer_->end();
  const uint64_t tableBytes = tables.hashTable.size() + tables.blockTable.size();
  const uint64_t archiveSize = tablesAt + tableBytes - headerOffset_;
  const uint64_t used = mpq::kHeaderSize + tables.storedBytes + tableBytes;
  // Past 4 GiB the format's 32-bit positions cannot reach the tables: packing is the only way.
  const bool unreachable = archiveSize > UINT32_MAX;
  // No pack can win back more than the space no entry uses: most commits end their look here.
  if (archiveSize - std::min(used, archiveSize) > archiveSize / kWasteDivisor || unreachable) {
    const PackPlan plan = PackPlan::make(dataFd(), headerOffset_, sectorSize(), table_);
    // Entries that cannot move keep their places, so a pack wins back less
    // than the waste when they lie late in the file; it is begun only when
    // what it leaves (its tables included) is a quarter smaller and within reach.
    const uint64_t packedSize = plan.entriesEnd() + tableBytes - headerOffset_;
    const bool pays = packedSize <= UINT32_MAX &&
                      archiveSize - std::min(packedSize, archiveSize) > archiveSize / kWasteDivisor;
    if ((pays || (unreachable && packedSize <= UINT32_MAX)) && compact(plan)) return true;
    if (unreachable) return false;
  }
  if (!writeTablesAndHeader(dataFd(), tables, tablesAt)) return false;
  if (existed_) return true;
  return shadow_->publish(target_, false, mode_);
}

// Writes the tables at tablesAt, ends the file after them, and points the
// header at them. In an existing archive everything before the header is
// synced first, and the header written over the old one is synced after.
bool UpdateSession::writeTablesAndHeader(int fd, const EntryTable::Encoded& tables, uint64_t tablesAt) {
  const uint64_t blockAt = tablesAt + tables.hashTable.size();
  const uint64_t end = blockAt + tables.blockTable.size();
  // The header's positions are 32 bits: tables that would end past them are not written at all.
  if (end - headerOffset_ > UINT32_MAX) return false;
  const bool inPlace = existed_ && fd == original_.get();
  if (!writeAllAt(fd, tables.hashTable.data(), tables.hashTable.size(), tablesAt) ||
      !writeAllAt(fd, tables.blockTable.data(), tables.blockTable.size(), blockAt) ||
      (!inPlace && ::ftruncate(fd, off_t(end)) != 0))
    return false;

  uint8_t header[mpq::kHeaderSize] = {};
  mpq::storeLe32(header, mpq::kSignature);
  mpq::storeLe32(header + 4, mpq::kHeaderSize);
  mpq::storeLe32(header + 8, uint32_t(end - headerOffset_));
  mpq::storeLe16(header + 12, 0);  // format version 1
  mpq::storeLe16(header + 14, sectorShift_);
  mpq::storeLe32(header + 16, uint32_t(tablesAt - headerOffset_));
  mpq::storeLe32(header + 20, uint32_t(blockAt - headerOffset_));
  mpq::storeLe32(header + 24, tables.hashEntries);
  mpq::storeLe32(header + 28, tables.blockEntries);
  // Until this sync the old header points at the old tables, all still there.
  if (inPlace && !syncData(fd)) return false;
  if (!writeAllAt(fd, header, sizeof header, headerOffset_)) return false;
  // One 32-byte write within one 512-byte block: the disk takes it whole or not at all.
  if (!inPlace) return true;
  committed_ = true;
  // From here on the file is the new archive, whatever the sync says: readers
  // see it now, and the caller must not take its changes for unwritten. Only
  // a power loss before the disk has the header could still bring back the old one.
  if (!syncData(fd)) {
    std::fprintf(stderr,
                 "ARCHWRIT: %s is updated, but the disk did not confirm its new header (%s); "
                 "a power loss now could bring back the archive as it was before\n",
                 target_.c_str(), std::strerror(errno));
  }
  // Only now may what lies after the new tables go: the old header could
  // still have pointed into it (after a pack in place, at the entries' other copy).
  if (::ftruncate(fd, off_t(end)) != 0) {
    // Left as space no table points at, for the next commit to count as waste.
  }
  return true;
}

// Packs the entries in use into a new file beside the archive, as plan lays
// them out, and renames it into place. When the folder takes no new file or
// a new file could not keep what the archive's file is (see keepsOwnership),
// the archive is packed inside its own file instead. False, with the archive
// untouched, when there is no room for the copy or neither way can be taken:
// the commit then appends as usual. Everything that can say no is asked
// before a byte is copied.
bool UpdateSession::compact(const PackPlan& plan) {
  EntryTable packed = table_;
  const EntryTable::Encoded sizes = packed.encode(headerOffset_);
  const uint64_t needed =
      plan.entriesEnd() + sizes.hashTable.size() + sizes.blockTable.size() + kCompactionSlack;
  struct statvfs disk;
  if (::fstatvfs(dataFd(), &disk) == 0 && uint64_t(disk.f_bavail) * disk.f_frsize < needed) return false;
  std::unique_ptr<ShadowFile> copy = ShadowFile::create(target_, existed_ ? 0600 : 0666);
  if (!copy || !keepsOwnership(copy->fd())) {
    copy.reset();
    return existed_ && compactInPlace(plan, sizes.hashTable.size() + sizes.blockTable.size());
  }
  if (headerOffset_ > 0 && !copyRange(dataFd(), 0, copy->fd(), 0, headerOffset_)) return false;
  if (!compactEntries(dataFd(), copy->fd(), headerOffset_, sectorSize(), plan, packed)) return false;
  if (!writeTablesAndHeader(copy->fd(), packed.encode(headerOffset_), plan.entriesEnd())) return false;
  if (!copy->publish(target_, existed_, mode_)) return false;
  committed_ = true;
  return true;
}

// Gives the empty packed copy the archive's owner and group, or its group
// alone when only a privileged process could give the owner (the updater
// then owns the packed archive, and those who shared it through its group
// still do). False when not even the group can be kept, or when the archive
// has other hard links, which a new file in its place would leave holding
// the old archive: such an archive is packed in its own file.
bool UpdateSession::keepsOwnership(int copyFd) const {
  if (!existed_) return true;
  struct stat archive, copy;
  if (::fstat(original_.get(), &archive) != 0 || ::fstat(copyFd, &copy) != 0) return false;
  if (archive.st_nlink > 1) return false;
  if (copy.st_uid == archive.st_uid && copy.st_gid == archive.st_gid) return true;
  if (::fchown(copyFd, archive.st_uid, archive.st_gid) == 0) return true;
  return copy.st_gid == archive.st_gid || ::fchown(copyFd, uid_t(-1), archive.st_gid) == 0;
}

// Packs the archive inside its own file, keeping its inode, owner, group
// and links. The entries in use are first copied after everything appended
// and committed there like any append, which leaves all before them unused
// (but for entries that cannot move); then they are copied to their packed
// places from the header on and committed again, and the file is cut after
// the new tables. Each step writes only where no table points and syncs
// before its header, so a crash leaves the old archive, the new one with its
// entries at the end, or the new one packed. Unlike a pack into a new file,
// a reader that opened the archive before this update reads moved bytes
// afterwards. False, with nothing committed, when the first copy could not
// be made or would end past 4 GiB.
bool UpdateSession::compactInPlace(const PackPlan& front, uint64_t tableBytes) {
  const int fd = original_.get();
  const uint64_t start = writer_->end();
  const PackPlan tail = front.appendedAt(start);
  if (tail.entriesEnd() + tableBytes - headerOffset_ > UINT32_MAX || front.entriesEnd() + tableBytes > start)
    return false;
  EntryTable moved = table_;
  if (!compactEntries(fd, fd, headerOffset_, sectorSize(), tail, moved) ||
      !writeTablesAndHeader(fd, moved.encode(headerOffset_), tail.entriesEnd()))
    return false;
  // The archive is the new one now; moving it to the front only wins its
  // space back, and overwrites what the old header pointed at: only once the
  // header just written is surely on the disk.
  table_ = std::move(moved);
  if (!syncData(fd)) return true;
  const PackPlan packed = PackPlan::make(fd, headerOffset_, sectorSize(), table_);
  EntryTable placed = table_;
  if (packed.entriesEnd() + tableBytes <= start &&
      compactEntries(fd, fd, headerOffset_, sectorSize(), packed, placed) &&
      writeTablesAndHeader(fd, placed.encode(headerOffset_), packed.entriesEnd()))
    table_ = std::move(placed);
  return true;
}

}  // namespace archwrit

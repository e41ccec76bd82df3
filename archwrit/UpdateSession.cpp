#include "UpdateSession.h"

#include <StormLib.h>
#include <errno.h>

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

// Whether a and b agree in their first n characters (all of them when both
// end before), but for the letter case of ASCII letters.
bool asciiEqualNoCase(const char* a, const char* b, size_t n = SIZE_MAX) {
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
    if (a[i] == '\0') break;
  }
  return true;
}

// Entries the library writes itself; a user file under one of these names
// would be overwritten when the archive is committed, or clobber it.
bool isInternalName(const char* name) {
  for (const char* internal : {LISTFILE_NAME, ATTRIBUTES_NAME, SIGNATURE_NAME}) {
    if (asciiEqualNoCase(name, internal)) return true;
  }
  return false;
}

// "File00000012.xxx" is how the archive library names entries whose real
// name it does not know; such a name would not read back as an entry of its own.
bool looksLikeUnknownEntryName(const char* name) {
  if (!asciiEqualNoCase(name, "File", 4)) return false;
  for (int i = 4; i < 12; ++i) {
    if (!isdigit(static_cast<unsigned char>(name[i]))) return false;
  }
  return name[12] == '.';
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
  session->target_ = resolveLink(path);
  const PathState state = stateOf(session->target_);
  bool opened = false;
  if (state == PathState::Present && (openValue & ARCHWRIT_OPEN_EXISTING)) {
    opened = session->openExisting(openValue);
  } else if (state == PathState::Missing && (openValue & ARCHWRIT_OPEN_CREATE)) {
    opened = session->openNew(openValue, maxFiles);
  }
  // Otherwise there is nothing to open, or a file where a new archive was to be created: leave it alone.
  return opened ? std::move(session) : nullptr;
}

bool UpdateSession::openExisting(uint32_t openValue) {
  FileFacts facts;
  original_ = openAndLock(target_, facts);
  if (!original_.valid()) return false;
  // A file without any write permission is read-only to its owner's wish,
  // also when a superuser could open it for writing.
  if (!facts.writable) return false;
  // A folder that takes no new file is no reason to refuse: appending needs
  // only the archive itself, and packing can happen inside it.
  existed_ = true;
  mode_ = facts.mode;
  originalSize_ = facts.size;

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
  FileFacts facts;
  if (existed_ && !committed_ && factsOf(original_.get(), facts) && facts.size > originalSize_) {
    if (!truncateFile(original_.get(), originalSize_)) {
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

  UniqueFd source = openForReading(sourcePath);
  FileFacts facts;
  if (!source.valid() || !factsOf(source.get(), facts) || !facts.regular || facts.size > kMaxSourceSize)
    return false;
  const uint32_t size = uint32_t(facts.size);
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
      size_t n = 0;
      if (!readOn(fd, piece.data() + got, piece.size() - got, n) || n == 0) return false;
      got += n;
    }
    done += piece.size();
    writer_->feed(std::move(piece));
  }
  char probe;
  size_t n = 0;
  return readOn(fd, &probe, 1, n) && n == 0;
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
    const std::optional<PackPlan> plan = PackPlan::make(dataFd(), headerOffset_, sectorSize(), table_);
    // Entries that cannot move keep their places, so a pack wins back less
    // than the waste when they lie late in the file; it is begun only when
    // what it leaves (its tables included) is a quarter smaller and within reach.
    const uint64_t packedSize = plan ? plan->entriesEnd() + tableBytes - headerOffset_ : UINT64_MAX;
    const bool pays = packedSize <= UINT32_MAX &&
                      archiveSize - std::min(packedSize, archiveSize) > archiveSize / kWasteDivisor;
    if ((pays || (unreachable && packedSize <= UINT32_MAX)) && compact(*plan)) return true;
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
      (!inPlace && !truncateFile(fd, end)))
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
  if (inPlace && !syncArchive(fd)) return false;
  if (!writeAllAt(fd, header, sizeof header, headerOffset_)) return false;
  // One 32-byte write within one 512-byte block: the disk takes it whole or not at all.
  if (!inPlace) return true;
  committed_ = true;
  // From here on the file is the new archive, whatever the sync says: readers
  // see it now, and the caller must not take its changes for unwritten. Only
  // a power loss before the disk has the header could still bring back the old one.
  if (!syncArchive(fd)) {
    std::fprintf(stderr,
                 "ARCHWRIT: %s is updated, but the disk did not confirm its new header (%s); "
                 "a power loss now could bring back the archive as it was before\n",
                 target_.c_str(), std::strerror(errno));
    // The header the disk has may still be the old one, and point past the
    // new tables (after a pack in place, at the entries' other copy): nothing is cut.
    return true;
  }
  // Only now may what lies after the new tables go: the old header could
  // still have pointed into it.
  if (!truncateFile(fd, end)) {
    // Left as space no table points at, for the next commit to count as waste.
  }
  return true;
}

// Syncs the archive's file. Once one sync of it has failed, every later one
// fails too: the kernel may have dropped the pages it could not write and
// reports that only once, so a later sync that succeeds does not vouch for
// anything written before the failure, and no header may count on it.
bool UpdateSession::syncArchive(int fd) {
  if (syncFailed_) {
    errno = EIO;
    return false;
  }
  syncFailed_ = !syncData(fd);
  return !syncFailed_;
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
  if (lacksSpace(dataFd(), needed)) return false;
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

// Whether the packed copy can take the archive's place keeping what its file
// is (see copyCanReplace); else the archive is packed in its own file.
bool UpdateSession::keepsOwnership(int copyFd) const {
  return !existed_ || copyCanReplace(original_.get(), copyFd, dirName(target_));
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
  // header just written is surely on the disk (its sync succeeded).
  table_ = std::move(moved);
  if (syncFailed_) return true;
  const std::optional<PackPlan> packed = PackPlan::make(fd, headerOffset_, sectorSize(), table_);
  EntryTable placed = table_;
  if (packed && packed->entriesEnd() + tableBytes <= start &&
      compactEntries(fd, fd, headerOffset_, sectorSize(), *packed, placed) &&
      writeTablesAndHeader(fd, placed.encode(headerOffset_), packed->entriesEnd()))
    table_ = std::move(placed);
  return true;
}

}  // namespace archwrit

// One archive opened for update.
//
// An existing archive is changed by appending: the stored bytes of added
// entries, a new "(listfile)" and new hash and block tables go after the
// file's end, are synced, and only then does the 32-byte header at the
// archive's start take the new tables (synced again). Nothing the old header
// points at is written, so at every moment the file is a whole archive: the
// old one until the header is written, the new one after it. When packing
// (planned from the tables first) would win back more than a quarter of the
// archive, the live entries are packed into a new file beside it instead,
// which replaces the archive in one rename, or, when such a file cannot be
// made there, keep the archive's group and links or be renamed over it,
// packed inside the archive's own file in two committed steps. A new
// archive is always built beside its path and renamed into place.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "EntryTable.h"
#include "EntryWriter.h"
#include "FileLayer.h"
#include "MpqFormat.h"
#include "PackPlan.h"
#include "ShadowFile.h"

namespace archwrit {

class UpdateSession {
 public:
  // Null when the archive cannot be opened or created; the file at path is then untouched.
  static std::unique_ptr<UpdateSession> open(const char* path, uint32_t openValue, uint32_t maxFiles);

  UpdateSession(const UpdateSession&) = delete;
  UpdateSession& operator=(const UpdateSession&) = delete;
  // Drops every change that close() did not commit.
  ~UpdateSession();

  // Stores the bytes of the disk file sourcePath under entryName, replacing
  // any entry of that name (the replace bit is not needed for that). The
  // source is read whole before this returns; its sectors are compressed
  // and written while later calls come.
  bool add(const char* sourcePath, const char* entryName, uint32_t flags);
  // Removes entryName; false when the archive holds no such entry.
  bool remove(const char* entryName);
  // Commits every change into the archive file. False when that failed, in
  // which case the archive is as it was before open(); true once the header
  // points at the new tables, even if the sync after it failed (warned on stderr).
  bool close();

 private:
  UpdateSession() = default;
  bool openExisting(uint32_t openValue);
  bool openNew(uint32_t openValue, uint32_t maxFiles);
  void startWriter(int fd, uint64_t start);
  int dataFd() const { return existed_ ? original_.get() : shadow_->fd(); }
  uint32_t sectorSize() const { return uint32_t(512) << sectorShift_; }
  bool feedSource(int fd, uint32_t size);
  bool addListfile();
  bool commit();
  bool compact(const PackPlan& plan);
  bool keepsOwnership(int copyFd) const;
  bool compactInPlace(const PackPlan& front, uint64_t tableBytes);
  bool writeTablesAndHeader(int fd, const EntryTable::Encoded& tables, uint64_t tablesAt);
  bool syncArchive(int fd);

  std::string target_;                  // the archive's path (a symbolic link resolved)
  bool existed_ = false;                // target_ was an archive before open()
  UniqueFd original_;                   // the archive, locked against other sessions
  uint32_t mode_ = 0;                   // permission bits a new or packed file gets
  std::unique_ptr<ShadowFile> shadow_;  // a new archive, until it is renamed into place
  uint64_t headerOffset_ = 0;
  uint64_t originalSize_ = 0;  // of the archive's file at open()
  uint16_t sectorShift_ = mpq::kNewSectorShift;
  bool keepListfile_ = false;
  EntryTable table_;
  std::unique_ptr<EntryWriter> writer_;
  bool changed_ = false;     // something was added or removed
  bool broken_ = false;      // a write failed: nothing may be committed
  bool committed_ = false;   // the header points at the new tables (or the packed file replaced the archive)
  bool syncFailed_ = false;  // a sync of the archive's file failed: no later one vouches for its bytes
};

}  // namespace archwrit

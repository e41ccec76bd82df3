// One archive opened for update: every change goes into a shadow copy beside
// the archive, and close() puts the finished copy in the archive's place with
// one atomic rename. Whatever happens before that (an error, a full disk, the
// process being killed) leaves the archive exactly as it was.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

#include "PosixFile.h"
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
  // any entry of that name (the replace bit is not needed for that).
  bool add(const char* sourcePath, const char* entryName, uint32_t flags);
  // Removes entryName; false when the archive holds no such entry.
  bool remove(const char* entryName);
  // Commits every change into the archive file. False when that failed, in
  // which case the archive is as it was before open().
  bool close();

 private:
  UpdateSession() = default;
  bool openShadow(uint32_t openValue, uint32_t maxFiles);
  bool grow();
  bool makeRoomForOneMore();
  bool replaceSpellingFirst(const char* entryName);
  bool compactIfWasted();
  bool verifyShadow() const;

  std::string target_;    // the archive's path (a symbolic link resolved)
  bool existed_ = false;  // target_ was an archive before open()
  UniqueFd original_;     // the archive, locked against other sessions
  mode_t mode_ = 0;       // permission bits the result gets
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  std::unique_ptr<ShadowFile> shadow_;
  void* mpq_ = nullptr;   // the archive library's handle on the shadow
  bool changed_ = false;  // something was added or removed
  bool broken_ = false;   // a write failed half-way: the shadow cannot be trusted
};

}  // namespace archwrit

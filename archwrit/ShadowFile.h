// A new archive, or the packed copy of one, while it is written: a new file
// beside the archive's path, created exclusively under a random name, that
// takes that path in one rename once it is complete.
//
// Every shadow is held (see createHeld) for as long as its session lives, so
// a later session can tell the shadows of sessions that died (and only those)
// from live ones and remove them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "FileLayer.h"

namespace archwrit {

class ShadowFile {
 public:
  // Creates an empty shadow beside target with the given permission bits
  // (the process's umask applies). Null when the folder takes no new file.
  static std::unique_ptr<ShadowFile> create(const std::string& target, uint32_t mode);

  // Removes shadows beside target that no live session holds.
  static void sweepStale(const std::string& target);

  ShadowFile(const ShadowFile&) = delete;
  ShadowFile& operator=(const ShadowFile&) = delete;
  // Removes whatever of the shadow was not published.
  ~ShadowFile();

  const std::string& path() const { return path_; }
  // The shadow as created, open for reading and writing.
  int fd() const { return fd_.get(); }
  // The permission bits the shadow was created with.
  uint32_t createdMode() const { return createdMode_; }

  // Makes the file now at path() durable with the given mode, then renames
  // it onto target: over an existing file when replace, else only if nothing
  // has appeared at target meanwhile. Its owner is the caller's to set before.
  bool publish(const std::string& target, bool replace, uint32_t mode);

 private:
  ShadowFile(std::string path, UniqueFd fd, uint32_t createdMode);

  std::string path_;
  UniqueFd fd_;
  uint32_t createdMode_;
};

}  // namespace archwrit

// The archive writer's file layer: an owning descriptor, positioned reads and
// writes, fast copies, the update lock, syncs and renames. Paths are the
// library's disk paths (on Windows UTF-8, reaching the system through its wide
// calls). FileLayer_posix.cpp and FileLayer_win.cpp hold the two systems' ways.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace archwrit {

// Owns one file descriptor and closes it when it goes (on Windows a C
// runtime descriptor over the file's handle).
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release();
  void reset(int fd = -1);

 private:
  int fd_ = -1;
};

// The folder part of a path ("." when it has none) and the part after its last separator.
std::string dirName(const std::string& path);
std::string baseName(const std::string& path);
// The path of name in the folder dir.
std::string joinPath(const std::string& dir, const std::string& name);

// Positioned whole reads and writes; false on an error or a short read.
bool readAllAt(int fd, void* data, size_t size, uint64_t pos);
bool writeAllAt(int fd, const void* data, size_t size, uint64_t pos);
// Reads on from where the last read ended: got is 0 at the end. False on an error.
bool readOn(int fd, void* data, size_t size, size_t& got);

// Copies length bytes of in from inPos to out at outPos, in the kernel where it can.
bool copyRange(int in, uint64_t inPos, int out, uint64_t outPos, uint64_t length);

// Makes the folder's entries (a rename or a new name) durable.
bool syncDirectory(const std::string& dir);

// What the layer needs to know of an open file.
struct FileFacts {
  bool regular = false;
  uint64_t size = 0;
  uint32_t mode = 0;  // permission bits
  bool writable = false;  // some write permission is set: not read-only to its owner's wish
};
bool factsOf(int fd, FileFacts& facts);

// Whether something is at path: Present, Missing (nothing is there), or
// Unknown (it cannot be told, e.g. a folder on the way cannot be searched).
enum class PathState { Present, Missing, Unknown };
PathState stateOf(const std::string& path);

// The archive a symbolic link at path leads to, so that the archive is
// updated and the link stays a link; path itself otherwise.
std::string resolveLink(const std::string& path);

// Opens the existing archive for reading and writing and takes its update
// lock, making sure the lock is on the file that is at path now and not on
// one a finished update replaced. Invalid when it cannot be opened, is no
// regular file, or another update holds it. Readers are never kept out.
UniqueFd openAndLock(const std::string& path, FileFacts& facts);

// A file to read from the start; invalid when it cannot be opened.
UniqueFd openForReading(const std::string& path);

// Brings the file's bytes (and what is needed to read them back) to the disk;
// syncFile brings its metadata too.
bool syncData(int fd);
bool syncFile(int fd);
bool truncateFile(int fd, uint64_t size);

// True when the disk holding fd surely has fewer than bytes free.
bool lacksSpace(int fd, uint64_t bytes);

// Whether a packed copy (copyFd, just created beside the archive in folder)
// may take the archive's place: it can keep what the archive's file is (its
// owner and group, its single link) and can be renamed over it. False sends
// the pack into the archive's own file.
bool copyCanReplace(int archiveFd, int copyFd, const std::string& folder);

// Fills data with random bytes as far as the system gives them; how many.
size_t randomBytes(unsigned char* data, size_t size);

// Creates name exclusively (never through a link) with the permission bits
// mode (the umask applies) and holds it so that sweepUnheld sees it is in
// use for as long as the descriptor lives. Invalid when it fails; taken tells
// whether that was because the name is in use (another name may do).
UniqueFd createHeld(const std::string& name, uint32_t mode, bool& taken);

// Removes every regular file in dir whose name matches and that no live
// descriptor of createHeld holds (its process died).
void sweepUnheld(const std::string& dir, const std::function<bool(const std::string&)>& matches);

// Whether name is the very file open at fd (and no link).
bool isFileAt(int fd, const std::string& name);
// Removes name (when it is fd's file) .
void removeFileAt(int fd, const std::string& name);

// Gives the file at fd, created by createHeld at from, the permission bits
// mode and brings it to the disk, then moves it to to: over a file there when
// replace, else only when nothing is at to. Its folder's names are synced
// after. False, with the file still at from, when a step fails.
bool publishFile(int fd, const std::string& from, const std::string& to, bool replace, uint32_t mode);

}  // namespace archwrit

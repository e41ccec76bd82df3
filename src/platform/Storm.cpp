#include "platform/Storm.h"

#include <StormLib.h>

#include <QByteArray>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/ArchiveFile.h"
#include "platform/MpqGuard.h"

namespace storm {
namespace {

// A file written within a short while before it was looked at may be written
// again without its times changing: timestamps come from a clock that moves in
// ticks of up to 10 ms, and some file systems keep only whole seconds (FAT even
// two). Such an archive is used for one transaction and not kept. Once the file
// is older than that, any later write moves its times and the stat at the next
// open sees it. A time with no fraction of a second hints at a file system that
// keeps whole seconds.
qint64 RacyWindowNs(qint64 mtimeNs) {
  return mtimeNs % 1000000000 != 0 ? 50'000'000 : 3'000'000'000;
}

// An archive kept between transactions is let go of this long after its last
// one: the file is held only while the program reads it, not while it waits
// for the user, so another program can replace or delete it (Windows
// replaces no file that is open). A tool that retries for a moment, as the
// program's own writes do, gets the file.
constexpr std::chrono::milliseconds kLetGoAfter{300};

using Clock = std::chrono::steady_clock;

struct Archive {
  HANDLE mpq = nullptr;
  FileStamp id;
  MpqLayout layout;
  int fd = -1;  // the file the layout was read from, for the entry checks
  int users = 0;
  bool reusable = false;
  Clock::time_point idleSince;  // its last transaction's end, while users is 0
  // The library's archive is not safe to use from two threads at once: while
  // it is in use it belongs to one thread, and its reads hold this lock
  // instead of the layer's, so that threads with archives of their own
  // decode side by side.
  std::thread::id holder;
  std::mutex io;
  ~Archive() {
    if (fd >= 0) CloseArchiveFile(fd);
  }
};

struct Entry {
  HANDLE file = nullptr;
  Archive* owner = nullptr;
  MpqEntryFacts facts;
  std::string name;
  bool decodeChecked = false;  // the sector table and sectors were checked at the first read
  std::vector<uint32_t> unset;  // positions the decoder leaves unwritten (found at that check)
};

struct State {
  std::mutex mutex;
  std::vector<std::unique_ptr<Archive>> archives;
  std::vector<std::unique_ptr<Entry>> entries;
  quint64 diskOpens = 0;
  // Lets go of kept archives once they have been idle for kLetGoAfter.
  std::thread letGo;
  std::condition_variable kept;
  bool stopping = false;
  bool waitingForAny = false;  // the thread sleeps until an archive is kept

  ~State() {
    {
      std::lock_guard lock(mutex);
      stopping = true;
    }
    kept.notify_all();
    if (letGo.joinable()) letGo.join();
    CloseAll();
  }

  // Called with the mutex held, when an archive is kept after its transaction.
  void Keep(Archive* a) {
    a->idleSince = Clock::now();
    if (!letGo.joinable()) letGo = std::thread([this] { LetGoOfIdle(); });
    // A thread already waiting for an earlier archive's moment wakes then and
    // finds this one's later; only one waiting for none needs waking now,
    // not once for every entry read.
    if (waitingForAny) kept.notify_all();
  }
  void LetGoOfIdle() {
    std::unique_lock lock(mutex);
    while (!stopping) {
      const Clock::time_point now = Clock::now();
      std::optional<Clock::time_point> next;
      std::vector<Archive*> due;
      for (auto& a : archives) {
        if (a->users > 0) continue;
        const Clock::time_point at = a->idleSince + kLetGoAfter;
        if (at <= now)
          due.push_back(a.get());
        else if (!next || at < *next)
          next = at;
      }
      for (Archive* a : due) CloseArchiveNow(a);
      waitingForAny = !next;
      if (next)
        kept.wait_until(lock, *next);
      else
        kept.wait(lock);
      waitingForAny = false;
    }
  }

  Archive* FindArchive(Handle h) {
    auto it = std::find_if(archives.begin(), archives.end(), [h](auto& a) { return a.get() == h; });
    return it == archives.end() ? nullptr : it->get();
  }
  Entry* FindEntry(Handle h) {
    auto it = std::find_if(entries.begin(), entries.end(), [h](auto& e) { return e.get() == h; });
    return it == entries.end() ? nullptr : it->get();
  }
  void CloseArchiveNow(Archive* a) {
    SFileCloseArchive(a->mpq);
    std::erase_if(archives, [a](auto& p) { return p.get() == a; });
  }
  void CloseIdle() {
    std::vector<Archive*> idle;
    for (auto& a : archives)
      if (a->users == 0) idle.push_back(a.get());
    for (Archive* a : idle) CloseArchiveNow(a);
  }
  // Another archive of the same file already kept between transactions
  // (left by a thread that read beside this one).
  bool KeptTwice(const Archive* a) {
    return std::any_of(archives.begin(), archives.end(), [a](auto& other) {
      return other.get() != a && other->users == 0 && other->reusable && other->id == a->id;
    });
  }
  void CloseAll() {
    for (auto& e : entries) SFileCloseFile(e->file);
    entries.clear();
    for (auto& a : archives) SFileCloseArchive(a->mpq);
    archives.clear();
  }
};

// Read-only, without loading the listing or attribute entries at open, and as
// format 1 whatever the header's version says, as the game's library reads it;
// shared with an update writing the archive (where the system asks).
constexpr DWORD kOpenFlags = MPQ_OPEN_READ_ONLY | STREAM_FLAG_WRITE_SHARE | MPQ_OPEN_NO_LISTFILE |
                             MPQ_OPEN_NO_ATTRIBUTES | MPQ_OPEN_FORCE_MPQ_V1;

// The file open for reading, when it passes the archive checks; -1 otherwise.
int OpenChecked(const char* path, MpqLayout& layout) {
  const int fd = OpenArchiveFile(path);
  if (fd < 0) return -1;
  const std::optional<MpqLayout> checked = CheckArchiveFile(fd);
  if (!checked) {
    CloseArchiveFile(fd);
    return -1;
  }
  layout = *checked;
  return fd;
}

template <typename T>
bool FileInfo(HANDLE file, SFileInfoClass what, T& value) {
  value = T{};
  return SFileGetFileInfo(file, what, &value, sizeof value, nullptr);
}

// The library has found the entry but read none of its bytes yet.
bool EntryIsReadable(const Archive& a, HANDLE file, MpqEntryFacts& facts) {
  ULONGLONG offset = 0;
  DWORD stored = 0, size = 0, flags = 0;
  if (!FileInfo(file, SFileInfoByteOffset, offset) || !FileInfo(file, SFileInfoCompressedSize, stored) ||
      !FileInfo(file, SFileInfoFileSize, size) || !FileInfo(file, SFileInfoFlags, flags))
    return false;
  facts = MpqEntryFacts{offset, stored, size, flags};
  return EntryFits(a.layout, facts);
}

State& state() {
  static State s;
  return s;
}

}  // namespace

int OpenArchive(const char* path, quint32 /*priority*/, quint32 /*flags*/, Handle* archive) {
  if (archive) *archive = nullptr;
  if (!path || !archive) return 0;
  State& s = state();
  std::lock_guard lock(s.mutex);

  const int64_t now = WallClockNs();
  FileStamp before;
  if (!StampOfRegularFile(path, before)) return 0;
  const std::thread::id self = std::this_thread::get_id();
  for (auto& a : s.archives) {
    if (a->reusable && a->id == before && (a->users == 0 || a->holder == self)) {
      ++a->users;
      a->holder = self;
      *archive = a.get();
      return 1;
    }
  }
  // Keep at most one archive between transactions: the one about to be opened.
  s.CloseIdle();

  ++s.diskOpens;
  MpqLayout layout;
  const int fd = OpenChecked(path, layout);
  if (fd < 0) return 0;
  HANDLE mpq = nullptr;
  const std::string libraryPath = LibraryPath(path);
  if (libraryPath.empty() || !SFileOpenArchive(libraryPath.c_str(), 0, kOpenFlags, &mpq)) {
    CloseArchiveFile(fd);
    return 0;
  }
  auto a = std::make_unique<Archive>();
  a->mpq = mpq;
  a->id = before;
  a->layout = layout;
  a->fd = fd;
  a->users = 1;
  a->holder = self;
  // Changed while it was being opened, or too fresh to trust its times: use it
  // for this transaction only.
  FileStamp after;
  a->reusable = StampOfRegularFile(path, after) && after == before && after.size == qint64(layout.fileSize) &&
                now - before.mtimeNs >= RacyWindowNs(before.mtimeNs);
  *archive = a.get();
  s.archives.push_back(std::move(a));
  return 1;
}

int OpenEntry(Handle archive, const char* name, quint32 /*scope*/, Handle* entry) {
  if (entry) *entry = nullptr;
  if (!name || !entry) return 0;
  State& s = state();
  std::lock_guard lock(s.mutex);
  Archive* a = s.FindArchive(archive);
  if (!a || a->users == 0) return 0;
  std::lock_guard archiveLock(a->io);
  HANDLE file = nullptr;
  if (!SFileOpenFileEx(a->mpq, name, SFILE_OPEN_FROM_MPQ, &file)) return 0;
  MpqEntryFacts facts;
  if (!EntryIsReadable(*a, file, facts)) {
    SFileCloseFile(file);
    return 0;
  }
  auto e = std::make_unique<Entry>();
  e->file = file;
  e->owner = a;
  e->facts = facts;
  e->name = name;
  *entry = e.get();
  s.entries.push_back(std::move(e));
  return 1;
}

int HoldsEntry(Handle archive, const char* name) {
  if (!name) return 0;
  State& s = state();
  std::lock_guard lock(s.mutex);
  Archive* a = s.FindArchive(archive);
  if (!a || a->users == 0) return 0;
  std::lock_guard archiveLock(a->io);
  return SFileHasFile(a->mpq, name) ? 1 : 0;
}

int TablesHold(Handle archive) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  Archive* a = s.FindArchive(archive);
  if (!a || a->users == 0) return 0;
  std::lock_guard archiveLock(a->io);
  return TablesHoldTogether(a->fd, a->layout) ? 1 : 0;
}

int FormatVersion(Handle archive) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  const Archive* a = s.FindArchive(archive);
  return a && a->users > 0 ? a->layout.formatVersion + 1 : 0;
}

quint32 EntrySize(Handle entry, quint32* sizeHigh) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  Entry* e = s.FindEntry(entry);
  if (!e) return SFILE_INVALID_SIZE;
  DWORD high = 0;
  const DWORD low = SFileGetFileSize(e->file, &high);
  if (sizeHigh) *sizeHigh = high;
  return low;
}

int ReadEntry(Handle entry, void* buffer, quint32 count, quint32* read, void* /*overlapped*/) {
  if (read) *read = 0;
  State& s = state();
  std::unique_lock lock(s.mutex);
  Entry* e = s.FindEntry(entry);
  if (!e || (!buffer && count > 0)) return 0;
  // The decoding runs under the archive's own lock only.
  Archive& a = *e->owner;
  std::lock_guard archiveLock(a.io);
  lock.unlock();
  // Sizes need neither the sector table nor the sectors; the library loads
  // them at the first read. Checked then, so listing a mod costs no extra reads.
  if (!e->decodeChecked) {
    if (!EntryDecodesSafely(a.fd, a.layout, e->facts, e->name.c_str(), &e->unset)) return 0;
    e->decodeChecked = true;
  }
  // StormLib reports reaching the entry's end as a failure with the bytes it
  // did deliver, and its last error is one for the whole process; so a read
  // counts as whole when it delivered everything up to the end.
  const DWORD position = SFileSetFilePointer(e->file, 0, nullptr, FILE_CURRENT);
  const quint32 left = position < e->facts.size ? e->facts.size - position : 0;
  DWORD got = 0;
  bool ok = SFileReadFile(e->file, buffer, count, &got, nullptr);
  if (!ok && position != SFILE_INVALID_POS && got == qMin(count, left)) ok = true;
  if (!ok) got = 0;
  // A byte the decoder does not write would hold whatever the library's
  // buffer held before: it reads as 0, the same every time.
  for (const uint32_t at : e->unset)
    if (at >= position && at - position < got) static_cast<char*>(buffer)[at - position] = 0;
  if (read) *read = got;
  return ok ? 1 : 0;
}

int EntryStorage(Handle entry, quint32* storedSize, quint32* flags) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  const Entry* e = s.FindEntry(entry);
  if (!e) return 0;
  if (storedSize) *storedSize = e->facts.storedSize;
  if (flags) *flags = e->facts.flags;
  return 1;
}

int CloseEntry(Handle entry) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  Entry* e = s.FindEntry(entry);
  if (!e) return 0;
  {
    std::lock_guard archiveLock(e->owner->io);
    SFileCloseFile(e->file);
  }
  std::erase_if(s.entries, [e](auto& p) { return p.get() == e; });
  return 1;
}

int CloseArchive(Handle archive) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  Archive* a = s.FindArchive(archive);
  if (!a || a->users == 0) return 0;
  if (--a->users > 0) return 1;
  // Entries left open die with their archive.
  std::erase_if(s.entries, [a](auto& e) {
    if (e->owner != a) return false;
    SFileCloseFile(e->file);
    return true;
  });
  if (!a->reusable || s.KeptTwice(a))
    s.CloseArchiveNow(a);
  else
    s.Keep(a);
  return 1;
}

int Release() {
  State& s = state();
  std::lock_guard lock(s.mutex);
  s.CloseAll();
  return 1;
}

namespace cache {

void Drop() {
  State& s = state();
  std::lock_guard lock(s.mutex);
  for (auto& a : s.archives) a->reusable = false;
  s.CloseIdle();
}

quint64 DiskOpens() {
  State& s = state();
  std::lock_guard lock(s.mutex);
  return s.diskOpens;
}

}  // namespace cache
}  // namespace storm

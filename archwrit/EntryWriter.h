// Writes entries' stored bytes into a file one after the other, in the order
// they were given, while worker threads compress (PKWARE DCL) and encrypt
// their sectors. Where an entry lands depends only on the entries before it,
// never on which thread finished first, so the file's bytes do not depend on
// timing. The bytes waiting for a worker or for their turn to be written are
// bounded; feeding more waits for the oldest to be written.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace archwrit {

class EntryWriter {
 public:
  // Called (on the feeding thread) once an entry's bytes are all written.
  using Placed = std::function<void(uint32_t id, uint64_t pos, uint32_t storedSize)>;

  // Writes to fd from position start on; sectorSize is the archive's.
  EntryWriter(int fd, uint64_t start, uint32_t sectorSize, Placed placed);
  // Stops the workers; what was not written yet is dropped.
  ~EntryWriter();
  EntryWriter(const EntryWriter&) = delete;
  EntryWriter& operator=(const EntryWriter&) = delete;

  // Starts the entry id of size bytes, encrypted (when encrypt) with key.
  void begin(uint32_t id, uint32_t size, uint32_t key, bool compress, bool encrypt);
  // The entry's next bytes: whole sectors, but for its last piece.
  void feed(std::vector<uint8_t> bytes);
  // The entry begun last has had all its bytes; or is dropped, leaving no trace in the file.
  void finish();
  void abort();

  // Writes out everything given so far; false once any write has failed.
  bool flush();
  // Where the next entry would start; final after flush().
  uint64_t end() const { return cursor_; }
  bool failed() const { return failed_; }

  // How many bytes one fed piece should hold: a few hundred KiB of whole
  // sectors, small enough to spread one large entry over every worker.
  uint32_t pieceBytes() const;

 private:
  struct Entry;
  struct Piece;

  void startWorkers();
  void work();
  // Compresses and encrypts the piece's sectors into its output.
  void encode(Piece& piece) const;
  void enqueue(std::unique_ptr<Piece> piece);
  // Writes the oldest piece; when it is not ready, waits for it, or (when
  // wait is false) leaves it and returns false.
  bool writeOldest(bool wait);
  void place(Entry& entry);
  void writeAt(uint64_t pos, const uint8_t* data, size_t size);
  void flushBuffer();

  const int fd_;
  const uint32_t sectorSize_;
  Placed placed_;
  std::shared_ptr<Entry> current_;
  uint32_t nextSector_ = 0;

  // The feeding thread's: pieces in the order their bytes go into the file.
  std::deque<std::unique_ptr<Piece>> order_;
  size_t bytesPending_ = 0;
  uint64_t cursor_;
  std::vector<uint8_t> buffer_;  // bytes from bufferStart_ on, not yet written to the file
  uint64_t bufferStart_;
  bool failed_ = false;

  // Shared with the workers.
  std::mutex mutex_;
  std::condition_variable workReady_, pieceDone_;
  std::deque<Piece*> todo_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace archwrit

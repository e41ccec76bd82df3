#include "EntryWriter.h"

#include <StormLib.h>

#include <algorithm>
#include <cstring>

#include "ImplodeBound.h"
#include "MpqCrypt.h"
#include "MpqFormat.h"
#include "FileLayer.h"

namespace archwrit {

namespace {

// Fed bytes waiting for a worker or for their turn: 32 MiB keeps every core
// busy without holding a whole large source in memory.
constexpr size_t kMaxPendingBytes = 32u << 20;
// Written bytes gathered before they go to the file in one write.
constexpr size_t kBufferBytes = 1u << 20;
constexpr unsigned kMaxWorkers = 16;
constexpr uint32_t kPieceBytes = 256u << 10;

}  // namespace

struct EntryWriter::Entry {
  uint32_t id = 0, size = 0, key = 0;
  bool compress = false, encrypt = false;
  uint32_t sectorSize = 0;
  // Set by the feeding thread as the entry is written.
  bool started = false;
  uint64_t pos = 0;
  std::vector<uint32_t> storedSectors;

  uint32_t sectors() const { return uint32_t((uint64_t(size) + sectorSize - 1) / sectorSize); }
  // Compressed entries start with the offsets of their sectors (and of their end).
  uint32_t tableBytes() const { return compress && size > 0 ? (sectors() + 1) * 4 : 0; }
};

struct EntryWriter::Piece {
  enum class Kind { Sectors, Finish, Abort } kind = Kind::Sectors;
  std::shared_ptr<Entry> entry;
  uint32_t firstSector = 0;
  size_t fedBytes = 0;
  std::vector<uint8_t> input, output;
  std::vector<uint32_t> storedSectors;
  bool done = false;  // under mutex_ while workers run
};

namespace {

// Compresses (when it shrinks the sector, as the archive library decides it)
// and encrypts each sector of a piece on its own, as readers decode them.
void encodeSectors(const std::vector<uint8_t>& input, uint32_t firstSector, uint32_t sectorSize,
                   bool compress, bool encrypt, uint32_t key, std::vector<uint8_t>& output,
                   std::vector<uint32_t>& stored) {
  output.resize(input.size());
  size_t out = 0;
  uint32_t sector = firstSector;
  for (size_t at = 0; at < input.size(); at += sectorSize, ++sector) {
    const size_t length = std::min<size_t>(sectorSize, input.size() - at);
    auto* in = const_cast<uint8_t*>(input.data() + at);
    uint8_t* dst = output.data() + out;
    int size = int(length);
    // A sector that does not shrink is stored as it is, without a compression byte.
    const bool shrunk = compress && !implodeCannotShrink(in, length) &&
                        SCompCompress(dst, &size, in, int(length), MPQ_COMPRESSION_PKWARE, 0, 0) &&
                        size > 0 && size_t(size) < length;
    if (!shrunk) {
      std::memcpy(dst, in, length);
      size = int(length);
    }
    if (encrypt) crypt::encryptBytes(dst, size_t(size), key + sector);
    stored.push_back(uint32_t(size));
    out += size_t(size);
  }
  output.resize(out);
}

}  // namespace

void EntryWriter::encode(Piece& piece) const {
  const Entry& e = *piece.entry;
  encodeSectors(piece.input, piece.firstSector, sectorSize_, e.compress, e.encrypt, e.key, piece.output,
                piece.storedSectors);
  std::vector<uint8_t>().swap(piece.input);
}

EntryWriter::EntryWriter(int fd, uint64_t start, uint32_t sectorSize, Placed placed)
    : fd_(fd), sectorSize_(sectorSize), placed_(std::move(placed)), cursor_(start), bufferStart_(start) {}

EntryWriter::~EntryWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  workReady_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void EntryWriter::startWorkers() {
  if (!workers_.empty()) return;
  const unsigned count = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxWorkers);
  try {
    for (unsigned i = 0; i < count; ++i) workers_.emplace_back([this] { work(); });
  } catch (const std::system_error&) {
    // Fewer threads than cores (none at worst, then the feeding thread encodes).
  }
}

void EntryWriter::work() {
  for (;;) {
    Piece* piece = nullptr;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      workReady_.wait(lock, [this] { return stopping_ || !todo_.empty(); });
      if (stopping_) return;
      piece = todo_.front();
      todo_.pop_front();
    }
    encode(*piece);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      piece->done = true;
    }
    pieceDone_.notify_all();
  }
}

uint32_t EntryWriter::pieceBytes() const {
  return std::max<uint32_t>(1, kPieceBytes / sectorSize_) * sectorSize_;
}

void EntryWriter::begin(uint32_t id, uint32_t size, uint32_t key, bool compress, bool encrypt) {
  current_ = std::make_shared<Entry>();
  current_->id = id;
  current_->size = size;
  current_->key = key;
  current_->compress = compress;
  current_->encrypt = encrypt;
  current_->sectorSize = sectorSize_;
  nextSector_ = 0;
}

void EntryWriter::feed(std::vector<uint8_t> bytes) {
  auto piece = std::make_unique<Piece>();
  piece->entry = current_;
  piece->firstSector = nextSector_;
  nextSector_ += uint32_t((bytes.size() + sectorSize_ - 1) / sectorSize_);
  piece->fedBytes = bytes.size();
  piece->input = std::move(bytes);
  bytesPending_ += piece->fedBytes;
  startWorkers();
  if (workers_.empty()) {
    encode(*piece);
    piece->done = true;
  } else {
    std::lock_guard<std::mutex> lock(mutex_);
    todo_.push_back(piece.get());
  }
  workReady_.notify_one();
  order_.push_back(std::move(piece));
  while (bytesPending_ > kMaxPendingBytes && writeOldest(true)) {
  }
  while (writeOldest(false)) {
  }
}

void EntryWriter::finish() {
  enqueue(std::make_unique<Piece>(Piece{Piece::Kind::Finish, std::move(current_), 0, 0, {}, {}, {}, true}));
}

void EntryWriter::abort() {
  enqueue(std::make_unique<Piece>(Piece{Piece::Kind::Abort, std::move(current_), 0, 0, {}, {}, {}, true}));
}

void EntryWriter::enqueue(std::unique_ptr<Piece> piece) {
  order_.push_back(std::move(piece));
  while (writeOldest(false)) {
  }
}

bool EntryWriter::writeOldest(bool wait) {
  if (order_.empty()) return false;
  Piece& piece = *order_.front();
  if (!workers_.empty()) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!piece.done && !wait) return false;
    pieceDone_.wait(lock, [&piece] { return piece.done; });
  }
  Entry& entry = *piece.entry;
  if (!entry.started) {
    // The entry starts where the one before it ended; its offset table,
    // known only once every sector is, is filled in at its end.
    entry.started = true;
    entry.pos = cursor_;
    const std::vector<uint8_t> table(entry.tableBytes());
    writeAt(cursor_, table.data(), table.size());
    cursor_ += table.size();
  }
  switch (piece.kind) {
    case Piece::Kind::Sectors:
      writeAt(cursor_, piece.output.data(), piece.output.size());
      cursor_ += piece.output.size();
      entry.storedSectors.insert(entry.storedSectors.end(), piece.storedSectors.begin(),
                                 piece.storedSectors.end());
      bytesPending_ -= piece.fedBytes;
      break;
    case Piece::Kind::Finish:
      place(entry);
      break;
    case Piece::Kind::Abort:
      // Whatever the entry wrote is left to be overwritten by the next one.
      cursor_ = entry.pos;
      if (entry.pos >= bufferStart_) {
        buffer_.resize(entry.pos - bufferStart_);
      } else {
        buffer_.clear();
        bufferStart_ = entry.pos;
      }
      break;
  }
  order_.pop_front();
  return true;
}

void EntryWriter::place(Entry& entry) {
  if (entry.tableBytes() > 0) {
    std::vector<uint8_t> table(entry.tableBytes());
    uint32_t offset = entry.tableBytes();
    mpq::storeLe32(table.data(), offset);
    for (size_t i = 0; i < entry.storedSectors.size(); ++i) {
      offset += entry.storedSectors[i];
      mpq::storeLe32(table.data() + 4 * (i + 1), offset);
    }
    // The offset table is encrypted with the key less one.
    if (entry.encrypt) crypt::encryptBytes(table.data(), table.size(), entry.key - 1);
    writeAt(entry.pos, table.data(), table.size());
  }
  const uint64_t stored = cursor_ - entry.pos;
  if (stored > UINT32_MAX) failed_ = true;
  placed_(entry.id, entry.pos, uint32_t(stored));
}

void EntryWriter::writeAt(uint64_t pos, const uint8_t* data, size_t size) {
  if (failed_ || size == 0) return;
  if (pos < bufferStart_) {
    // An offset table whose entry's first sectors have gone out already.
    const size_t head = size_t(std::min<uint64_t>(size, bufferStart_ - pos));
    if (!writeAllAt(fd_, data, head, pos)) {
      failed_ = true;
      return;
    }
    pos += head;
    data += head;
    size -= head;
    if (size == 0) return;
  }
  const size_t offset = size_t(pos - bufferStart_);
  if (offset + size > buffer_.size()) buffer_.resize(offset + size);
  std::memcpy(buffer_.data() + offset, data, size);
  if (buffer_.size() >= kBufferBytes) flushBuffer();
}

void EntryWriter::flushBuffer() {
  if (!failed_ && !writeAllAt(fd_, buffer_.data(), buffer_.size(), bufferStart_)) failed_ = true;
  bufferStart_ += buffer_.size();
  buffer_.clear();
}

bool EntryWriter::flush() {
  while (writeOldest(true)) {
  }
  flushBuffer();
  return !failed_;
}

}  // namespace archwrit

#pragma once
// An MPQ format 1 archive held in memory, for crafting hostile archives from
// good ones: header fields and block table entries can be read and changed
// (the block table is decrypted and encrypted again with the format's keys).
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace mpq {

struct Block {
  uint32_t offset;  // from the header
  uint32_t storedSize;
  uint32_t size;
  uint32_t flags;
};

class Image {
 public:
  // The archive's bytes; the header must be at offset 0.
  explicit Image(QByteArray bytes) : bytes_(std::move(bytes)) {}
  static Image Load(const QString& path);
  bool Save(const QString& path) const;
  QByteArray& bytes() { return bytes_; }

  // Header fields at their byte offsets: 4 header size, 12 format version (16
  // bits), 14 sector shift (16 bits), 16 hash table position, 20 block table
  // position, 24 hash table size, 28 block table size.
  uint32_t Header32(int offset) const;
  void SetHeader32(int offset, uint32_t value);
  void SetHeader16(int offset, uint16_t value);

  // The block index the hash table gives name; -1 when it holds no such name.
  int BlockOf(const QByteArray& name) const;
  // Files the entry stored as from under the name to instead (its bytes must
  // not be encrypted, since the key follows the name). False when from is missing.
  bool Rename(const QByteArray& from, const QByteArray& to);
  Block GetBlock(int index) const;
  void SetBlock(int index, const Block& block);

 private:
  std::vector<uint32_t> HashTable() const;
  void SetHashTable(std::vector<uint32_t> table);
  int SlotOf(const std::vector<uint32_t>& table, const QByteArray& name) const;

  QByteArray bytes_;
};

}  // namespace mpq

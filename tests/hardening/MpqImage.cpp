#include "MpqImage.h"

#include <QFile>
#include <QtEndian>
#include <array>
#include <vector>

namespace mpq {
namespace {

const std::array<uint32_t, 0x500>& CryptTable() {
  static const std::array<uint32_t, 0x500> table = [] {
    std::array<uint32_t, 0x500> t{};
    uint32_t seed = 0x00100001;
    for (uint32_t i = 0; i < 0x100; ++i) {
      for (uint32_t j = 0, index = i; j < 5; ++j, index += 0x100) {
        seed = (seed * 125 + 3) % 0x2AAAAB;
        const uint32_t high = (seed & 0xFFFF) << 16;
        seed = (seed * 125 + 3) % 0x2AAAAB;
        t[index] = high | (seed & 0xFFFF);
      }
    }
    return t;
  }();
  return table;
}

// Hash types: 0 table index, 1 and 2 the name checks, 3 the encryption key.
uint32_t HashString(const QByteArray& text, uint32_t type) {
  uint32_t seed1 = 0x7FED7FED, seed2 = 0xEEEEEEEE;
  for (char c : text) {
    uint32_t ch = uint8_t(c == '/' ? '\\' : c);
    if (ch >= 'a' && ch <= 'z') ch -= 'a' - 'A';
    seed1 = CryptTable()[type * 0x100 + ch] ^ (seed1 + seed2);
    seed2 = ch + seed1 + seed2 + (seed2 << 5) + 3;
  }
  return seed1;
}

void Crypt(std::vector<uint32_t>& words, uint32_t key, bool encrypt) {
  uint32_t seed = 0xEEEEEEEE;
  for (uint32_t& word : words) {
    seed += CryptTable()[0x400 + (key & 0xFF)];
    const uint32_t plain = encrypt ? word : word ^ (key + seed);
    word ^= key + seed;
    key = ((~key << 0x15) + 0x11111111) | (key >> 0x0B);
    seed = plain + seed + (seed << 5) + 3;
  }
}

}  // namespace

Image Image::Load(const QString& path) {
  QFile file(path);
  return Image(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
}

bool Image::Save(const QString& path) const {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes_) == bytes_.size();
}

uint32_t Image::Header32(int offset) const {
  return qFromLittleEndian<uint32_t>(bytes_.constData() + offset);
}

void Image::SetHeader32(int offset, uint32_t value) {
  qToLittleEndian(value, bytes_.data() + offset);
}

void Image::SetHeader16(int offset, uint16_t value) {
  qToLittleEndian(value, bytes_.data() + offset);
}

std::vector<uint32_t> Image::HashTable() const {
  std::vector<uint32_t> table(size_t(Header32(24)) * 4);
  memcpy(table.data(), bytes_.constData() + Header32(16), table.size() * 4);
  Crypt(table, HashString("(hash table)", 3), false);
  return table;
}

void Image::SetHashTable(std::vector<uint32_t> table) {
  Crypt(table, HashString("(hash table)", 3), true);
  memcpy(bytes_.data() + Header32(16), table.data(), table.size() * 4);
}

int Image::SlotOf(const std::vector<uint32_t>& table, const QByteArray& name) const {
  const uint32_t size = uint32_t(table.size() / 4);
  const uint32_t a = HashString(name, 1), b = HashString(name, 2);
  for (uint32_t i = 0, at = HashString(name, 0) & (size - 1); i < size; ++i, at = (at + 1) & (size - 1)) {
    const uint32_t* entry = &table[at * 4];
    if (entry[3] == 0xFFFFFFFF) return -1;
    if (entry[0] == a && entry[1] == b) return int(at);
  }
  return -1;
}

int Image::BlockOf(const QByteArray& name) const {
  const std::vector<uint32_t> table = HashTable();
  const int slot = SlotOf(table, name);
  return slot < 0 ? -1 : int(table[size_t(slot) * 4 + 3]);
}

bool Image::Rename(const QByteArray& from, const QByteArray& to) {
  std::vector<uint32_t> table = HashTable();
  const int old = SlotOf(table, from);
  if (old < 0) return false;
  const uint32_t block = table[size_t(old) * 4 + 3];
  table[size_t(old) * 4 + 3] = 0xFFFFFFFE;  // deleted: lookups probe on past it
  const uint32_t size = uint32_t(table.size() / 4);
  for (uint32_t i = 0, at = HashString(to, 0) & (size - 1); i < size; ++i, at = (at + 1) & (size - 1)) {
    uint32_t* entry = &table[at * 4];
    if (entry[3] < 0xFFFFFFFE) continue;
    entry[0] = HashString(to, 1);
    entry[1] = HashString(to, 2);
    entry[2] = 0;
    entry[3] = block;
    SetHashTable(std::move(table));
    return true;
  }
  return false;
}

Block Image::GetBlock(int index) const {
  std::vector<uint32_t> table(size_t(Header32(28)) * 4);
  memcpy(table.data(), bytes_.constData() + Header32(20), table.size() * 4);
  Crypt(table, HashString("(block table)", 3), false);
  const uint32_t* b = &table[size_t(index) * 4];
  return Block{b[0], b[1], b[2], b[3]};
}

void Image::SetBlock(int index, const Block& block) {
  std::vector<uint32_t> table(size_t(Header32(28)) * 4);
  char* at = bytes_.data() + Header32(20);
  memcpy(table.data(), at, table.size() * 4);
  const uint32_t key = HashString("(block table)", 3);
  Crypt(table, key, false);
  uint32_t* b = &table[size_t(index) * 4];
  b[0] = block.offset;
  b[1] = block.storedSize;
  b[2] = block.size;
  b[3] = block.flags;
  Crypt(table, key, true);
  memcpy(at, table.data(), table.size() * 4);
}

}  // namespace mpq

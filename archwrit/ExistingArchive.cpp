#include "ExistingArchive.h"

#include <StormLib.h>

#include <vector>

#include "FileLayer.h"
#include "MpqCrypt.h"
#include "platform/ArchiveFile.h"

namespace archwrit {

namespace {

// A table's entries, decrypted.
std::optional<std::vector<uint8_t>> readTable(int fd, uint64_t at, uint32_t entries, uint32_t key) {
  std::vector<uint8_t> bytes(size_t(entries) * mpq::kTableEntrySize);
  if (!readAllAt(fd, bytes.data(), bytes.size(), at)) return std::nullopt;
  crypt::decryptBytes(bytes.data(), bytes.size(), key);
  return bytes;
}

// The lines of a "(listfile)": split at CR and LF, up to a NUL byte, as the
// program reads them.
std::vector<std::string> splitLines(const std::vector<char>& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\0') break;
    if (c == '\r' || c == '\n') {
      if (!line.empty()) lines.push_back(std::move(line));
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

template <typename T>
bool fileInfo(HANDLE file, SFileInfoClass what, T& value) {
  return SFileGetFileInfo(file, what, &value, sizeof value, nullptr);
}

// Reads "(listfile)" through the archive library, once the entry has passed
// the checks the program makes before the library decodes an entry.
std::optional<std::vector<char>> readListfile(int fd, const std::string& path,
                                              const storm::MpqLayout& layout) {
  HANDLE mpq = nullptr;
  // Shared with this session's own open for writing (where the system asks).
  constexpr DWORD kFlags = MPQ_OPEN_READ_ONLY | STREAM_FLAG_WRITE_SHARE | MPQ_OPEN_NO_LISTFILE |
                           MPQ_OPEN_NO_ATTRIBUTES | MPQ_OPEN_FORCE_MPQ_V1;
  const std::string libraryPath = storm::LibraryPath(path.c_str());
  if (libraryPath.empty() || !SFileOpenArchive(libraryPath.c_str(), 0, kFlags, &mpq)) return std::nullopt;
  std::optional<std::vector<char>> text;
  HANDLE file = nullptr;
  if (SFileOpenFileEx(mpq, LISTFILE_NAME, SFILE_OPEN_FROM_MPQ, &file)) {
    ULONGLONG offset = 0;
    DWORD stored = 0, size = 0, flags = 0;
    if (fileInfo(file, SFileInfoByteOffset, offset) && fileInfo(file, SFileInfoCompressedSize, stored) &&
        fileInfo(file, SFileInfoFileSize, size) && fileInfo(file, SFileInfoFlags, flags)) {
      const storm::MpqEntryFacts facts{offset, stored, size, flags};
      std::vector<char> bytes(size);
      DWORD got = 0;
      if (storm::EntryFits(layout, facts) && storm::EntryDecodesSafely(fd, layout, facts, LISTFILE_NAME) &&
          (size == 0 || (SFileReadFile(file, bytes.data(), size, &got, nullptr) && got == size)))
        text = std::move(bytes);
    }
    SFileCloseFile(file);
  }
  SFileCloseArchive(mpq);
  return text;
}

}  // namespace

std::optional<ExistingArchive> readExistingArchive(int fd, const std::string& path) {
  // The archive library and the game take a file's header and tables at
  // their word; only a format 1 archive whose tables lie inside the file is updated.
  const std::optional<storm::MpqLayout> layout = storm::CheckArchiveFile(fd);
  if (!layout || layout->formatVersion != 0) return std::nullopt;
  uint8_t raw[mpq::kHeaderSize];
  if (!readAllAt(fd, raw, sizeof raw, layout->headerOffset)) return std::nullopt;
  mpq::Header header;
  header.archiveSize = mpq::loadLe32(raw + 8);
  header.sectorShift = mpq::loadLe16(raw + 14);
  header.hashTablePos = mpq::loadLe32(raw + 16);
  header.blockTablePos = mpq::loadLe32(raw + 20);
  header.hashTableSize = mpq::loadLe32(raw + 24);
  header.blockTableSize = mpq::loadLe32(raw + 28);

  const auto hashBytes =
      readTable(fd, layout->headerOffset + header.hashTablePos, header.hashTableSize, crypt::hashTableKey());
  const auto blockBytes = readTable(fd, layout->headerOffset + header.blockTablePos, header.blockTableSize,
                                    crypt::blockTableKey());
  if (!hashBytes || !blockBytes) return std::nullopt;
  std::vector<mpq::HashEntry> hashes(header.hashTableSize);
  for (size_t i = 0; i < hashes.size(); ++i) {
    const uint8_t* p = hashBytes->data() + i * mpq::kTableEntrySize;
    hashes[i] = {mpq::loadLe32(p), mpq::loadLe32(p + 4), mpq::loadLe16(p + 8), mpq::loadLe16(p + 10),
                 mpq::loadLe32(p + 12)};
  }
  std::vector<mpq::BlockEntry> blocks(header.blockTableSize);
  for (size_t i = 0; i < blocks.size(); ++i) {
    const uint8_t* p = blockBytes->data() + i * mpq::kTableEntrySize;
    blocks[i] = {mpq::loadLe32(p), mpq::loadLe32(p + 4), mpq::loadLe32(p + 8), mpq::loadLe32(p + 12)};
  }

  ExistingArchive archive{*layout, header, EntryTable(std::move(hashes), blocks, layout->headerOffset),
                          false};
  archive.table.learnNames({LISTFILE_NAME, ATTRIBUTES_NAME, SIGNATURE_NAME});
  archive.hasListfile = archive.table.contains(LISTFILE_NAME);
  if (archive.hasListfile) {
    const std::optional<std::vector<char>> text = readListfile(fd, path, *layout);
    if (!text) return std::nullopt;
    archive.table.learnNames(splitLines(*text));
  }
  return archive;
}

}  // namespace archwrit

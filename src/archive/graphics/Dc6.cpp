#include "archive/graphics/Dc6.h"

#include <algorithm>

#include "archive/graphics/LittleEndian.h"

namespace graphics {

namespace {

constexpr qsizetype kEndingSize = 3;

struct Block {
  qint64 start;
  qint64 end;
  size_t frame;
};

}  // namespace

bool DecodeDc6Rows(QByteArrayView coded, IndexFrame& frame, QString& fault) {
  frame.pixels = QByteArray(qsizetype(frame.width) * frame.height, '\0');
  const auto* b = reinterpret_cast<const uint8_t*>(coded.data());
  const qsizetype n = coded.size();
  int x = 0;
  int y = frame.height - 1;
  for (qsizetype i = 0; i < n && y >= 0;) {
    const uint8_t c = b[i++];
    if (c == 0x80) {
      --y;
      x = 0;
    } else if (c & 0x80) {
      x += c & 0x7F;
      if (x > frame.width) {
        fault = QStringLiteral("row %1 skips past the frame's width %2").arg(y).arg(frame.width);
        return false;
      }
    } else {
      if (x + c > frame.width) {
        fault = QStringLiteral("row %1 runs past the frame's width %2").arg(y).arg(frame.width);
        return false;
      }
      if (n - i < c) {
        fault = QStringLiteral("row %1 is cut short by the frame's length").arg(y);
        return false;
      }
      std::memcpy(frame.pixels.data() + qsizetype(y) * frame.width + x, b + i, c);
      i += c;
      x += c;
    }
  }
  return true;
}

QByteArray EncodeDc6Rows(const IndexFrame& frame) {
  QByteArray out;
  for (int y = frame.height - 1; y >= 0; --y) {
    const char* row = frame.pixels.constData() + qsizetype(y) * frame.width;
    int end = frame.width;
    while (end > 0 && row[end - 1] == 0) --end;
    for (int x = 0; x < end;) {
      int run = 0;
      if (row[x] == 0) {
        while (x + run < end && row[x + run] == 0) ++run;
        x += run;
        for (; run > 127; run -= 127) out += char(0xFF);
        out += char(0x80 | run);
      } else {
        while (x + run < end && run < 127 && row[x + run] != 0) ++run;
        out += char(run);
        out.append(row + x, run);
        x += run;
      }
    }
    out += char(0x80);
  }
  return out;
}

bool ReadDc6(QByteArrayView bytes, Dc6& image, QString& fault) {
  const qint64 size = bytes.size();
  const char* d = bytes.data();
  if (size < kDc6HeaderSize) {
    fault = QStringLiteral("truncated: %1 bytes, shorter than the 24-byte header").arg(size);
    return false;
  }
  Dc6 read;
  read.version = int32_t(Le32(d));
  if (read.version != 6) {
    fault = QStringLiteral("not a DC6: version %1 where 6 is expected").arg(read.version);
    return false;
  }
  read.flags = Le32(d + 4);
  read.encoding = Le32(d + 8);
  read.termination = QByteArray(d + 12, 4);
  read.directions = Le32(d + 16);
  read.framesPerDirection = Le32(d + 20);
  // Each frame takes at least its offset, its header and its ending.
  const quint64 count = quint64(read.directions) * read.framesPerDirection;
  const quint64 room = quint64(size - kDc6HeaderSize) / (4 + kDc6FrameHeaderSize + kEndingSize);
  if (count > room) {
    fault = QStringLiteral("%1 directions of %2 frames do not fit in the file's %3 bytes")
                .arg(read.directions)
                .arg(read.framesPerDirection)
                .arg(size);
    return false;
  }
  const qint64 tableEnd = kDc6HeaderSize + 4 * qint64(count);
  std::vector<Block> blocks;
  blocks.reserve(count);
  read.frames.resize(count);
  qint64 pixels = 0;
  for (size_t i = 0; i < count; ++i) {
    const qint64 at = Le32(d + kDc6HeaderSize + 4 * i);
    if (at < tableEnd || at > size - kDc6FrameHeaderSize) {
      fault = QStringLiteral("frame %1 starts at %2, outside the file's frames").arg(i).arg(at);
      return false;
    }
    const char* h = d + at;
    Dc6Frame& frame = read.frames[i];
    frame.flip = Le32(h);
    const uint32_t width = Le32(h + 4), height = Le32(h + 8);
    const qint64 length = Le32(h + 28);
    if (width > uint32_t(kMaxSide) || height > uint32_t(kMaxSide)) {
      fault = QStringLiteral("frame %1 is %2 by %3 pixels, larger than a frame can be")
                  .arg(i)
                  .arg(width)
                  .arg(height);
      return false;
    }
    pixels += qint64(width) * height;
    if (pixels > kMaxPixels) {
      fault = QStringLiteral("the frames hold more than %1 pixels together").arg(kMaxPixels);
      return false;
    }
    const qint64 end = at + kDc6FrameHeaderSize + length + kEndingSize;
    if (end > size) {
      fault = QStringLiteral("frame %1's %2 bytes run past the end of the file").arg(i).arg(length);
      return false;
    }
    // Every row ends with its own 0x80, so a frame's rows cannot outnumber
    // its bytes: this keeps the pixels a file makes in proportion to it.
    if (height > length) {
      fault = QStringLiteral("frame %1's %2 rows cannot fit in its %3 bytes").arg(i).arg(height).arg(length);
      return false;
    }
    frame.image.width = int(width);
    frame.image.height = int(height);
    frame.image.offsetX = int32_t(Le32(h + 12));
    frame.image.offsetY = int32_t(Le32(h + 16));
    frame.zero = Le32(h + 20);
    frame.coded = QByteArray(h + kDc6FrameHeaderSize, qsizetype(length));
    frame.ending = QByteArray(h + kDc6FrameHeaderSize + length, kEndingSize);
    blocks.push_back({at, end, i});
  }
  std::sort(blocks.begin(), blocks.end(), [](const Block& a, const Block& b) { return a.start < b.start; });
  for (size_t i = 1; i < blocks.size(); ++i) {
    if (blocks[i].start < blocks[i - 1].end) {
      fault = QStringLiteral("frames %1 and %2 overlap").arg(blocks[i - 1].frame).arg(blocks[i].frame);
      return false;
    }
  }
  for (size_t i = 0; i < count; ++i) {
    if (!DecodeDc6Rows(read.frames[i].coded, read.frames[i].image, fault)) {
      fault = QStringLiteral("frame %1: %2").arg(i).arg(fault);
      return false;
    }
  }
  const qint64 last = blocks.empty() ? tableEnd : blocks.back().end;
  read.tail = QByteArray(d + last, qsizetype(size - last));
  image = std::move(read);
  return true;
}

QByteArray WriteDc6(const Dc6& image) {
  QByteArray out;
  PutLe32(out, uint32_t(image.version));
  PutLe32(out, image.flags);
  PutLe32(out, image.encoding);
  out += image.termination.leftJustified(4, '\xEE', true);
  PutLe32(out, image.directions);
  PutLe32(out, image.framesPerDirection);
  const qsizetype table = out.size();
  out.append(qsizetype(4 * image.frames.size()), '\0');
  for (size_t i = 0; i < image.frames.size(); ++i) {
    const Dc6Frame& frame = image.frames[i];
    const QByteArray coded = frame.changed ? EncodeDc6Rows(frame.image) : frame.coded;
    const uint32_t at = uint32_t(out.size());
    for (int k = 0; k < 4; ++k) out[table + 4 * qsizetype(i) + k] = char(at >> (8 * k));
    PutLe32(out, frame.flip);
    PutLe32(out, uint32_t(frame.image.width));
    PutLe32(out, uint32_t(frame.image.height));
    PutLe32(out, uint32_t(frame.image.offsetX));
    PutLe32(out, uint32_t(frame.image.offsetY));
    PutLe32(out, frame.zero);
    PutLe32(out, at + uint32_t(kDc6FrameHeaderSize + coded.size() + kEndingSize));
    PutLe32(out, uint32_t(coded.size()));
    out += coded;
    out += frame.ending.size() == kEndingSize
               ? frame.ending
               : QByteArray(kEndingSize, image.termination.isEmpty() ? '\xEE' : image.termination.at(0));
  }
  out += image.tail;
  return out;
}

void SetDc6Frame(Dc6& image, size_t index, const IndexFrame& picture) {
  if (index >= image.frames.size()) image.frames.resize(index + 1);
  Dc6Frame& frame = image.frames[index];
  frame.image = picture;
  frame.coded.clear();
  frame.changed = true;
  frame.ending = QByteArray(kEndingSize, image.termination.isEmpty() ? '\xEE' : image.termination.at(0));
}

Dc6 NewDc6(const std::vector<IndexFrame>& frames, uint32_t directions) {
  Dc6 image;
  image.directions = directions;
  image.framesPerDirection = directions ? uint32_t(frames.size() / directions) : 0;
  for (size_t i = 0; i < frames.size(); ++i) SetDc6Frame(image, i, frames[i]);
  return image;
}

}  // namespace graphics

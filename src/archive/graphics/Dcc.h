#pragma once
// DCC animations (monsters, characters, missiles), little-endian:
//   header (15 bytes): u8 signature 0x74, u8 version 6, u8 directions,
//     u32 frames per direction, u32 tag 1, u32 size of the same image as DC6;
//   one u32 absolute offset per direction, each direction running to the
//   next one's offset (the last to the end of the file).
// A direction is a u32 coded size and a bit stream, least significant bit
// first: the widths of seven per-frame fields, each frame's fields, optional
// bytes, the sizes of the streams, a map of the palette indices used, then
// the streams. Decoding walks the direction's bounding box in cells of 4 by
// 4 pixels twice: first every cell's colours, frame by frame (a cell may stay
// as it was), then every cell's pixels. A sound direction uses up each of
// its streams exactly and ends where the next begins; one that does not is
// refused.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

#include "archive/graphics/IndexFrame.h"

namespace graphics {

constexpr qsizetype kDccHeaderSize = 15;

struct DccFrame {
  IndexFrame image;
  uint32_t variable0 = 0;
  uint32_t codedBytes = 0;
  bool bottomUp = false;  // stored with its bottom row first
  QByteArray optional;    // the frame's optional bytes
};

// The smallest box holding every frame of a direction, in the frames'
// coordinates (x to the right, y down, the anchor at 0, 0).
struct DccBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct DccDirection {
  DccBox box;
  std::vector<DccFrame> frames;
  // The frame on the box, so that the frames of the direction line up.
  IndexFrame OnBox(size_t frame) const {
    return Placed(frames[frame].image, box.left, box.top, box.width, box.height);
  }
};

struct DccHeader {
  uint8_t version = 6;
  uint32_t framesPerDirection = 0;
  uint32_t tag = 1;
  uint32_t dc6Size = 0;
  // Where each direction's bytes begin and end.
  std::vector<std::pair<qint64, qint64>> spans;
};

struct Dcc {
  DccHeader header;
  std::vector<DccDirection> directions;
};

// The header and the directions' places; false with the fault named when
// the header is short or wrong or the directions lie outside the file or
// out of order.
bool ReadDccHeader(QByteArrayView bytes, DccHeader& header, QString& fault);

// One direction decoded, for showing a first frame without the others.
bool ReadDccDirection(QByteArrayView bytes, const DccHeader& header, size_t direction, DccDirection& out,
                      QString& fault);

// Every direction decoded; false with the fault named (direction and what
// went wrong) and dcc left as it was.
bool ReadDcc(QByteArrayView bytes, Dcc& dcc, QString& fault);

}  // namespace graphics

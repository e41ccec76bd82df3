#pragma once
// DC6 images (inventory icons, panels, buttons), little-endian:
//   header (24 bytes): i32 version 6, u32 flags, u32 encoding, 4 termination
//     bytes, u32 directions, u32 frames per direction;
//   one u32 absolute offset per frame, direction by direction;
//   each frame: u32 flip, u32 width, u32 height, i32 offset x, i32 offset y,
//     u32 zero, u32 offset of the next block, u32 length; length bytes of
//     run-length coded rows, bottom row first; then 3 termination bytes.
// Rows: 0x80 ends a row, a byte with bit 7 set skips (b & 0x7F) transparent
// pixels, any other byte b copies the next b bytes as indices.
//
// A frame read keeps its coded bytes (with any bytes after its last row,
// which the game ignores) and the bytes after it, so a frame not changed is
// written exactly as it was read, and an image read and written unchanged
// is the same bytes. A changed frame is coded as the game's own files are:
// runs of at most 127, a row's trailing transparent pixels left out, index 0
// never inside an opaque run.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

#include "archive/graphics/IndexFrame.h"

namespace graphics {

constexpr qsizetype kDc6HeaderSize = 24;
constexpr qsizetype kDc6FrameHeaderSize = 32;

struct Dc6Frame {
  IndexFrame image;
  uint32_t flip = 0;
  uint32_t zero = 0;     // the header word before the next block's offset, as read
  QByteArray coded;      // the rows as read
  QByteArray ending;     // the 3 bytes after the rows
  bool changed = false;  // coded afresh from image when written
};

struct Dc6 {
  int32_t version = 6;
  uint32_t flags = 1;
  uint32_t encoding = 0;
  QByteArray termination = QByteArray(4, '\xEE');
  uint32_t directions = 1;
  uint32_t framesPerDirection = 0;
  std::vector<Dc6Frame> frames;  // directions * framesPerDirection, direction by direction
  QByteArray tail;               // bytes after the last frame, kept

  const IndexFrame& Frame(uint32_t direction, uint32_t frame) const {
    return frames[size_t(direction) * framesPerDirection + frame].image;
  }
};

// False with the fault named (and the image left as it was) when the bytes
// are no sound DC6: a short or wrong header, counts or offsets past the
// file, frames that overlap, sides past kMaxSide, rows past their width.
bool ReadDc6(QByteArrayView bytes, Dc6& image, QString& fault);

// The file's bytes: the frames one after the other in order, each unchanged
// frame with the bytes it was read with.
QByteArray WriteDc6(const Dc6& image);

// Puts a new picture in place of a frame (or, at the end, a new frame); it
// is coded afresh when written.
void SetDc6Frame(Dc6& image, size_t index, const IndexFrame& picture);

// A DC6 holding these frames, directions * frames of them in order.
Dc6 NewDc6(const std::vector<IndexFrame>& frames, uint32_t directions);

// The frame's rows as the game codes them.
QByteArray EncodeDc6Rows(const IndexFrame& frame);
// The rows decoded into frame (whose size is set); false with the fault
// named when a row runs past the width. Bytes after the last row are left.
bool DecodeDc6Rows(QByteArrayView coded, IndexFrame& frame, QString& fault);

}  // namespace graphics

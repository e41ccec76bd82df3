#pragma once
// One picture of a game graphic as the files hold it: palette indices, one
// byte a pixel, rows from the top, index 0 transparent. The offsets place it
// against the sprite's anchor point as the game draws it: offsetX is the
// column of the frame's left edge, offsetY the row of its bottom line, so
// its top row lies at offsetY - height + 1.
#include <QByteArray>
#include <cstdint>

namespace graphics {

// What a reader takes on before it refuses a file: no side of a frame or a
// direction's box longer than kMaxSide, and no more than kMaxPixels pixels
// decoded for one file, however its headers add up.
constexpr int kMaxSide = 8192;
constexpr qint64 kMaxPixels = qint64(64) << 20;

struct IndexFrame {
  int width = 0;
  int height = 0;
  int offsetX = 0;
  int offsetY = 0;
  QByteArray pixels;  // width * height indices

  int Left() const { return offsetX; }
  int Top() const { return offsetY - height + 1; }
  uint8_t At(int x, int y) const { return uint8_t(pixels.at(qsizetype(y) * width + x)); }
  bool operator==(const IndexFrame&) const = default;
};

// A transparent frame of that size and those offsets.
IndexFrame BlankFrame(int width, int height, int offsetX, int offsetY);

// The frame's indices passed through a colour-map table (256 entries),
// index 0 staying transparent.
IndexFrame Mapped(const IndexFrame& frame, const uint8_t* table);

// The frame drawn on a larger canvas whose top-left corner stands at
// (left, top) in the frame's coordinates: the frames of a DCC direction
// placed on its bounding box line up as they play. Parts outside the canvas
// are cut off.
IndexFrame Placed(const IndexFrame& frame, int left, int top, int width, int height);

}  // namespace graphics

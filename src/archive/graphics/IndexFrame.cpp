#include "archive/graphics/IndexFrame.h"

#include <algorithm>
#include <cstring>

namespace graphics {

IndexFrame BlankFrame(int width, int height, int offsetX, int offsetY) {
  IndexFrame frame;
  frame.width = width;
  frame.height = height;
  frame.offsetX = offsetX;
  frame.offsetY = offsetY;
  frame.pixels = QByteArray(qsizetype(width) * height, '\0');
  return frame;
}

IndexFrame Mapped(const IndexFrame& frame, const uint8_t* table) {
  IndexFrame out = frame;
  char* p = out.pixels.data();
  for (qsizetype i = 0; i < out.pixels.size(); ++i)
    if (p[i] != 0) p[i] = char(table[uint8_t(p[i])]);
  return out;
}

IndexFrame Placed(const IndexFrame& frame, int left, int top, int width, int height) {
  IndexFrame out = BlankFrame(width, height, left, top + height - 1);
  const int dx = frame.Left() - left;
  const int dy = frame.Top() - top;
  const int x0 = std::max(0, -dx), x1 = std::min(frame.width, width - dx);
  if (x1 <= x0) return out;
  for (int y = std::max(0, -dy); y < frame.height && y + dy < height; ++y)
    std::memcpy(out.pixels.data() + qsizetype(y + dy) * width + dx + x0,
                frame.pixels.constData() + qsizetype(y) * frame.width + x0, size_t(x1 - x0));
  return out;
}

}  // namespace graphics

// A DCC as a downloaded mod brings it: decoded whole, and direction by
// direction. A refused animation names its fault; in a decoded one every
// frame holds its pixels, lies inside its direction's box, and comes out
// the same when its direction is decoded alone.
#include <QByteArray>

#include "FuzzSupport.h"
#include "archive/graphics/Dcc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  graphics::Dcc dcc;
  QString fault;
  if (!graphics::ReadDcc(bytes, dcc, fault)) {
    fuzz::Check(!fault.isEmpty(), "a refused animation names no fault");
    fuzz::Check(dcc.directions.empty(), "a refused animation filled the directions");
    return 0;
  }
  for (size_t d = 0; d < dcc.directions.size(); ++d) {
    const graphics::DccDirection& direction = dcc.directions[d];
    for (const graphics::DccFrame& frame : direction.frames) {
      const graphics::IndexFrame& f = frame.image;
      fuzz::Check(f.pixels.size() == qsizetype(f.width) * f.height, "pixels of the wrong size");
      if (f.width == 0 || f.height == 0) continue;
      fuzz::Check(f.Left() >= direction.box.left && f.Top() >= direction.box.top &&
                      f.Left() + f.width <= direction.box.left + direction.box.width &&
                      f.Top() + f.height <= direction.box.top + direction.box.height,
                  "a frame outside its box");
    }
    if (!direction.frames.empty()) {
      const graphics::IndexFrame placed = direction.OnBox(direction.frames.size() - 1);
      fuzz::Check(placed.width == direction.box.width && placed.height == direction.box.height,
                  "placed off the box");
    }
    graphics::DccDirection alone;
    fuzz::Check(graphics::ReadDccDirection(bytes, dcc.header, d, alone, fault),
                "a direction alone does not decode");
    for (size_t f = 0; f < alone.frames.size(); ++f)
      fuzz::Check(alone.frames[f].image == direction.frames[f].image, "a direction alone decodes otherwise");
  }
  return 0;
}

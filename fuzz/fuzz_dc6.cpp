// A DC6 as a downloaded mod brings it: read, and when it reads, written
// again. A refused image names its fault; a read one writes bytes that read
// back to the same frames and write the same again, also with every frame
// coded afresh.
#include <QByteArray>

#include "FuzzSupport.h"
#include "archive/graphics/Dc6.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  graphics::Dc6 image;
  QString fault;
  if (!graphics::ReadDc6(bytes, image, fault)) {
    fuzz::Check(!fault.isEmpty(), "a refused image names no fault");
    fuzz::Check(image.frames.empty(), "a refused image filled the frames");
    return 0;
  }
  for (const graphics::Dc6Frame& frame : image.frames)
    fuzz::Check(frame.image.pixels.size() == qsizetype(frame.image.width) * frame.image.height,
                "pixels of the wrong size");
  const QByteArray written = graphics::WriteDc6(image);
  graphics::Dc6 back;
  fuzz::Check(graphics::ReadDc6(written, back, fault), "a written image does not read");
  fuzz::Check(graphics::WriteDc6(back) == written, "a written image is not written back the same");
  for (size_t i = 0; i < image.frames.size(); ++i) graphics::SetDc6Frame(back, i, image.frames[i].image);
  graphics::Dc6 recoded;
  fuzz::Check(graphics::ReadDc6(graphics::WriteDc6(back), recoded, fault), "recoded frames do not read");
  for (size_t i = 0; i < image.frames.size(); ++i)
    fuzz::Check(recoded.frames[i].image == image.frames[i].image,
                "a frame coded afresh reads back otherwise");
  return 0;
}

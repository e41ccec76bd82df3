// Palettes and colour maps as a downloaded mod brings them. A refused one
// names its fault; a pal.dat read writes back the same bytes; a colour map
// holds one table per 256 bytes, each the bytes it was read from.
#include <QByteArray>
#include <cstring>

#include "FuzzSupport.h"
#include "archive/graphics/ColourMap.h"
#include "archive/graphics/Palette.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  graphics::Palette palette;
  QString fault;
  if (graphics::ReadPalette(bytes, palette, fault)) {
    if (bytes.size() == graphics::kPalDatSize)
      fuzz::Check(graphics::PalDatBytes(palette) == bytes, "a pal.dat is not written back the same");
    for (const QRgb c : palette.colours) fuzz::Check(qAlpha(c) == 255, "a palette colour not opaque");
  } else {
    fuzz::Check(!fault.isEmpty(), "a refused palette names no fault");
  }
  graphics::ColourMap map;
  if (graphics::ReadColourMap(bytes, map, fault)) {
    fuzz::Check(qsizetype(map.tables.size()) * 256 == bytes.size(), "tables of the wrong count");
    for (size_t k = 0; k < map.tables.size(); ++k)
      fuzz::Check(std::memcmp(map.tables[k].data(), bytes.constData() + 256 * k, 256) == 0,
                  "a table changed");
  } else {
    fuzz::Check(!fault.isEmpty() && map.tables.empty(), "a refused map names no fault");
  }
  return 0;
}

#include "archive/graphics/ColourMap.h"

#include <cstring>

namespace graphics {

bool ReadColourMap(QByteArrayView bytes, ColourMap& map, QString& fault) {
  // A mod's map may hold fewer or more tables than the game's 21; a size
  // that is not a multiple of a table is no map at all.
  if (bytes.isEmpty() || bytes.size() % 256 != 0) {
    fault = QStringLiteral("not a colour map: %1 bytes, where a map holds tables of 256 (the game's 21, %2)")
                .arg(bytes.size())
                .arg(kColourMapTables * 256);
    return false;
  }
  ColourMap read;
  read.tables.resize(size_t(bytes.size() / 256));
  for (size_t k = 0; k < read.tables.size(); ++k)
    std::memcpy(read.tables[k].data(), bytes.data() + k * 256, 256);
  map = std::move(read);
  return true;
}

}  // namespace graphics

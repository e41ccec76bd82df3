// A COF as a downloaded mod brings it. A refused one names its fault; a read
// one holds a draw order of every direction, frame and layer, each naming a
// component there is.
#include <QByteArray>

#include "FuzzSupport.h"
#include "archive/graphics/Cof.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  graphics::Cof cof;
  QString fault;
  if (!graphics::ReadCof(bytes, cof, fault)) {
    fuzz::Check(!fault.isEmpty(), "a refused COF names no fault");
    fuzz::Check(cof.layers.empty(), "a refused COF filled the layers");
    return 0;
  }
  fuzz::Check(cof.events.size() == cof.framesPerDirection, "events of the wrong count");
  fuzz::Check(cof.drawOrder.size() ==
                  qsizetype(cof.directions) * cof.framesPerDirection * qsizetype(cof.layers.size()),
              "a draw order of the wrong size");
  for (int d = 0; d < cof.directions; ++d)
    for (int f = 0; f < cof.framesPerDirection; ++f)
      for (int i = 0; i < int(cof.layers.size()); ++i)
        fuzz::Check(!graphics::ComponentName(cof.DrawnAt(d, f, i)).isEmpty(), "a component past the 16");
  for (const graphics::CofLayer& layer : cof.layers)
    fuzz::Check(!graphics::ComponentName(layer.component).isEmpty() && layer.weaponClass.size() <= 4,
                "a bad layer");
  return 0;
}

#include "archive/graphics/Cof.h"

#include "archive/graphics/LittleEndian.h"

namespace graphics {

QByteArray ComponentName(int component) {
  static const char* const kNames[kCofComponents] = {"HD", "TR", "LG", "RA", "LA", "RH", "LH", "SH",
                                                     "S1", "S2", "S3", "S4", "S5", "S6", "S7", "S8"};
  return component >= 0 && component < kCofComponents ? QByteArray(kNames[component]) : QByteArray();
}

bool ReadCof(QByteArrayView bytes, Cof& cof, QString& fault) {
  const qint64 size = bytes.size();
  const char* d = bytes.data();
  if (size < kCofHeaderSize) {
    fault = QStringLiteral("truncated: %1 bytes, shorter than the 28-byte header").arg(size);
    return false;
  }
  Cof read;
  const int layers = uint8_t(d[0]);
  read.framesPerDirection = uint8_t(d[1]);
  read.directions = uint8_t(d[2]);
  read.version = uint8_t(d[3]);
  read.unknown = QByteArray(d + 4, 4);
  read.xMin = int32_t(Le32(d + 8));
  read.xMax = int32_t(Le32(d + 12));
  read.yMin = int32_t(Le32(d + 16));
  read.yMax = int32_t(Le32(d + 20));
  read.animationRate = int16_t(Le16(d + 24));
  const qint64 orderSize = qint64(read.directions) * read.framesPerDirection * layers;
  const qint64 needed = kCofHeaderSize + kCofLayerSize * layers + read.framesPerDirection + orderSize;
  if (needed > size) {
    fault =
        QStringLiteral("truncated: %1 layers, %2 directions of %3 frames need %4 bytes, the file holds %5")
            .arg(layers)
            .arg(read.directions)
            .arg(read.framesPerDirection)
            .arg(needed)
            .arg(size);
    return false;
  }
  const char* at = d + kCofHeaderSize;
  for (int i = 0; i < layers; ++i, at += kCofLayerSize) {
    CofLayer layer;
    layer.component = uint8_t(at[0]);
    layer.shadow = uint8_t(at[1]);
    layer.selectable = uint8_t(at[2]);
    layer.overrideTransparency = uint8_t(at[3]);
    layer.newTransparency = uint8_t(at[4]);
    const QByteArray weapon(at + 5, 4);
    layer.weaponClass = weapon.left(weapon.indexOf('\0') < 0 ? 4 : weapon.indexOf('\0'));
    if (layer.component >= kCofComponents) {
      fault =
          QStringLiteral("layer %1 names component %2, past the 16 there are").arg(i).arg(layer.component);
      return false;
    }
    read.layers.push_back(layer);
  }
  read.events = QByteArray(at, read.framesPerDirection);
  at += read.framesPerDirection;
  read.drawOrder = QByteArray(at, qsizetype(orderSize));
  for (qsizetype i = 0; i < read.drawOrder.size(); ++i) {
    // A component no layer holds is simply not drawn.
    if (uint8_t(read.drawOrder.at(i)) >= kCofComponents) {
      const qint64 frame = i / (layers ? layers : 1);
      fault = QStringLiteral("direction %1, frame %2 draws component %3, past the 16 there are")
                  .arg(frame / read.framesPerDirection)
                  .arg(frame % read.framesPerDirection)
                  .arg(uint8_t(read.drawOrder.at(i)));
      return false;
    }
  }
  cof = std::move(read);
  return true;
}

}  // namespace graphics

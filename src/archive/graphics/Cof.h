#pragma once
// COF files: which DCC layers make up an animation and in what order they
// are drawn, little-endian:
//   header (28 bytes): u8 layers, u8 frames per direction, u8 directions,
//     u8 version (20), 4 bytes not used here, i32 x min, x max, y min, y max,
//     i16 animation rate, i16 zero;
//   9 bytes per layer: u8 component (0..15), u8 shadow, u8 selectable,
//     u8 override transparency, u8 new transparency, 4 bytes of weapon class;
//   one event byte per frame;
//   directions * frames * layers bytes: for each direction and frame, the
//     components in the order they are drawn.
// A COF's direction numbers are not its DCCs'.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

namespace graphics {

constexpr qsizetype kCofHeaderSize = 28;
constexpr qsizetype kCofLayerSize = 9;
constexpr int kCofComponents = 16;

struct CofLayer {
  uint8_t component = 0;
  uint8_t shadow = 0;
  uint8_t selectable = 0;
  uint8_t overrideTransparency = 0;
  uint8_t newTransparency = 0;
  QByteArray weaponClass;  // up to 3 letters ("hth", "1ht"), the NUL cut off
};

struct Cof {
  uint8_t framesPerDirection = 0;
  uint8_t directions = 0;
  uint8_t version = 0;
  QByteArray unknown;  // the 4 header bytes after the version
  int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  int16_t animationRate = 0;
  std::vector<CofLayer> layers;
  QByteArray events;     // one byte per frame
  QByteArray drawOrder;  // components, directions * frames * layers

  // The component drawn in place at position i of that direction and frame.
  uint8_t DrawnAt(int direction, int frame, int i) const {
    return uint8_t(
        drawOrder.at((qsizetype(direction) * framesPerDirection + frame) * qsizetype(layers.size()) + i));
  }
};

// The two-letter name of a component: HD TR LG RA LA RH LH SH S1..S8.
QByteArray ComponentName(int component);

// False with the fault named (and cof left as it was) when the file is
// shorter than its counts say, or a layer or a draw-order byte names a
// component past 15.
bool ReadCof(QByteArrayView bytes, Cof& cof, QString& fault);

}  // namespace graphics

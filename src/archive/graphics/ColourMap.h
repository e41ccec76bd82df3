#pragma once
// A colour map (data\global\items\Palette\*.dat: grey, gold, invgreybrown,
// ...): tables of 256 bytes, table k mapping each palette index to another,
// as an item takes the transform colour k of colors.txt. The game's maps
// hold 21 tables (5,376 bytes).
#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace graphics {

constexpr int kColourMapTables = 21;

struct ColourMap {
  std::vector<std::array<uint8_t, 256>> tables;
};

// False with the fault named when the size is no whole number of tables;
// map is then left as it was.
bool ReadColourMap(QByteArrayView bytes, ColourMap& map, QString& fault);

}  // namespace graphics

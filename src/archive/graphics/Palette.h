#pragma once
// The game's palettes: 256 colours that a frame's indices stand for.
//   pal.dat (data\global\palette\ACTn\pal.dat): 768 bytes, 256 entries of B, G, R.
//   Pal.PL2: 443,175 bytes starting with the same colours as R, G, B, x
//   entries, followed by the light, blend and text-colour tables.
#include <QtGui/qrgb.h>

#include <QByteArrayView>
#include <QString>
#include <array>

namespace graphics {

constexpr qsizetype kPalDatSize = 768;
constexpr qsizetype kPl2Size = 443175;

struct Palette {
  // Opaque colours, index 0 included: sprites leave index 0 out themselves.
  std::array<QRgb, 256> colours{};
};

// False with the fault named when the bytes are neither a pal.dat nor a
// .PL2 (told apart by their size); palette is then left as it was.
bool ReadPalette(QByteArrayView bytes, Palette& palette, QString& fault);

// A grey ramp from black to white, for when no palette is at hand.
Palette GreyPalette();

// The palette as the 768 bytes of a pal.dat.
QByteArray PalDatBytes(const Palette& palette);

}  // namespace graphics

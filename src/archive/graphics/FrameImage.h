#pragma once
// Frames as images and back: a frame shown or exported in a palette's
// colours, and a picture (a PNG a paint program saved) taken in as indices.
#include <QImage>
#include <QString>

#include "archive/graphics/IndexFrame.h"
#include "archive/graphics/Palette.h"

namespace graphics {

// The text keys an exported frame's offsets travel under in its PNG, so a
// frame taken back in keeps its place.
inline constexpr char kOffsetXKey[] = "OffsetX";
inline constexpr char kOffsetYKey[] = "OffsetY";

// The frame in RGBA (not premultiplied), index 0 transparent, the offsets
// set as texts.
QImage ToImage(const IndexFrame& frame, const Palette& palette);
// The frame as an indexed image carrying the palette (index 0 transparent),
// so a paint program keeps the indices; the offsets set as texts.
QImage ToIndexedImage(const IndexFrame& frame, const Palette& palette);

// The palette index nearest to an opaque colour by a perceptual distance
// (differences of green weigh most, red and blue by how red the pair is);
// never index 0, which is transparent. Of equally near ones, the lowest.
uint8_t NearestIndex(QRgb colour, const Palette& palette);

// The picture as a frame: an indexed image's indices taken as they are, any
// other image's pixels as their nearest colours, alpha below half
// transparent. The offsets come from the image's texts, else 0.
IndexFrame FromImage(const QImage& image, const Palette& palette);

// False with why when the image carries an offset text that is not a whole
// number a frame can hold: such a picture is refused, never placed at 0.
bool OffsetTextsSound(const QImage& image, QString& fault);

}  // namespace graphics

#pragma once
// The about box's picture: 115 x 142 pixels, 256 colours, drawn in code. The
// colour of its bottom-left pixel is transparent.
#include <QImage>
#include <QPixmap>

namespace about {

inline constexpr int kPictureWidth = 115;
inline constexpr int kPictureHeight = 142;

// The picture as drawn, in 256 colours, before the transparent colour is cut out.
QImage PictureImage();
// The picture ready to draw: every pixel of the bottom-left pixel's colour transparent.
QPixmap Picture();

}  // namespace about

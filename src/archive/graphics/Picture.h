#pragma once
// A DC6 or DCC as the Edit page shows it: its frames by direction, each
// turned into an image through a palette and an optional colour-map table,
// drawn zoomed on a background with a cross at the anchor point; the
// playback position; and the PNG files an export writes.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <algorithm>
#include <optional>
#include <vector>

#include "archive/graphics/Dc6.h"
#include "archive/graphics/Dcc.h"
#include "archive/graphics/IndexFrame.h"
#include "archive/graphics/Palette.h"

namespace graphics {

// Whether the internal name ends in ".dc6" or ".dcc", in any letter case.
bool IsPictureName(const QByteArray& name);

class Picture {
 public:
  // False with the reader's fault when the bytes are no sound DC6 (name
  // ending in ".dc6") or DCC; the picture is then empty.
  bool Read(const QByteArray& name, QByteArrayView bytes, QString& fault);
  // The first frame only (a DCC's first direction decoded alone).
  static bool ReadFirstFrame(const QByteArray& name, QByteArrayView bytes, IndexFrame& frame, QString& fault);

  bool IsDc6() const { return dc6_.has_value(); }
  int Directions() const;
  int Frames() const;  // per direction
  // The frame with its own size and offsets.
  const IndexFrame& Frame(int direction, int frame) const;
  // The frame on its direction's box (a DC6 frame as it is), so the frames
  // of a direction line up.
  IndexFrame Aligned(int direction, int frame) const;
  const Dc6* AsDc6() const { return dc6_ ? &*dc6_ : nullptr; }
  // A DC6's frames put in place (for an import and its undo).
  void SetDc6(Dc6 image) { dc6_ = std::move(image); }
  // Frames made elsewhere (a COF's layers composed), by direction, each
  // direction's frames on one box.
  void SetFrames(std::vector<std::vector<IndexFrame>> frames);

 private:
  std::optional<Dc6> dc6_;
  std::optional<Dcc> dcc_;
  std::vector<std::vector<IndexFrame>> frames_;
};

// The frame in the palette's colours, index 0 transparent, its indices
// passed first through table when one is given.
QImage FrameImage(const IndexFrame& frame, const Palette& palette, const uint8_t* table = nullptr);

enum class Background { Checkerboard, Black, Colour };

// The view: the frame's image scaled by zoom (nearest pixel; less where the
// canvas would pass kMaxSide) on a canvas
// that holds both it and its anchor point, the background behind, a cross
// at the anchor. anchorAt gets the anchor's place on the canvas.
QImage ViewImage(const IndexFrame& frame, const QImage& image, int zoom, Background background,
                 QColor colour, QPoint* anchorAt = nullptr);

// The playback position: which frame comes next, wrapping round.
struct Playback {
  int frames = 0;
  int frame = 0;
  int Next() const { return frames > 0 ? (frame + 1) % frames : 0; }
  // Milliseconds between frames at so many frames a second.
  static int Interval(double framesPerSecond) {
    return framesPerSecond > 0 ? std::max(1, int(1000 / framesPerSecond + 0.5)) : 40;
  }
};

// The DC6 with frame index (or, with index < 0, every frame in order) taken
// from pictures: each keeps its old offsets unless its picture carries its
// own. False with why when the count does not match.
bool ImportIntoDc6(Dc6& image, int index, const std::vector<QImage>& pictures, const Palette& palette,
                   QString& fault);

// The image as PNG file bytes; empty when it cannot be made one.
QByteArray PngBytes(const QImage& image);

// The name a frame's PNG goes under: NAME-dD-fF.png.
QString FrameFileName(const QString& name, int direction, int frame);

// How an export writes a frame: RGBA with index 0 transparent, or indexed
// carrying the palette.
enum class ExportKind { Rgba, Indexed };

struct ExportFile {
  QString name;
  QByteArray bytes;
};

// One frame as NAME-dD-fF.png.
ExportFile ExportFrame(const QString& name, const Picture& picture, int direction, int frame,
                       const Palette& palette, const uint8_t* table, ExportKind kind);
// Every frame, one file each.
std::vector<ExportFile> ExportFrames(const QString& name, const Picture& picture, const Palette& palette,
                                     const uint8_t* table, ExportKind kind);
// A sprite sheet: a row per direction, each cell as wide and high as the
// largest aligned frame; the frames placed at their offsets in their cells.
ExportFile ExportSheet(const QString& name, const Picture& picture, const Palette& palette,
                       const uint8_t* table, ExportKind kind);

}  // namespace graphics

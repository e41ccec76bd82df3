#include "archive/graphics/Picture.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <algorithm>

#include "archive/graphics/FrameImage.h"

namespace graphics {

namespace {

bool EndsWithDc6(const QByteArray& name) {
  return name.size() >= 4 && name.right(4).toLower() == ".dc6";
}

// A PNG holds at least one pixel: an empty frame goes out as one transparent one.
IndexFrame NotEmpty(const IndexFrame& frame) {
  return frame.pixels.isEmpty() ? BlankFrame(1, 1, frame.offsetX, frame.offsetY) : frame;
}

QImage AsKind(const IndexFrame& frame, const Palette& palette, const uint8_t* table, ExportKind kind) {
  const IndexFrame shown = table ? Mapped(NotEmpty(frame), table) : NotEmpty(frame);
  return kind == ExportKind::Indexed ? ToIndexedImage(shown, palette) : ToImage(shown, palette);
}

}  // namespace

QString FrameFileName(const QString& name, int direction, int frame) {
  return QStringLiteral("%1-d%2-f%3.png").arg(name).arg(direction).arg(frame);
}

bool IsPictureName(const QByteArray& name) {
  const QByteArray end = name.right(4).toLower();
  return end == ".dc6" || end == ".dcc";
}

bool Picture::Read(const QByteArray& name, QByteArrayView bytes, QString& fault) {
  dc6_.reset();
  dcc_.reset();
  frames_.clear();
  if (EndsWithDc6(name)) {
    Dc6 image;
    if (!ReadDc6(bytes, image, fault)) return false;
    dc6_ = std::move(image);
    return true;
  }
  Dcc image;
  if (!ReadDcc(bytes, image, fault)) return false;
  dcc_ = std::move(image);
  return true;
}

bool Picture::ReadFirstFrame(const QByteArray& name, QByteArrayView bytes, IndexFrame& frame, QString& fault) {
  if (EndsWithDc6(name)) {
    Dc6 image;
    if (!ReadDc6(bytes, image, fault)) return false;
    if (image.frames.empty()) {
      fault = QStringLiteral("the image holds no frame");
      return false;
    }
    frame = image.frames.front().image;
    return true;
  }
  DccHeader header;
  DccDirection direction;
  if (!ReadDccHeader(bytes, header, fault) || !ReadDccDirection(bytes, header, 0, direction, fault))
    return false;
  if (direction.frames.empty()) {
    fault = QStringLiteral("the animation holds no frame");
    return false;
  }
  frame = direction.frames.front().image;
  return true;
}

void Picture::SetFrames(std::vector<std::vector<IndexFrame>> frames) {
  dc6_.reset();
  dcc_.reset();
  frames_ = std::move(frames);
}

int Picture::Directions() const {
  if (!frames_.empty()) return int(frames_.size());
  if (dc6_) return int(dc6_->directions);
  return dcc_ ? int(dcc_->directions.size()) : 0;
}

int Picture::Frames() const {
  if (!frames_.empty()) return int(frames_.front().size());
  if (dc6_) return int(dc6_->framesPerDirection);
  return dcc_ && !dcc_->directions.empty() ? int(dcc_->directions.front().frames.size()) : 0;
}

const IndexFrame& Picture::Frame(int direction, int frame) const {
  if (!frames_.empty()) return frames_[size_t(direction)][size_t(frame)];
  if (dc6_) return dc6_->Frame(uint32_t(direction), uint32_t(frame));
  return dcc_->directions[size_t(direction)].frames[size_t(frame)].image;
}

IndexFrame Picture::Aligned(int direction, int frame) const {
  // Composed frames and a DC6's stand on their own; a DCC's on its box.
  if (!dcc_) return Frame(direction, frame);
  return dcc_->directions[size_t(direction)].OnBox(size_t(frame));
}

QImage FrameImage(const IndexFrame& frame, const Palette& palette, const uint8_t* table) {
  return ToImage(table ? Mapped(frame, table) : frame, palette);
}

QImage ViewImage(const IndexFrame& frame, const QImage& image, int zoom, Background background,
                 QColor colour, QPoint* anchorAt) {
  zoom = std::clamp(zoom, 1, 8);
  // The canvas holds the frame and the anchor, with a margin for the cross.
  constexpr int kArm = 4;
  const int left = std::min(frame.Left(), 0), top = std::min(frame.Top(), 0);
  const int right = std::max(frame.Left() + frame.width, 1), bottom = std::max(frame.Top() + frame.height, 1);
  const int margin = kArm + 1;
  // A large frame zooms no further than a canvas of kMaxSide a side.
  while (zoom > 1 && std::max(right - left, bottom - top) * zoom > kMaxSide) --zoom;
  QImage canvas((right - left) * zoom + 2 * margin, (bottom - top) * zoom + 2 * margin,
                QImage::Format_ARGB32);
  if (background == Background::Checkerboard) {
    constexpr int kSquare = 8;
    for (int y = 0; y < canvas.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(y));
      for (int x = 0; x < canvas.width(); ++x)
        line[x] = ((x / kSquare + y / kSquare) % 2) ? qRgb(0xCC, 0xCC, 0xCC) : qRgb(0xFF, 0xFF, 0xFF);
    }
  } else {
    canvas.fill(background == Background::Black ? QColor(Qt::black) : colour);
  }
  QPainter painter(&canvas);
  const QPoint at((frame.Left() - left) * zoom + margin, (frame.Top() - top) * zoom + margin);
  painter.drawImage(QRect(at, QSize(frame.width * zoom, frame.height * zoom)), image);
  const QPoint anchor((0 - left) * zoom + margin, (0 - top) * zoom + margin);
  // The cross in the colour farthest from the background's.
  const QColor back = background == Background::Colour ? colour : QColor(Qt::white);
  painter.setPen(background != Background::Black && back.lightness() > 127 ? Qt::red : Qt::yellow);
  painter.drawLine(anchor - QPoint(kArm, 0), anchor + QPoint(kArm, 0));
  painter.drawLine(anchor - QPoint(0, kArm), anchor + QPoint(0, kArm));
  painter.end();
  if (anchorAt) *anchorAt = anchor;
  return canvas;
}

bool ImportIntoDc6(Dc6& image, int index, const std::vector<QImage>& pictures, const Palette& palette,
                   QString& fault) {
  const size_t first = index < 0 ? 0 : size_t(index);
  const size_t count = index < 0 ? image.frames.size() : 1;
  if (first + count > image.frames.size() || pictures.size() != count) {
    fault = QStringLiteral("%1 picture(s) for %2 frame(s)").arg(pictures.size()).arg(count);
    return false;
  }
  for (size_t i = 0; i < count; ++i)
    if (!OffsetTextsSound(pictures[i], fault)) {
      if (count > 1) fault = QStringLiteral("picture %1: %2").arg(i + 1).arg(fault);
      return false;
    }
  for (size_t i = 0; i < count; ++i) {
    IndexFrame frame = FromImage(pictures[i], palette);
    const IndexFrame& old = image.frames[first + i].image;
    if (pictures[i].text(QLatin1String(kOffsetXKey)).isEmpty()) frame.offsetX = old.offsetX;
    if (pictures[i].text(QLatin1String(kOffsetYKey)).isEmpty()) frame.offsetY = old.offsetY;
    // A frame given back unchanged keeps its bytes.
    if (frame != old) SetDc6Frame(image, first + i, frame);
  }
  return true;
}

QByteArray PngBytes(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  if (!writer.write(image)) return {};
  return bytes;
}

ExportFile ExportFrame(const QString& name, const Picture& picture, int direction, int frame,
                       const Palette& palette, const uint8_t* table, ExportKind kind) {
  return {FrameFileName(name, direction, frame),
          PngBytes(AsKind(picture.Aligned(direction, frame), palette, table, kind))};
}

std::vector<ExportFile> ExportFrames(const QString& name, const Picture& picture, const Palette& palette,
                                     const uint8_t* table, ExportKind kind) {
  std::vector<ExportFile> files;
  for (int d = 0; d < picture.Directions(); ++d)
    for (int f = 0; f < picture.Frames(); ++f)
      files.push_back(ExportFrame(name, picture, d, f, palette, table, kind));
  return files;
}

ExportFile ExportSheet(const QString& name, const Picture& picture, const Palette& palette,
                       const uint8_t* table, ExportKind kind) {
  // One box over every frame in the anchor's coordinates: each cell holds
  // any frame at its offset.
  int left = 0, top = 0, right = 1, bottom = 1;
  bool first = true;
  for (int d = 0; d < picture.Directions(); ++d)
    for (int f = 0; f < picture.Frames(); ++f) {
      const IndexFrame& frame = picture.Frame(d, f);
      if (frame.width <= 0 || frame.height <= 0) continue;
      if (first) left = frame.Left(), top = frame.Top(), right = left + 1, bottom = top + 1, first = false;
      left = std::min(left, frame.Left());
      top = std::min(top, frame.Top());
      right = std::max(right, frame.Left() + frame.width);
      bottom = std::max(bottom, frame.Top() + frame.height);
    }
  const int cellWidth = right - left, cellHeight = bottom - top;
  const int columns = std::max(picture.Frames(), 1), rows = std::max(picture.Directions(), 1);
  IndexFrame sheet = BlankFrame(cellWidth * columns, cellHeight * rows, 0, cellHeight * rows - 1);
  for (int d = 0; d < picture.Directions(); ++d)
    for (int f = 0; f < picture.Frames(); ++f) {
      const IndexFrame cell = Placed(picture.Frame(d, f), left, top, cellWidth, cellHeight);
      for (int y = 0; y < cellHeight; ++y)
        std::copy_n(cell.pixels.constData() + qsizetype(y) * cellWidth, cellWidth,
                    sheet.pixels.data() + qsizetype(d * cellHeight + y) * sheet.width + f * cellWidth);
    }
  return {QStringLiteral("%1-sheet.png").arg(name), PngBytes(AsKind(sheet, palette, table, kind))};
}

}  // namespace graphics

#include "archive/graphics/Dcc.h"

#include <algorithm>
#include <array>
#include <bit>

#include "archive/graphics/BitStream.h"
#include "archive/graphics/LittleEndian.h"

namespace graphics {

namespace {

// The bit counts the 4-bit width codes of the frame fields stand for.
constexpr int kFieldBits[16] = {0, 1, 2, 4, 6, 8, 10, 12, 14, 16, 20, 24, 26, 28, 30, 32};
constexpr int kCell = 4;

// A frame cut into cells along the direction's 4-pixel grid: the first
// column and row end on the grid, the last ones take up a remainder of one
// pixel, so a cell is 1 to 5 pixels wide and high.
struct Cuts {
  int first = 0;            // grid column (or row) of the first cell
  std::vector<int> starts;  // in box coordinates
  std::vector<int> sizes;
};

Cuts Cut(int offset, int length) {
  Cuts cuts;
  if (length <= 0) return cuts;
  cuts.first = offset / kCell;
  const int head = kCell - offset % kCell;
  int count = 1;
  if (length - head > 1) {
    const int rest = length - head - 1;
    count = 2 + rest / kCell - (rest % kCell == 0 ? 1 : 0);
  }
  int at = offset;
  for (int i = 0; i < count; ++i) {
    int size = i == 0 ? head : kCell;
    if (i == count - 1) size = offset + length - at;
    cuts.starts.push_back(at);
    cuts.sizes.push_back(size);
    at += size;
  }
  return cuts;
}

// A cell's four colours as one frame left them (codes, then indices).
struct CellColours {
  std::array<uint32_t, 4> colour{};
  uint32_t frame = 0;
  uint32_t cell = 0;  // the cell's number within its frame
};

// Where a grid cell was last painted, so a cell left unchanged can be
// copied from there.
struct LastPaint {
  int x = 0, y = 0, w = 0, h = 0;
};

struct Streams {
  BitStream equalCells, pixelMask, encodingType, rawPixels, pixelCodes;
};

class DirectionDecoder {
 public:
  DirectionDecoder(const QByteArray& padded, qint64 bits, uint32_t frames)
      : data_(reinterpret_cast<const uint8_t*>(padded.constData())), bits_(bits), frameCount_(frames) {}

  bool Decode(DccDirection& out, QString& fault) {
    if (!ReadFrameHeaders(out, fault) || !ReadStreamHeader(fault)) return false;
    MakeBox(out);
    if (!CheckSizes(out, fault)) return false;
    if (!CutFrames(out, fault)) return false;
    StageOne();
    if (!MapCodes(fault)) return false;
    StageTwo(out);
    return CheckUsedUp(fault);
  }

 private:
  bool ReadFrameHeaders(DccDirection& out, QString& fault) {
    BitStream& h = header_;
    h = BitStream(data_, 0, bits_);
    h.Read(32);  // the coded size, which the direction's place already gives
    flags_ = h.Read(2);
    int widths[7];
    for (int& w : widths) w = kFieldBits[h.Read(4)];
    // Every frame takes at least its bottom-up bit.
    if (frameCount_ > quint64(bits_)) {
      fault =
          QStringLiteral("%1 frames do not fit in the direction's %2 bytes").arg(frameCount_).arg(bits_ / 8);
      return false;
    }
    out.frames.resize(frameCount_);
    bool optional = false;
    for (DccFrame& frame : out.frames) {
      frame.variable0 = h.Read(widths[0]);
      const uint32_t width = h.Read(widths[1]);
      const uint32_t height = h.Read(widths[2]);
      frame.image.offsetX = h.ReadSigned(widths[3]);
      frame.image.offsetY = h.ReadSigned(widths[4]);
      const uint32_t optionalBytes = h.Read(widths[5]);
      frame.codedBytes = h.Read(widths[6]);
      frame.bottomUp = h.Read(1) != 0;
      if (h.Overrun()) break;
      if (width > uint32_t(kMaxSide) || height > uint32_t(kMaxSide)) {
        fault =
            QStringLiteral("a frame of %1 by %2 pixels, larger than a frame can be").arg(width).arg(height);
        return false;
      }
      if (optionalBytes > quint64(bits_ / 8)) {
        fault = QStringLiteral("%1 optional bytes, more than the direction holds").arg(optionalBytes);
        return false;
      }
      frame.image.width = int(width);
      frame.image.height = int(height);
      frame.optional.resize(qsizetype(optionalBytes));
      optional = optional || optionalBytes != 0;
    }
    if (optional) {
      h.AlignToByte();
      for (DccFrame& frame : out.frames)
        for (char& c : frame.optional) c = char(h.Read(8));
    }
    if (h.Overrun()) {
      fault = QStringLiteral("the frame headers run past the direction's end");
      return false;
    }
    return true;
  }

  bool ReadStreamHeader(QString& fault) {
    BitStream& h = header_;
    const qint64 equalSize = (flags_ & 2) ? h.Read(20) : 0;
    const qint64 maskSize = h.Read(20);
    const qint64 typeSize = (flags_ & 1) ? h.Read(20) : 0;
    const qint64 rawSize = (flags_ & 1) ? h.Read(20) : 0;
    for (int i = 0; i < 256; ++i)
      if (h.Read(1)) codes_.push_back(uint8_t(i));
    qint64 at = h.Position();
    const qint64 needed = at + equalSize + maskSize + typeSize + rawSize;
    if (h.Overrun() || needed > bits_) {
      fault = QStringLiteral("the streams' sizes run past the direction's end");
      return false;
    }
    auto next = [&](qint64 size) {
      BitStream s(data_, at, at + size);
      at += size;
      return s;
    };
    s_.equalCells = next(equalSize);
    s_.pixelMask = next(maskSize);
    s_.encodingType = next(typeSize);
    s_.rawPixels = next(rawSize);
    s_.pixelCodes = next(bits_ - at);
    return true;
  }

  void MakeBox(DccDirection& out) {
    qint64 left = 0, top = 0, right = 0, bottom = 0;
    bool any = false;
    for (const DccFrame& frame : out.frames) {
      const IndexFrame& f = frame.image;
      if (f.width == 0 || f.height == 0) continue;
      const qint64 l = f.offsetX, t = qint64(f.offsetY) - f.height + 1;
      const qint64 r = l + f.width, b = t + f.height;
      left = any ? std::min(left, l) : l;
      top = any ? std::min(top, t) : t;
      right = any ? std::max(right, r) : r;
      bottom = any ? std::max(bottom, b) : b;
      any = true;
    }
    boxLeft_ = left;
    boxTop_ = top;
    boxWidth_ = right - left;
    boxHeight_ = bottom - top;
  }

  bool CheckSizes(DccDirection& out, QString& fault) {
    if (boxWidth_ > kMaxSide || boxHeight_ > kMaxSide) {
      fault = QStringLiteral("the frames spread over %1 by %2 pixels, more than a direction can")
                  .arg(boxWidth_)
                  .arg(boxHeight_);
      return false;
    }
    qint64 pixels = 0;
    for (const DccFrame& frame : out.frames) pixels += qint64(frame.image.width) * frame.image.height;
    if (pixels > kMaxPixels) {
      fault = QStringLiteral("the frames hold more than %1 pixels together").arg(kMaxPixels);
      return false;
    }
    out.box = DccBox{int(boxLeft_), int(boxTop_), int(boxWidth_), int(boxHeight_)};
    gridWidth_ = int((boxWidth_ + kCell - 1) / kCell);
    gridHeight_ = int((boxHeight_ + kCell - 1) / kCell);
    return true;
  }

  // False when the frames have more cells than the streams have bits: each
  // cell takes at least one.
  bool CutFrames(const DccDirection& out, QString& fault) {
    qint64 cells = 0;
    for (const DccFrame& frame : out.frames) {
      const IndexFrame& f = frame.image;
      columns_.push_back(Cut(int(f.offsetX - boxLeft_), f.width));
      rows_.push_back(Cut(int(f.offsetY - f.height + 1 - boxTop_), f.height));
      if (f.width == 0 || f.height == 0) columns_.back() = rows_.back() = Cuts{};
      cells += qint64(columns_.back().sizes.size()) * qint64(rows_.back().sizes.size());
    }
    if (cells > bits_ - s_.equalCells.Position()) {
      fault = QStringLiteral("%1 cells, more than the streams could code").arg(cells);
      return false;
    }
    return true;
  }

  // Stage one: each cell's colours, frame by frame. A cell seen before may
  // stay as it was (an equal-cell bit) or change some of its colours (a
  // 4-bit mask); the new colours come raw or as rising displacements.
  void StageOne() {
    std::vector<int> latest(size_t(gridWidth_) * gridHeight_, -1);
    for (uint32_t f = 0; f < frameCount_; ++f) {
      const Cuts& cols = columns_[f];
      const Cuts& rows = rows_[f];
      for (size_t cy = 0; cy < rows.sizes.size(); ++cy) {
        for (size_t cx = 0; cx < cols.sizes.size(); ++cx) {
          const size_t grid = size_t(rows.first + int(cy)) * gridWidth_ + size_t(cols.first + int(cx));
          uint32_t mask = 0x0F;
          if (latest[grid] >= 0) {
            if ((flags_ & 2) && s_.equalCells.Read(1)) continue;
            mask = s_.pixelMask.Read(4);
          }
          const int count = std::popcount(mask);
          const bool raw = count > 0 && (flags_ & 1) && s_.encodingType.Read(1);
          uint32_t read[4] = {};
          uint32_t last = 0;
          int decoded = 0;
          for (int i = 0; i < count; ++i) {
            uint32_t value;
            if (raw) {
              value = s_.rawPixels.Read(8);
            } else {
              value = last;
              uint32_t step;
              do {
                step = s_.pixelCodes.Read(4);
                value += step;
              } while (step == 15 && !s_.pixelCodes.Overrun());
            }
            // A colour equal to the one before ends the list.
            if (value == last) break;
            read[i] = last = value;
            ++decoded;
          }
          CellColours cell;
          if (latest[grid] >= 0) cell.colour = cells_[size_t(latest[grid])].colour;
          int next = decoded - 1;
          for (int i = 0; i < 4; ++i)
            if (mask & (1u << i)) cell.colour[i] = next >= 0 ? read[next--] : 0;
          cell.frame = f;
          cell.cell = uint32_t(cy * cols.sizes.size() + cx);
          latest[grid] = int(cells_.size());
          cells_.push_back(cell);
        }
      }
    }
  }

  // The codes stand for the palette indices the direction's map lists.
  bool MapCodes(QString& fault) {
    for (CellColours& cell : cells_) {
      for (uint32_t& c : cell.colour) {
        if (c >= codes_.size()) {
          fault = QStringLiteral("a colour code %1 past the %2 colours the direction uses")
                      .arg(c)
                      .arg(codes_.size());
          return false;
        }
        c = codes_[c];
      }
    }
    return true;
  }

  // Stage two: every frame painted cell by cell on a canvas the size of the
  // box, which keeps what the frame before left on it.
  void StageTwo(DccDirection& out) {
    std::vector<uint8_t> canvas(size_t(boxWidth_) * size_t(boxHeight_), 0);
    std::vector<LastPaint> painted(size_t(gridWidth_) * gridHeight_);
    uint8_t scratch[25];
    size_t nextCell = 0;
    for (uint32_t f = 0; f < frameCount_; ++f) {
      const Cuts& cols = columns_[f];
      const Cuts& rows = rows_[f];
      for (size_t cy = 0; cy < rows.sizes.size(); ++cy) {
        for (size_t cx = 0; cx < cols.sizes.size(); ++cx) {
          const int x0 = cols.starts[cx], y0 = rows.starts[cy];
          const int w = cols.sizes[cx], h = rows.sizes[cy];
          uint8_t* at = canvas.data() + size_t(y0) * size_t(boxWidth_) + size_t(x0);
          LastPaint& last = painted[size_t(rows.first + int(cy)) * gridWidth_ + size_t(cols.first + int(cx))];
          const uint32_t number = uint32_t(cy * cols.sizes.size() + cx);
          if (nextCell < cells_.size() && cells_[nextCell].frame == f && cells_[nextCell].cell == number) {
            const std::array<uint32_t, 4>& c = cells_[nextCell++].colour;
            if (c[0] == c[1]) {
              for (int y = 0; y < h; ++y)
                std::memset(at + size_t(y) * size_t(boxWidth_), int(c[0]), size_t(w));
            } else {
              const int bits = c[1] == c[2] ? 1 : 2;
              for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                  at[size_t(y) * size_t(boxWidth_) + size_t(x)] = uint8_t(c[s_.pixelCodes.Read(bits)]);
            }
          } else if (last.w == w && last.h == h) {
            // Unchanged: the cell as last painted, wherever that was.
            const uint8_t* from = canvas.data() + size_t(last.y) * size_t(boxWidth_) + size_t(last.x);
            for (int y = 0; y < h; ++y)
              std::memcpy(scratch + y * w, from + size_t(y) * size_t(boxWidth_), size_t(w));
            for (int y = 0; y < h; ++y)
              std::memcpy(at + size_t(y) * size_t(boxWidth_), scratch + y * w, size_t(w));
          } else {
            for (int y = 0; y < h; ++y) std::memset(at + size_t(y) * size_t(boxWidth_), 0, size_t(w));
          }
          last = LastPaint{x0, y0, w, h};
        }
      }
      TakeFrame(out.frames[f], canvas);
    }
  }

  void TakeFrame(DccFrame& frame, const std::vector<uint8_t>& canvas) const {
    IndexFrame& f = frame.image;
    f.pixels = QByteArray(qsizetype(f.width) * f.height, '\0');
    if (f.width == 0 || f.height == 0) return;
    const qint64 x0 = f.offsetX - boxLeft_, y0 = f.Top() - boxTop_;
    for (int y = 0; y < f.height; ++y) {
      const int row = frame.bottomUp ? f.height - 1 - y : y;
      std::memcpy(f.pixels.data() + qsizetype(row) * f.width,
                  canvas.data() + size_t(y0 + y) * size_t(boxWidth_) + size_t(x0), size_t(f.width));
    }
  }

  bool CheckUsedUp(QString& fault) const {
    const std::pair<const BitStream*, const char*> sized[] = {{&s_.equalCells, "equal-cell"},
                                                              {&s_.pixelMask, "pixel-mask"},
                                                              {&s_.encodingType, "encoding-type"},
                                                              {&s_.rawPixels, "raw-pixel"}};
    for (const auto& [stream, name] : sized) {
      if (stream->Overrun() || stream->Position() != stream->End()) {
        fault = QStringLiteral("the %1 stream %2")
                    .arg(QLatin1String(name),
                         stream->Overrun() ? QStringLiteral("runs short") : QStringLiteral("is not used up"));
        return false;
      }
    }
    // The last stream runs to the direction's end, which is its last byte.
    const BitStream& codes = s_.pixelCodes;
    if (codes.Overrun() || codes.End() - codes.Position() >= 8) {
      fault = codes.Overrun()
                  ? QStringLiteral("the pixel-code stream runs past the direction's end")
                  : QStringLiteral("the pixel-code stream stops %1 byte(s) short of the direction's end")
                        .arg((codes.End() - codes.Position()) / 8);
      return false;
    }
    return true;
  }

  const uint8_t* data_;
  qint64 bits_;
  uint32_t frameCount_;
  BitStream header_;
  uint32_t flags_ = 0;
  std::vector<uint8_t> codes_;
  Streams s_;
  qint64 boxLeft_ = 0, boxTop_ = 0, boxWidth_ = 0, boxHeight_ = 0;
  int gridWidth_ = 0, gridHeight_ = 0;
  std::vector<Cuts> columns_, rows_;
  std::vector<CellColours> cells_;
};

}  // namespace

bool ReadDccHeader(QByteArrayView bytes, DccHeader& header, QString& fault) {
  const qint64 size = bytes.size();
  const char* d = bytes.data();
  if (size < kDccHeaderSize) {
    fault = QStringLiteral("truncated: %1 bytes, shorter than the 15-byte header").arg(size);
    return false;
  }
  if (uint8_t(d[0]) != 0x74) {
    fault = QStringLiteral("not a DCC: signature 0x%1 where 0x74 is expected")
                .arg(uint8_t(d[0]), 2, 16, QLatin1Char('0'));
    return false;
  }
  DccHeader read;
  read.version = uint8_t(d[1]);
  if (read.version != 6) {
    fault = QStringLiteral("not a DCC: version %1 where 6 is expected").arg(read.version);
    return false;
  }
  const int directions = uint8_t(d[2]);
  read.framesPerDirection = Le32(d + 3);
  read.tag = Le32(d + 7);
  read.dc6Size = Le32(d + 11);
  const qint64 tableEnd = kDccHeaderSize + 4 * qint64(directions);
  if (tableEnd > size) {
    fault = QStringLiteral("truncated: the offsets of %1 directions run past the file's %2 bytes")
                .arg(directions)
                .arg(size);
    return false;
  }
  qint64 previous = tableEnd;
  for (int i = 0; i < directions; ++i) {
    const qint64 at = Le32(d + kDccHeaderSize + 4 * i);
    if (at < previous || at > size) {
      fault = QStringLiteral("direction %1 starts at %2, %3")
                  .arg(i)
                  .arg(at)
                  .arg(at > size ? QStringLiteral("past the end of the file")
                                 : QStringLiteral("inside what comes before it"));
      return false;
    }
    if (i > 0) read.spans.back().second = at;
    read.spans.push_back({at, size});
    previous = at;
  }
  // Each frame takes at least a bit of its direction.
  for (size_t i = 0; i < read.spans.size(); ++i) {
    const qint64 bits = 8 * (read.spans[i].second - read.spans[i].first);
    if (read.framesPerDirection > quint64(bits)) {
      fault = QStringLiteral("direction %1: %2 frames do not fit in its %3 bytes")
                  .arg(i)
                  .arg(read.framesPerDirection)
                  .arg(bits / 8);
      return false;
    }
  }
  header = std::move(read);
  return true;
}

bool ReadDccDirection(QByteArrayView bytes, const DccHeader& header, size_t direction, DccDirection& out,
                      QString& fault) {
  const auto [begin, end] = header.spans.at(direction);
  // The stream reader looks up to 8 bytes ahead.
  QByteArray padded(bytes.data() + begin, qsizetype(end - begin));
  padded.append(8, '\0');
  DirectionDecoder decoder(padded, 8 * (end - begin), header.framesPerDirection);
  DccDirection read;
  if (!decoder.Decode(read, fault)) {
    fault = QStringLiteral("direction %1: %2").arg(direction).arg(fault);
    return false;
  }
  out = std::move(read);
  return true;
}

bool ReadDcc(QByteArrayView bytes, Dcc& dcc, QString& fault) {
  Dcc read;
  if (!ReadDccHeader(bytes, read.header, fault)) return false;
  read.directions.resize(read.header.spans.size());
  qint64 pixels = 0;
  for (size_t i = 0; i < read.directions.size(); ++i) {
    if (!ReadDccDirection(bytes, read.header, i, read.directions[i], fault)) return false;
    for (const DccFrame& frame : read.directions[i].frames) pixels += frame.image.pixels.size();
    if (pixels > kMaxPixels) {
      fault = QStringLiteral("the frames hold more than %1 pixels together").arg(kMaxPixels);
      return false;
    }
  }
  dcc = std::move(read);
  return true;
}

}  // namespace graphics

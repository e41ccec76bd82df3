#include "cli/ConvertCommand.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include "archive/graphics/ColourMap.h"
#include "archive/graphics/Dc6.h"
#include "archive/graphics/Dcc.h"
#include "archive/graphics/FrameImage.h"
#include "archive/graphics/GamePalette.h"
#include "archive/graphics/Picture.h"
#include "cli/Options.h"
#include "cli/OutputText.h"
#include "platform/ErrorStreamMute.h"
#include "platform/FileBytes.h"
#include "platform/Files.h"
#include "platform/ReplacingFile.h"

namespace cli {

namespace {

// Larger than any of the game's graphics by far; a bigger file is refused
// before it is read.
constexpr qint64 kMaxInput = qint64(256) << 20;

// What a step failed with: the one line the command prints.
struct Refusal {
  QString message;
};

bool EndsWith(const QString& path, const char* suffix) {
  return path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

QByteArray ReadInput(const QString& path, qint64 limit) {
  const QFileInfo info(path);
  if (!info.exists()) throw Refusal{QStringLiteral("%1: no such file").arg(ShownPath(path))};
  if (!info.isFile()) throw Refusal{QStringLiteral("%1: not a file").arg(ShownPath(path))};
  if (info.size() > limit)
    throw Refusal{QStringLiteral("%1: %2 bytes, too large").arg(ShownPath(path)).arg(info.size())};
  QByteArray bytes;
  if (!files::ReadFileBytes(path, bytes))
    throw Refusal{QStringLiteral("%1: cannot be read").arg(ShownPath(path))};
  return bytes;
}

graphics::Palette LoadPalette(const Options& options) {
  if (!options.Given(QStringLiteral("--palette")))
    throw Refusal{QStringLiteral("convert needs --palette PAL (see quillforge convert --help)")};
  const QString word = options.ValueOf(QStringLiteral("--palette"));
  graphics::Palette palette;
  QString fault;
  const int act = graphics::ActOfWord(word);
  if (act && options.Given(QStringLiteral("--game"))) {
    if (!graphics::ReadGamePalette(options.ValueOf(QStringLiteral("--game")), act, palette, fault))
      throw Refusal{fault};
    return palette;
  }
  if (act && !QFileInfo::exists(word))
    throw Refusal{
        QStringLiteral("--palette %1 needs --game FOLDER, the game folder that holds it").arg(word)};
  if (!graphics::ReadPalette(ReadInput(word, graphics::kPl2Size), palette, fault))
    throw Refusal{QStringLiteral("%1: %2").arg(ShownPath(word), fault)};
  return palette;
}

// The colour-map table --colormap and --shift name; empty when neither is given.
std::array<uint8_t, 256> LoadShift(const Options& options, bool& given) {
  const bool map = options.Given(QStringLiteral("--colormap"));
  given = map || options.Given(QStringLiteral("--shift"));
  if (!given) return {};
  if (!map || !options.Given(QStringLiteral("--shift")))
    throw Refusal{QStringLiteral("--colormap MAP and --shift K go together (see quillforge convert --help)")};
  const QString path = options.ValueOf(QStringLiteral("--colormap"));
  graphics::ColourMap colours;
  QString fault;
  if (!graphics::ReadColourMap(ReadInput(path, kMaxInput), colours, fault))
    throw Refusal{QStringLiteral("%1: %2").arg(ShownPath(path), fault)};
  bool ok = false;
  const int shift = options.ValueOf(QStringLiteral("--shift")).toInt(&ok);
  if (!ok || shift < 0 || size_t(shift) >= colours.tables.size())
    throw Refusal{QStringLiteral("--shift %1: the map holds tables 0 to %2")
                      .arg(options.ValueOf(QStringLiteral("--shift")))
                      .arg(colours.tables.size() - 1)};
  return colours.tables[size_t(shift)];
}

QByteArray PngBytes(const QImage& image) {
  QByteArray bytes = graphics::PngBytes(image);
  if (bytes.isEmpty()) throw Refusal{QStringLiteral("a frame cannot be made a PNG")};
  return bytes;
}

struct OutFile {
  QString name;
  QByteArray bytes;
};

// The refusal of a file its reader does not take; a fault that already says
// the file is not of the kind is not said twice.
QString Unsound(const QString& path, const char* kind, const QString& fault) {
  if (fault.startsWith(QStringLiteral("not a "))) return QStringLiteral("%1: %2").arg(ShownPath(path), fault);
  return QStringLiteral("%1: not a sound %2: %3").arg(ShownPath(path), QLatin1String(kind), fault);
}

// Every frame of the image as a PNG, named for its direction and frame.
std::vector<OutFile> FramesAsPng(const QString& path, const graphics::Palette& palette,
                                 const uint8_t* shift) {
  const QByteArray bytes = ReadInput(path, kMaxInput);
  const QString name = QFileInfo(path).completeBaseName();
  std::vector<OutFile> out;
  auto add = [&](size_t d, size_t f, const graphics::IndexFrame& frame) {
    // A PNG holds at least one pixel: an empty frame comes out as one transparent pixel.
    const graphics::IndexFrame shown =
        frame.pixels.isEmpty() ? graphics::BlankFrame(1, 1, frame.offsetX, frame.offsetY) : frame;
    const QImage image = graphics::ToImage(shift ? graphics::Mapped(shown, shift) : shown, palette);
    out.push_back({graphics::FrameFileName(name, int(d), int(f)), PngBytes(image)});
  };
  QString fault;
  if (EndsWith(path, ".dc6")) {
    graphics::Dc6 image;
    if (!graphics::ReadDc6(bytes, image, fault))
      throw Refusal{Unsound(path, "DC6", fault)};
    for (uint32_t d = 0; d < image.directions; ++d)
      for (uint32_t f = 0; f < image.framesPerDirection; ++f) add(d, f, image.Frame(d, f));
  } else {
    graphics::Dcc image;
    if (!graphics::ReadDcc(bytes, image, fault))
      throw Refusal{Unsound(path, "DCC", fault)};
    for (size_t d = 0; d < image.directions.size(); ++d)
      for (size_t f = 0; f < image.directions[d].frames.size(); ++f) add(d, f, image.directions[d].OnBox(f));
  }
  if (out.empty()) throw Refusal{QStringLiteral("%1: holds no frames").arg(ShownPath(path))};
  return out;
}

graphics::Dc6 Dc6FromPngs(const QStringList& paths, const graphics::Palette& palette, uint32_t directions) {
  if (paths.size() % qsizetype(directions) != 0)
    throw Refusal{QStringLiteral("%1 PNG files do not make %2 directions of equal frames")
                      .arg(paths.size())
                      .arg(directions)};
  std::vector<graphics::IndexFrame> frames;
  qint64 pixels = 0;
  for (const QString& path : paths) {
    const QByteArray bytes = ReadInput(path, kMaxInput);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    QSize size;
    {
      const files::ErrorStreamMute quiet;  // the PNG library's own words on a damaged file
      size = reader.size();
    }
    if (size.isValid() && (size.width() > graphics::kMaxSide || size.height() > graphics::kMaxSide))
      throw Refusal{QStringLiteral("%1: %2 by %3 pixels, larger than a frame can be")
                        .arg(ShownPath(path))
                        .arg(size.width())
                        .arg(size.height())};
    pixels += qint64(size.width()) * size.height();
    if (pixels > graphics::kMaxPixels)
      throw Refusal{QStringLiteral("%1: the frames hold more than %2 pixels together")
                        .arg(ShownPath(path))
                        .arg(graphics::kMaxPixels)};
    QImage image;
    {
      const files::ErrorStreamMute quiet;  // the PNG library's own words on a damaged file
      image = reader.read();
    }
    if (image.isNull())
      throw Refusal{QStringLiteral("%1: not a PNG picture: %2").arg(ShownPath(path), reader.errorString())};
    QString fault;
    if (!graphics::OffsetTextsSound(image, fault)) throw Refusal{QStringLiteral("%1: %2").arg(ShownPath(path), fault)};
    frames.push_back(graphics::FromImage(image, palette));
  }
  return graphics::NewDc6(frames, directions);
}

// Writes a file whole or not at all; false after saying why (and how many
// files before it were written, when there were some).
bool Put(Io& io, files::ReplacingFile& file, const QString& shown, const QByteArray& bytes,
         size_t before = 0) {
  if (!file.Open() || file.Device().write(bytes) != bytes.size() || !file.Commit()) {
    Complain(io, before ? QStringLiteral("%1: cannot be written (the %2 frames before it are)")
                              .arg(ShownPath(shown))
                              .arg(before)
                        : QStringLiteral("%1: cannot be written").arg(ShownPath(shown)));
    return false;
  }
  return true;
}

int ToPng(Io& io, const Options& options) {
  const QStringList& words = options.Positional();
  const QString folder = words.at(1);
  bool shifted = false;
  const graphics::Palette palette = LoadPalette(options);
  const std::array<uint8_t, 256> shift = LoadShift(options, shifted);
  const std::vector<OutFile> files = FramesAsPng(words.at(0), palette, shifted ? shift.data() : nullptr);
  const QFileInfo info(folder);
  if (info.exists() && !info.isDir())
    throw Refusal{QStringLiteral("%1: not a folder").arg(ShownPath(folder))};
  if (!info.exists() && !QDir().mkpath(folder))
    throw Refusal{QStringLiteral("%1: cannot make the folder").arg(ShownPath(folder))};
  size_t written = 0;
  for (const OutFile& out : files) {
    files::ReplacingFile file(folder, {out.name});
    if (!Put(io, file, QDir(folder).filePath(out.name), out.bytes, written)) return kFailed;
    ++written;
  }
  return kOk;
}

int ToDc6(Io& io, const Options& options) {
  QStringList pngs = options.Positional();
  const QString target = pngs.takeLast();
  for (const QString& png : std::as_const(pngs))
    if (!EndsWith(png, ".png"))
      throw Refusal{QStringLiteral("%1: a DC6 is made from PNG files only").arg(ShownPath(png))};
  uint32_t directions = 1;
  if (options.Given(QStringLiteral("--directions"))) {
    bool ok = false;
    const int n = options.ValueOf(QStringLiteral("--directions")).toInt(&ok);
    if (!ok || n < 1 || n > pngs.size())
      throw Refusal{QStringLiteral("--directions %1: 1 to the number of PNG files")
                        .arg(options.ValueOf(QStringLiteral("--directions")))};
    directions = uint32_t(n);
  }
  if (options.Given(QStringLiteral("--colormap")) || options.Given(QStringLiteral("--shift")))
    throw Refusal{QStringLiteral("--colormap and --shift go with writing PNG files only")};
  const graphics::Palette palette = LoadPalette(options);
  const QByteArray bytes = graphics::WriteDc6(Dc6FromPngs(pngs, palette, directions));
  files::ReplacingFile file(target);
  return Put(io, file, target, bytes) ? kOk : kFailed;
}

}  // namespace

void DeclareConvertOptions(Options& options) {
  for (const char* name : {"--palette", "--game", "--colormap", "--shift", "--directions"})
    options.Value(QLatin1String(name));
}

int RunConvertCommand(const QStringList& args, Io& io) {
  Options options;
  DeclareConvertOptions(options);
  if (!options.Parse(args)) {
    Complain(io, QStringLiteral("convert: %1 (see quillforge convert --help)").arg(options.Error()));
    return kFailed;
  }
  const QStringList& words = options.Positional();
  try {
    if (words.size() == 2 && (EndsWith(words.at(0), ".dc6") || EndsWith(words.at(0), ".dcc")))
      return ToPng(io, options);
    if (words.size() >= 2 && EndsWith(words.last(), ".dc6")) return ToDc6(io, options);
    Complain(io, QStringLiteral("convert takes FILE.dc6|FILE.dcc DIR, or PNG files and OUT.dc6 "
                                "(see quillforge convert --help)"));
  } catch (const Refusal& refusal) {
    Complain(io, refusal.message);
  }
  return kFailed;
}

}  // namespace cli

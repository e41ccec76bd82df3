#include "archive/graphics/CofAnimation.h"

#include <algorithm>

namespace graphics {

namespace {

bool Letters(const QByteArray& part) {
  return std::all_of(part.begin(), part.end(), [](char c) { return c != '\\' && c != '.' && c != '\0'; });
}

qint64 PixelsOf(const Dcc& dcc) {
  qint64 total = 0;
  for (const DccDirection& direction : dcc.directions)
    for (const DccFrame& frame : direction.frames) total += frame.image.pixels.size();
  return total;
}

// The frame's opaque pixels over the canvas, each at its place against the
// anchor; what falls outside is cut off.
void DrawOver(IndexFrame& canvas, const IndexFrame& frame) {
  const int dx = frame.Left() - canvas.Left(), dy = frame.Top() - canvas.Top();
  for (int y = std::max(0, -dy); y < frame.height && y + dy < canvas.height; ++y) {
    const char* from = frame.pixels.constData() + qsizetype(y) * frame.width;
    char* to = canvas.pixels.data() + qsizetype(y + dy) * canvas.width + dx;
    for (int x = std::max(0, -dx); x < frame.width && x + dx < canvas.width; ++x)
      if (from[x] != 0) to[x] = from[x];
  }
}

}  // namespace

bool IsCofName(const QByteArray& name) {
  return name.right(4).toLower() == ".cof";
}

bool ParseCofName(const QByteArray& name, CofName& parts) {
  const qsizetype slash = name.lastIndexOf('\\');
  const QByteArray leaf = name.mid(slash + 1);
  const QByteArray folder = name.left(std::max<qsizetype>(slash, 0));
  const qsizetype up = folder.lastIndexOf('\\');
  if (slash < 0 || leaf.size() != 11 || !IsCofName(leaf) || folder.mid(up + 1).toLower() != "cof")
    return false;
  const QByteArray stem = leaf.left(7);
  if (!Letters(stem)) return false;
  parts.base = folder.left(up + 1);
  parts.token = stem.left(2);
  parts.mode = stem.mid(2, 2);
  parts.weaponClass = stem.mid(4, 3);
  return true;
}

bool CofAnimation::Read(const QByteArray& name, QByteArrayView bytes, QString& fault) {
  Cof cof;
  if (!ReadCof(bytes, cof, fault)) return false;
  cof_ = std::move(cof);
  name_ = {};
  named_ = ParseCofName(name, name_);
  layers_.assign(cof_.layers.size(), {});
  return true;
}

QByteArray CofAnimation::LayerName(size_t layer, const QByteArray& type,
                                   const QByteArray& weaponClass) const {
  const QByteArray component = ComponentName(cof_.layers[layer].component);
  return name_.base + component + '\\' + name_.token + component + type + name_.mode + weaponClass + ".dcc";
}

void CofAnimation::FindLayers(const DccLookup& lookup) {
  for (size_t i = 0; i < layers_.size(); ++i) {
    CofLayerDcc& found = layers_[i];
    found = {};
    if (!named_) continue;
    // The layer names the weapon class its DCC carries; the COF's own name
    // is the fall-back.
    QByteArrayList classes{cof_.layers[i].weaponClass};
    if (classes.front().isEmpty() || classes.front().toLower() != name_.weaponClass.toLower())
      classes << name_.weaponClass;
    for (const QByteArray& weaponClass : classes) {
      if (weaponClass.isEmpty()) continue;
      const QByteArray any = LayerName(i, "\x01", weaponClass);
      const QByteArray start = any.left(any.indexOf('\x01')), end = any.mid(any.indexOf('\x01') + 1);
      auto add = [&](const QByteArray& type, const QByteArray& name) {
        for (const QByteArray& had : found.types)
          if (had.toLower() == type.toLower()) return;
        found.types.push_back(type);
        found.names.push_back(name);
      };
      for (const QByteArray& name : lookup.list ? lookup.list(start, end) : std::vector<QByteArray>{}) {
        const QByteArray type = name.mid(start.size(), name.size() - start.size() - end.size());
        if (name.size() > start.size() + end.size() && Letters(type)) add(type, name);
      }
      for (const char* type : kCommonDccTypes)
        if (lookup.holds && lookup.holds(LayerName(i, type, weaponClass)))
          add(type, LayerName(i, type, weaponClass));
      if (found.types.empty()) continue;
      found.weaponClass = weaponClass;
      break;
    }
    if (found.types.empty()) continue;
    // LIT first, else the first in order.
    std::vector<size_t> order(found.types.size());
    for (size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      const QByteArray x = found.types[a].toUpper(), y = found.types[b].toUpper();
      return (x == "LIT") != (y == "LIT") ? x == "LIT" : x < y;
    });
    CofLayerDcc sorted = found;
    for (size_t k = 0; k < order.size(); ++k) {
      sorted.types[k] = found.types[order[k]];
      sorted.names[k] = found.names[order[k]];
    }
    found = std::move(sorted);
    found.chosen = 0;
    Decode(i, lookup);
  }
}

void CofAnimation::ChooseType(size_t layer, int type, const DccLookup& lookup) {
  if (layer >= layers_.size() || type < 0 || size_t(type) >= layers_[layer].types.size()) return;
  layers_[layer].chosen = type;
  Decode(layer, lookup);
}

void CofAnimation::Decode(size_t layer, const DccLookup& lookup) {
  CofLayerDcc& found = layers_[layer];
  found.dcc.reset();
  found.fault.clear();
  QByteArray bytes;
  if (!lookup.read || !lookup.read(found.names[size_t(found.chosen)], bytes)) {
    found.fault = QStringLiteral("cannot be read");
    return;
  }
  auto dcc = std::make_shared<Dcc>();
  if (!ReadDcc(bytes, *dcc, found.fault)) return;
  // The layers together stay within what one file may decode to.
  qint64 others = 0;
  for (size_t i = 0; i < layers_.size(); ++i)
    if (i != layer && layers_[i].dcc) others += PixelsOf(*layers_[i].dcc);
  if (others + PixelsOf(*dcc) > kMaxPixels) {
    found.fault = QStringLiteral("too large together with the other layers");
    return;
  }
  found.dcc = std::move(dcc);
}

int CofAnimation::LayerOf(int component) const {
  for (size_t i = 0; i < cof_.layers.size(); ++i)
    if (cof_.layers[i].component == component) return int(i);
  return -1;
}

int CofAnimation::DirectionInDcc(int cofDirection, int cofDirections, int dccDirections) {
  if (dccDirections <= 0) return -1;
  return cofDirections == dccDirections ? cofDirection : cofDirection % dccDirections;
}

DccBox CofAnimation::Box(int direction) const {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool any = false;
  for (const CofLayerDcc& layer : layers_) {
    if (!layer.dcc || layer.dcc->directions.empty()) continue;
    const int d = DirectionInDcc(direction, cof_.directions, int(layer.dcc->directions.size()));
    const DccBox& box = layer.dcc->directions[size_t(d)].box;
    if (box.width <= 0 || box.height <= 0) continue;
    if (!any) left = box.left, top = box.top, right = box.left, bottom = box.top, any = true;
    left = std::min(left, box.left);
    top = std::min(top, box.top);
    right = std::max(right, box.left + box.width);
    bottom = std::max(bottom, box.top + box.height);
  }
  // A box past the largest side is cut off on its right and bottom.
  return {left, top, std::min(right - left, kMaxSide), std::min(bottom - top, kMaxSide)};
}

IndexFrame CofAnimation::Composed(int direction, int frame) const {
  const DccBox box = Box(direction);
  IndexFrame canvas = BlankFrame(box.width, box.height, box.left, box.top + box.height - 1);
  for (int i = 0; i < int(cof_.layers.size()); ++i) {
    const int layer = LayerOf(cof_.DrawnAt(direction, frame, i));
    if (layer < 0 || !layers_[size_t(layer)].dcc) continue;
    const Dcc& dcc = *layers_[size_t(layer)].dcc;
    if (dcc.directions.empty()) continue;
    const DccDirection& d =
        dcc.directions[size_t(DirectionInDcc(direction, cof_.directions, int(dcc.directions.size())))];
    if (d.frames.empty()) continue;
    DrawOver(canvas, d.frames[size_t(frame) % d.frames.size()].image);
  }
  return canvas;
}

bool CofAnimation::ComposeAll(std::vector<std::vector<IndexFrame>>& frames, QString& fault) const {
  frames.clear();
  qint64 pixels = 0;
  for (int d = 0; d < cof_.directions; ++d) {
    const DccBox box = Box(d);
    pixels += qint64(box.width) * box.height * cof_.framesPerDirection;
  }
  if (pixels > kMaxPixels) {
    fault = QStringLiteral("its frames composed would take %1 pixels, more than the %2 one picture may")
                .arg(pixels)
                .arg(kMaxPixels);
    return false;
  }
  frames.resize(cof_.directions);
  for (int d = 0; d < cof_.directions; ++d)
    for (int f = 0; f < cof_.framesPerDirection; ++f) frames[size_t(d)].push_back(Composed(d, f));
  return true;
}

QStringList CofAnimation::Notes() const {
  QStringList notes;
  if (!named_)
    notes << QStringLiteral(
        "The name is not <token><mode><weapon class>.cof in a COF folder, so the "
        "layers' DCCs cannot be found.");
  for (size_t i = 0; i < layers_.size(); ++i) {
    const CofLayerDcc& layer = layers_[i];
    const QString component = QString::fromLatin1(ComponentName(cof_.layers[i].component));
    if (!named_) continue;
    if (layer.chosen < 0) {
      const QByteArray wanted = LayerName(
          i, "*", cof_.layers[i].weaponClass.isEmpty() ? name_.weaponClass : cof_.layers[i].weaponClass);
      notes << QStringLiteral("%1: missing, no %2 found; left out.")
                   .arg(component, QString::fromLatin1(wanted));
      continue;
    }
    const QString name = QString::fromLatin1(layer.names[size_t(layer.chosen)]);
    if (!layer.dcc) {
      notes << QStringLiteral("%1: %2 %3; left out.").arg(component, name, layer.fault);
      continue;
    }
    const int directions = int(layer.dcc->directions.size());
    if (directions != cof_.directions)
      notes << QStringLiteral(
                   "%1: the DCC has %2 directions, the COF %3; COF direction d is drawn with "
                   "the DCC's direction d modulo %2, which need not face the same way.")
                   .arg(component)
                   .arg(directions)
                   .arg(cof_.directions);
    const int frames = directions ? int(layer.dcc->directions.front().frames.size()) : 0;
    if (frames < cof_.framesPerDirection)
      notes << QStringLiteral("%1: the DCC has %2 frames a direction, the COF %3; its frames start over.")
                   .arg(component)
                   .arg(frames)
                   .arg(cof_.framesPerDirection);
  }
  return notes;
}

}  // namespace graphics

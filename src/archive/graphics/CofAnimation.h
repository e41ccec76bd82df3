#pragma once
// A COF played as the game composes it: each layer's DCC found by name,
// beside the COF's own COF\ folder:
//   <base>COF\<token><mode><class>.cof             (the COF)
//   <base><component>\<token><component><type><mode><class>.dcc   (a layer)
// where the type (LIT, MED, HVY, ...) is the user's choice when several
// exist, and every frame drawn from the layers' frames in the COF's draw
// order, each at its offset against the common anchor. A layer with no DCC,
// or one that does not decode, is left out and named in the notes.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "archive/graphics/Cof.h"
#include "archive/graphics/Dcc.h"
#include "archive/graphics/IndexFrame.h"

namespace graphics {

// Whether the internal name ends in ".cof", in any letter case.
bool IsCofName(const QByteArray& name);

// The parts of a COF's name; false when it is not <base>COF\ and a leaf of
// 2 + 2 + 3 letters and ".cof".
struct CofName {
  QByteArray base;  // up to the COF\ folder, its backslash kept
  QByteArray token, mode, weaponClass;
};
bool ParseCofName(const QByteArray& name, CofName& parts);

// Where the layers' DCCs come from (the mod first, then the game).
struct DccLookup {
  // The names held that start with start and end with end, letter case
  // ignored, as stored.
  std::function<std::vector<QByteArray>(const QByteArray& start, const QByteArray& end)> list;
  // Whether a name no list gives is held all the same (the game's archives
  // list nothing); may be empty.
  std::function<bool(const QByteArray& name)> holds;
  std::function<bool(const QByteArray& name, QByteArray& bytes)> read;
};

// The types tried by name where nothing lists them.
inline const char* const kCommonDccTypes[] = {"LIT", "MED", "HVY"};

struct CofLayerDcc {
  QByteArray weaponClass;         // the class its DCC names carry
  std::vector<QByteArray> types;  // as found, one per name
  std::vector<QByteArray> names;
  int chosen = -1;                 // into types; -1 while none is found
  std::shared_ptr<const Dcc> dcc;  // the chosen one decoded, else null
  QString fault;                   // why the chosen one is left out
};

class CofAnimation {
 public:
  // False with the reader's fault when the bytes are no sound COF.
  bool Read(const QByteArray& name, QByteArrayView bytes, QString& fault);
  // Finds every layer's DCCs, chooses a type for each (LIT first, else the
  // first in order) and decodes it.
  void FindLayers(const DccLookup& lookup);
  // Takes the layer's type at that index and decodes its DCC.
  void ChooseType(size_t layer, int type, const DccLookup& lookup);

  const Cof& File() const { return cof_; }
  bool NameFollowsPattern() const { return named_; }
  const std::vector<CofLayerDcc>& Layers() const { return layers_; }
  // The DCC name looked for with that type ("???" for any).
  QByteArray LayerName(size_t layer, const QByteArray& type, const QByteArray& weaponClass) const;
  // Frames a second the animation rate gives (rate / 256 * 25).
  double FramesPerSecond() const { return cof_.animationRate * 25.0 / 256.0; }
  // The missing and faulty layers, and how directions and frames of layers
  // that count them otherwise are drawn.
  QStringList Notes() const;

  // The DCC direction drawn for a COF direction: the same number where
  // both count alike, else that number modulo the DCC's count.
  static int DirectionInDcc(int cofDirection, int cofDirections, int dccDirections);
  // One frame composed on the box over every drawn layer's direction box.
  IndexFrame Composed(int direction, int frame) const;
  // Every frame, by direction; false with why (and frames empty) when they
  // would take more than kMaxPixels.
  bool ComposeAll(std::vector<std::vector<IndexFrame>>& frames, QString& fault) const;

 private:
  void Decode(size_t layer, const DccLookup& lookup);
  DccBox Box(int direction) const;
  int LayerOf(int component) const;

  Cof cof_;
  CofName name_;
  bool named_ = false;
  std::vector<CofLayerDcc> layers_;
};

}  // namespace graphics

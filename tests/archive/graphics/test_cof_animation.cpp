// A COF's layers found by name among built entries (types listed and probed,
// the user's choice, letter case, a missing layer, a damaged DCC left out
// with its fault) and composed in the COF's draw order at the layers'
// offsets, from the fixtures' real DCCs.
#include <QMap>
#include <QtEndian>
#include <QtTest>

#include "GraphicsFixtures.h"
#include "archive/graphics/CofAnimation.h"

using namespace graphics;

namespace {

const QByteArray kCof = "data\\global\\monsters\\S7\\cof\\S7A1HTH.COF";

// A COF: each layer's component and weapon class; order[f] lists the
// components drawn at frame f (the same in every direction).
QByteArray BuildCof(const std::vector<std::pair<int, QByteArray>>& layers, int directions,
                    const std::vector<std::vector<int>>& order, int16_t rate) {
  QByteArray bytes(28, '\0');
  bytes[0] = char(layers.size());
  bytes[1] = char(order.size());
  bytes[2] = char(directions);
  bytes[3] = 20;
  qToLittleEndian(rate, bytes.data() + 24);
  for (const auto& [component, weaponClass] : layers)
    bytes += QByteArray(1, char(component)) + QByteArray("\x00\x01\x00\x00", 4) +
             weaponClass.leftJustified(4, '\0');
  bytes += QByteArray(qsizetype(order.size()), '\0');
  for (int d = 0; d < directions; ++d)
    for (const std::vector<int>& frame : order)
      for (int component : frame) bytes += char(component);
  return bytes;
}

// Entries by name, letter case ignored as archives ignore it: the listed
// ones as the mod's rows, the unlisted found by name only as the game's.
struct Entries {
  QMap<QByteArray, QByteArray> files;     // listed, as the mod's rows are
  QMap<QByteArray, QByteArray> unlisted;  // found by name only, as the game's are
  DccLookup Lookup() const {
    DccLookup lookup;
    lookup.list = [this](const QByteArray& start, const QByteArray& end) {
      std::vector<QByteArray> names;
      for (const QByteArray& name : files.keys())
        if (name.toLower().startsWith(start.toLower()) && name.toLower().endsWith(end.toLower()))
          names.push_back(name);
      return names;
    };
    lookup.holds = [this](const QByteArray& name) {
      for (const QByteArray& held : unlisted.keys())
        if (held.toLower() == name.toLower()) return true;
      return false;
    };
    lookup.read = [this](const QByteArray& name, QByteArray& bytes) {
      for (const auto* map : {&files, &unlisted})
        for (auto it = map->begin(); it != map->end(); ++it)
          if (it.key().toLower() == name.toLower()) return bytes = it.value(), true;
      return false;
    };
    return lookup;
  }
};

QByteArray Fixture(const char* below) {
  return fixtures::readAll(fixtures::graphicsFile(QString::fromLatin1(below)));
}

Dcc Decoded(const QByteArray& bytes) {
  Dcc dcc;
  QString fault;
  if (!ReadDcc(bytes, dcc, fault)) qFatal("%s", qPrintable(fault));
  return dcc;
}

// Every opaque pixel of the frame is at its place in the canvas.
bool ShownAt(const IndexFrame& canvas, const IndexFrame& frame) {
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x)
      if (frame.At(x, y) &&
          canvas.At(frame.Left() + x - canvas.Left(), frame.Top() + y - canvas.Top()) != frame.At(x, y))
        return false;
  return true;
}

}  // namespace

class TestCofAnimation : public QObject {
  Q_OBJECT

  QByteArray big_, small_;

 private slots:
  void initTestCase() {
    QF_REQUIRE_FIXTURES();
    big_ = Fixture("monsters/blood/S7TRLITA1HTH.dcc");
    small_ = Fixture("monsters/blood/BloodSmall01.dcc");
    if (big_.isEmpty() || small_.isEmpty()) QSKIP("graphics fixtures not found");
  }

  void namesFollowTheCofsFolder() {
    CofName parts;
    QVERIFY(ParseCofName("data\\global\\chars\\AI\\COF\\AIA2BOW.COF", parts));
    QCOMPARE(parts.base, QByteArray("data\\global\\chars\\AI\\"));
    QCOMPARE(parts.token + "|" + parts.mode + "|" + parts.weaponClass, QByteArray("AI|A2|BOW"));
    QVERIFY(!ParseCofName("data\\global\\monsters\\blood\\NEWL1HT.cof", parts));  // not in a COF folder
    QVERIFY(!ParseCofName("data\\COF\\AIA2BO.cof", parts));                       // a letter short
  }

  // TR and HD (1 and 0) drawn over each other, TR first in frame 0 and last
  // in frame 1: what lies on top wins where both are opaque.
  void layersDrawnInTheCofsOrderAtTheirOffsets() {
    Entries entries;
    entries.files["data\\global\\monsters\\S7\\TR\\S7TRLITA1HTH.dcc"] = big_;
    entries.files["data\\global\\monsters\\S7\\hd\\s7hdlita1hth.DCC"] = small_;  // found in any case
    CofAnimation animation;
    QString fault;
    QVERIFY2(animation.Read(kCof, BuildCof({{1, "hth"}, {0, "hth"}}, 8, {{1, 0}, {0, 1}}, 128), fault),
             qPrintable(fault));
    animation.FindLayers(entries.Lookup());
    QVERIFY2(animation.Notes().isEmpty(), qPrintable(animation.Notes().join('\n')));
    QCOMPARE(animation.Layers()[1].names[0], QByteArray("data\\global\\monsters\\S7\\hd\\s7hdlita1hth.DCC"));
    QCOMPARE(animation.FramesPerSecond(), 12.5);
    const Dcc tr = Decoded(big_), hd = Decoded(small_);
    for (int d : {0, 5}) {
      const IndexFrame first = animation.Composed(d, 0), second = animation.Composed(d, 1);
      const DccBox& a = tr.directions[size_t(d)].box;
      const DccBox& b = hd.directions[size_t(d)].box;
      QCOMPARE(first.Left(), std::min(a.left, b.left));
      QCOMPARE(first.Top(), std::min(a.top, b.top));
      QCOMPARE(first.width, std::max(a.left + a.width, b.left + b.width) - first.Left());
      QVERIFY(ShownAt(first, hd.directions[size_t(d)].frames[0].image));
      QVERIFY(ShownAt(second, tr.directions[size_t(d)].frames[1].image));
    }
    std::vector<std::vector<IndexFrame>> frames;
    QVERIFY(animation.ComposeAll(frames, fault));
    QCOMPARE(frames.size(), size_t(8));
    QCOMPARE(frames[3][1], animation.Composed(3, 1));
  }

  // Types listed (MED, lit) and found by name only (HVY): LIT is chosen
  // first, the choice decodes the other; a layer with none is missing, one
  // that does not decode is left out with its fault, and the others still
  // show. A COF of 16 directions over DCCs of 8 says how it maps them.
  void typesChosenAndLayersLeftOut() {
    Entries entries;
    entries.files["data\\global\\monsters\\S7\\TR\\S7TRMEDA1HTH.dcc"] = small_;
    entries.files["data\\global\\monsters\\S7\\TR\\S7TRlitA1HTH.dcc"] = big_;
    entries.unlisted["data\\global\\monsters\\S7\\TR\\S7TRHVYA1HTH.dcc"] = small_;
    entries.files["data\\global\\monsters\\S7\\LG\\S7LGLITA1HTH.dcc"] = big_.left(4000);
    CofAnimation animation;
    QString fault;
    QVERIFY(
        animation.Read(kCof, BuildCof({{1, "hth"}, {2, "hth"}, {0, "hth"}}, 16, {{0, 1, 2}}, 256), fault));
    animation.FindLayers(entries.Lookup());
    const CofLayerDcc& torso = animation.Layers()[0];
    QCOMPARE(torso.types, (std::vector<QByteArray>{"lit", "HVY", "MED"}));
    QCOMPARE(torso.chosen, 0);
    QVERIFY(torso.dcc);
    QCOMPARE(torso.dcc->directions[0].frames[0].image, Decoded(big_).directions[0].frames[0].image);
    animation.ChooseType(0, 2, entries.Lookup());
    QCOMPARE(torso.dcc->directions[0].frames[0].image, Decoded(small_).directions[0].frames[0].image);

    QVERIFY(!animation.Layers()[1].dcc);
    QVERIFY(!animation.Layers()[1].fault.isEmpty());
    QCOMPARE(animation.Layers()[2].chosen, -1);
    const QString notes = animation.Notes().join('\n');
    QVERIFY2(
        notes.contains("LG: data\\global\\monsters\\S7\\LG\\S7LGLITA1HTH.dcc " + animation.Layers()[1].fault),
        qPrintable(notes));
    QVERIFY2(notes.contains("HD: missing"), qPrintable(notes));
    QVERIFY2(notes.contains("the DCC has 8 directions, the COF 16"), qPrintable(notes));
    // Direction 11 draws the DCC's direction 3; the torso alone shows.
    QCOMPARE(CofAnimation::DirectionInDcc(11, 16, 8), 3);
    QVERIFY(ShownAt(animation.Composed(11, 0), Decoded(small_).directions[3].frames[0].image));
  }
};

QTEST_GUILESS_MAIN(TestCofAnimation)
#include "test_cof_animation.moc"

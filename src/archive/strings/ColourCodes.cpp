#include "ColourCodes.h"

namespace colourcodes {

bool ColourOf(char code, GameColour& colour) {
  if (code == '/') {
    colour = GameColour::White;
    return true;
  }
  if (code < '0' || code > ';') return false;
  colour = GameColour(int(GameColour::Grey) + (code - '0'));
  return true;
}

std::vector<ColourSpan> Spans(QByteArrayView text) {
  static constexpr char kCode[] =
      "\xC3\xBF"
      "c";
  std::vector<ColourSpan> spans;
  GameColour colour = GameColour::White;
  QByteArray run;
  const auto close = [&] {
    if (run.isEmpty()) return;
    if (!spans.empty() && spans.back().colour == colour)
      spans.back().text += run;
    else
      spans.push_back({run, colour});
    run.clear();
  };
  qsizetype from = 0;
  for (qsizetype at = text.indexOf(kCode); at >= 0; at = text.indexOf(kCode, at + 1)) {
    GameColour next;
    if (at + 3 >= text.size() || !ColourOf(text[at + 3], next)) continue;
    run += text.sliced(from, at - from);
    close();
    colour = next;
    from = at + 4;
    at += 3;
  }
  run += text.sliced(from);
  close();
  return spans;
}

QColor Paint(GameColour colour) {
  switch (colour) {
    case GameColour::White:
      return QColor(0xFF, 0xFF, 0xFF);
    case GameColour::Grey:
      return QColor(0xC4, 0xC4, 0xC4);
    case GameColour::Red:
      return QColor(0xFF, 0x4D, 0x4D);
    case GameColour::Green:
      return QColor(0x00, 0xFF, 0x00);
    case GameColour::Blue:
      return QColor(0x69, 0x69, 0xFF);
    case GameColour::Gold:
      return QColor(0xC7, 0xB3, 0x77);
    case GameColour::DarkGrey:
      return QColor(0x69, 0x69, 0x69);
    case GameColour::Black:
      return QColor(0x20, 0x20, 0x20);
    case GameColour::Tan:
      return QColor(0xA5, 0x9D, 0x63);
    case GameColour::Orange:
      return QColor(0xFF, 0xA8, 0x00);
    case GameColour::Yellow:
      return QColor(0xFF, 0xFF, 0x64);
    case GameColour::DarkGreen:
      return QColor(0x00, 0x80, 0x00);
    case GameColour::Purple:
      return QColor(0xAE, 0x00, 0xFF);
  }
  return QColor(0xFF, 0xFF, 0xFF);
}

}  // namespace colourcodes

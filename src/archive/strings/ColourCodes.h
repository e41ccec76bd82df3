#pragma once
// The game's colour codes in a text: "ÿc" (C3 BF 63 in UTF-8) and one code
// character switch the colour of what follows. The text splits into spans
// of one colour each, the codes themselves left out; a "ÿc" followed by no
// known code character stays in the text as it is.
#include <QByteArray>
#include <QByteArrayView>
#include <QColor>
#include <vector>

enum class GameColour {
  White,
  Grey,
  Red,
  Green,
  Blue,
  Gold,
  DarkGrey,
  Black,
  Tan,
  Orange,
  Yellow,
  DarkGreen,
  Purple,
};

struct ColourSpan {
  QByteArray text;  // the span's bytes, codes left out
  GameColour colour;
};

namespace colourcodes {

// The colour a code character selects: "/" white, then "0" to ";" in the
// order of GameColour from grey on; false for any other character.
bool ColourOf(char code, GameColour& colour);

// Adjacent spans never share a colour; empty spans are left out. Text
// before any code is white.
std::vector<ColourSpan> Spans(QByteArrayView text);

// How the preview paints a colour (on a black background, as the game does).
QColor Paint(GameColour colour);

}  // namespace colourcodes

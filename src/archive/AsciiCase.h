#pragma once
// Letter case as the game's files have it: the ASCII letters A to Z fold to
// a to z and every other byte stays as it is, whatever the locale. Extensions,
// string keys and cell values compare this way; the names a user sees are
// folded by their display characters instead (Names.h). A whole QByteArray
// folds the same way with its toLower().

inline char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

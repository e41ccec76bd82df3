#pragma once
// Finding a text among the keys and texts of a string table. The typed text
// is looked for as Windows-1252 bytes in keys and as UTF-8 bytes in texts.
// Without match case, keys fold case as the sheet's find does; texts fold
// only the ASCII letters, since folding single bytes of UTF-8 would make a
// byte of one character match a byte of another.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "archive/sheetedit/SheetFinder.h"

class StringTableEditor;

class StringFinder {
 public:
  struct Hit {
    int col = -1;
    int index = -1;        // the string's position
    bool wrapped = false;  // found only after going round past the end
    bool Found() const { return index >= 0; }
  };

  StringFinder(const QString& text, FindOptions options);

  bool Empty() const { return textNeedle_.isEmpty(); }
  bool Matches(int col, QByteArrayView cell) const;
  // The cell with every match replaced (whole cell: the replacement), the
  // replacement encoded as the column is.
  QByteArray Replaced(int col, QByteArrayView cell, const QString& with) const;

  // The next matching cell after (col, index) in reading order (each
  // string's key, then its text), going on from the first string after the
  // last; the cell itself comes last. col -1 starts with the string's key.
  Hit Next(const StringTableEditor& table, int col, int index) const;
  Hit Previous(const StringTableEditor& table, int col, int index) const;

 private:
  qsizetype TextIndexIn(QByteArrayView hay, qsizetype from) const;
  QByteArray TextReplaced(QByteArrayView cell, const QByteArray& with) const;

  SheetFinder keys_;
  QByteArray textNeedle_;  // ASCII-lowered without match case
  FindOptions options_;
};

#pragma once
// An archive kept open through the storm layer for as long as a comparison
// reads it, so thousands of entries cost one open of the archive, not one
// each, and two archives read in turn do not push each other out of the
// layer's cache.
#include <QByteArray>
#include <QString>

#include "platform/Storm.h"

namespace compare {

class HeldArchive {
 public:
  HeldArchive() = default;
  ~HeldArchive() { Close(); }
  HeldArchive(const HeldArchive&) = delete;
  HeldArchive& operator=(const HeldArchive&) = delete;

  // False when the file is missing or is no archive the layer can read.
  bool Open(const QString& path);
  void Close();
  bool IsOpen() const { return archive_ != nullptr; }
  // For one of the game's archives: whether it can answer for its entries
  // (see GameArchiveWhole).
  bool IsWholeGameArchive() const;

  // Whether the archive's tables name the entry, whether or not it can be
  // read (Size and Read fail for a damaged one).
  bool Holds(const QByteArray& name) const;
  // The entry's size; -1 when the archive holds no entry of that name.
  qint64 Size(const QByteArray& name) const;
  // The entry's bytes; false when it cannot be opened or read. A read that
  // stops short keeps the bytes that arrived, as the archive reader does.
  bool Read(const QByteArray& name, QByteArray& bytes) const;

 private:
  storm::Handle archive_ = nullptr;
};

}  // namespace compare

#pragma once
// One side of a comparison: a set of internal names and the bytes each one
// stands for. A side is opened once, read entry by entry, and closed.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace compare {

class Side {
 public:
  virtual ~Side() = default;

  // What the side is (a path), for messages.
  virtual QString Label() const = 0;

  // A side without a list of its own names (the game's archives) is asked
  // about the other side's names instead; Want gives them before Open.
  virtual bool ListsOwnNames() const { return true; }
  virtual void Want(const QList<QByteArray>& names) { Q_UNUSED(names); }

  // False, with Error() saying why, when the side cannot be read at all.
  virtual bool Open() = 0;
  virtual void Close() {}

  // Every name the side holds, each once (names equal but for letter case
  // count as one; the first spelling is kept), in the side's own order.
  virtual QList<QByteArray> Names() const = 0;
  // The entry's size in bytes without reading it; -1 when not known.
  virtual qint64 Size(const QByteArray& name) = 0;
  // The entry's bytes; false when it cannot be read.
  virtual bool Read(const QByteArray& name, QByteArray& bytes) = 0;

  QString Error() const { return error_; }
  // What Open left out that the user should hear of, one line each (a
  // folder's two files that become one entry); the side is read without it.
  const QStringList& Notes() const { return notes_; }

 protected:
  QString error_;
  QStringList notes_;
};

// Opens the side for the length of a scope; closes it on every way out.
class OpenSide {
 public:
  explicit OpenSide(Side& side) : side_(side), open_(side.Open()) {}
  ~OpenSide() {
    if (open_) side_.Close();
  }
  OpenSide(const OpenSide&) = delete;
  OpenSide& operator=(const OpenSide&) = delete;
  bool IsOpen() const { return open_; }

 private:
  Side& side_;
  bool open_;
};

}  // namespace compare

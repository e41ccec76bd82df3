// The archive reader over whatever a downloaded mod holds: the input becomes
// an archive file, and Open's reads run on it ("(listfile)", then the size
// and the bytes of each listed name, then "(modinfo)"). No input may crash
// the reader or the archive library below it, and what the reader reports
// must agree with itself.
#include <QBuffer>
#include <QByteArray>

#include "FuzzSupport.h"
#include "archive/ArchiveReader.h"
#include "platform/AppError.h"

namespace {

// Listings can hold any number of lines; a few are enough to reach every
// kind of entry the input holds without slowing the run.
constexpr qsizetype kNamesPerInput = 24;

void ReadEntry(const QString& path, const QByteArray& name) {
  const qint32 size = EntrySize(path, name);
  QBuffer stream;
  stream.open(QIODevice::ReadWrite);
  const bool read = ReadEntryToStream(path, name, stream);
  fuzz::Check(read || stream.size() == 0, "a failed read wrote bytes");
  if (read) fuzz::Check(stream.size() <= qint64(quint32(size)), "read more bytes than the entry's size");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::EnsureApp();
  const QString& path = fuzz::ScratchPath(".QLM");
  fuzz::WriteFileOrDie(path, reinterpret_cast<const char*>(data), size);
  // Dated an hour back, as a downloaded mod is: the storm layer then keeps the
  // archive open across the reads of one input, as it does when a mod is opened.
  fuzz::AgeFile(path);

  LineList names{QByteArrayLiteral("untouched")};
  if (ReadEntryLines(path, QByteArrayLiteral("(listfile)"), names)) {
    for (qsizetype i = 0; i < qMin(names.size(), kNamesPerInput); ++i) ReadEntry(path, names.at(i));
  } else {
    fuzz::Check(names == LineList{QByteArrayLiteral("untouched")}, "a failed read changed the lines");
  }
  ReadEntry(path, QByteArrayLiteral("(modinfo)"));
  ReleaseArchiveState();
  return 0;
}

#include "cli/ListCommand.h"

#include "archive/ArchiveReader.h"
#include "cli/ModArgument.h"
#include "cli/Options.h"
#include "cli/OutputText.h"

namespace cli {

namespace {
// Output goes out in pieces of about this size.
constexpr qsizetype kChunk = 64 * 1024;
}  // namespace

void DeclareListOptions(Options& options) {
  options.Flag(QStringLiteral("--long"), QStringLiteral("-l"));
}

int RunListCommand(const QStringList& args, Io& io) {
  Options options;
  DeclareListOptions(options);
  if (!options.Parse(args)) {
    Complain(io, QStringLiteral("list: %1 (see quillforge list --help)").arg(options.Error()));
    return kFailed;
  }
  if (options.Positional().size() != 1) {
    Complain(io, QStringLiteral("list takes one mod (see quillforge list --help)"));
    return kFailed;
  }
  const QString mod = options.Positional().first();
  const bool longForm = options.Given(QStringLiteral("--long"));
  LineList names;
  if (!CheckModToRead(io, mod) || !ReadListFile(io, mod, names)) return kFailed;

  QByteArray out;
  out.reserve(kChunk + 1024);
  for (const QByteArray& name : std::as_const(names)) {
    out += LineText(name);
    out += '\t';
    if (longForm) {
      EntryStorage storage;
      if (ReadEntryStorage(mod, name, storage))
        out += QByteArray::number(storage.size) + '\t' + QByteArray::number(storage.storedSize) + "\t0x" +
               QByteArray::number(storage.flags, 16).rightJustified(8, '0');
      else
        out += "0\t0\t-";
    } else {
      out += QByteArray::number(EntrySize(mod, name));
    }
    out += '\n';
    if (out.size() >= kChunk) {
      Write(io.out, out);
      out.clear();
    }
  }
  Write(io.out, out);
  return kOk;
}

}  // namespace cli

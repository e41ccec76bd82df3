#include "cli/InfoCommand.h"


#include "archive/ArchiveReader.h"
#include "archive/ArchiveUpdate.h"
#include "archive/ModInfo.h"
#include "archive/Names.h"
#include "cli/ModArgument.h"
#include "cli/ModInfoFields.h"
#include "cli/Options.h"
#include "cli/OutputText.h"
#include "cli/RecordFile.h"

namespace cli {

namespace {

QByteArray PlainForm(const ModInfo& info) {
  QByteArray out;
  for (const ModInfoField& field : kModInfoFields)
    out += QByteArray(field.name) + ": " + LineText(info.texts[field.text]) + '\n';
  return out;
}

QByteArray JsonForm(const ModInfo& info) {
  QByteArray out = "{";
  for (const ModInfoField& field : kModInfoFields) {
    if (out.size() > 1) out += ',';
    out += "\n  \"" + QByteArray(field.name) + "\": " + JsonText(info.texts[field.text]);
  }
  return out + "\n}\n";
}

// One Update writing the record; false after saying why.
bool WriteRecord(Io& io, const QString& mod, const ModInfo& info) {
  LineList listed;
  if (!ReadListFile(io, mod, listed)) return false;
  const RecordFile record(WriteModInfoFile(info));
  ArchiveUpdate update;
  switch (update.Open(mod, false)) {
    case ArchiveUpdate::Opened::Yes:
      break;
    case ArchiveUpdate::Opened::NoLibrary:
      Complain(io,
               QStringLiteral("cannot load the archive-update library ARCHWRIT; the mod was not changed"));
      return false;
    case ArchiveUpdate::Opened::Refused:
      Complain(io, QStringLiteral("%1: cannot be written: %2; the mod was not changed")
                       .arg(ShownPath(mod), UpdateRefusal(mod)));
      return false;
  }
  const bool added = update.Add(record.path(), kModInfoName, names::Contains(listed, kModInfoName));
  if (!update.Commit()) {
    Complain(io, QStringLiteral("%1: cannot be written; the mod is as it was").arg(ShownPath(mod)));
    return false;
  }
  if (!added) {
    Complain(io, QStringLiteral("%1: the mod information could not be stored").arg(ShownPath(mod)));
    return false;
  }
  return true;
}

}  // namespace

void DeclareInfoOptions(Options& options) {
  options.Flag(QStringLiteral("--json"));
  DeclareFieldOptions(options, QStringLiteral("set-"));
}

int RunInfoCommand(const QStringList& args, Io& io) {
  Options options;
  DeclareInfoOptions(options);
  if (!options.Parse(args)) {
    Complain(io, QStringLiteral("info: %1 (see quillforge info --help)").arg(options.Error()));
    return kFailed;
  }
  if (options.Positional().size() != 1) {
    Complain(io, QStringLiteral("info takes one mod (see quillforge info --help)"));
    return kFailed;
  }
  const QString mod = options.Positional().first();
  if (!CheckModToRead(io, mod)) return kFailed;

  // Every byte of the record is kept, NULs included: a change of one text
  // leaves the others exactly as they were.
  QByteArray record;
  bool hasRecord = false;
  if (!ReadModRecord(io, mod, record, hasRecord)) return kFailed;
  ModInfo info = DecodeModInfo(record, true);

  bool changed = false;
  if (!ApplyFieldOptions(io, options, QStringLiteral("set-"), info, changed)) return kFailed;
  if (changed) return WriteRecord(io, mod, info) ? kOk : kFailed;

  if (!hasRecord)
    Complain(io, QStringLiteral("%1: the mod has no \"(modinfo)\"; its texts are empty").arg(ShownPath(mod)));
  Write(io.out, options.Given(QStringLiteral("--json")) ? JsonForm(info) : PlainForm(info));
  return kOk;
}

}  // namespace cli

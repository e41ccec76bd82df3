#include "cli/BuildCommand.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "archive/ArchiveReader.h"
#include "archive/ArchiveUpdate.h"
#include "archive/ModInfo.h"
#include "archive/NameRules.h"
#include "archive/Names.h"
#include "archive/TreeEntries.h"
#include "cli/ModArgument.h"
#include "cli/ModInfoFields.h"
#include "cli/Options.h"
#include "cli/OutputText.h"
#include "cli/Progress.h"
#include "cli/RecordFile.h"
#include "platform/FileIdentity.h"
#include "platform/Files.h"
#include "platform/FolderWalk.h"

namespace cli {

namespace {

struct TreeFile {
  QByteArray name;
  QByteArray key;  // the entry it becomes, as the archive tells entries apart
  QByteArray diskPath;
  QString shown;   // the path, for messages
};

bool Hidden(const QString& relative) {
  return relative.startsWith(QLatin1Char('.')) || relative.contains(QLatin1String("/."));
}

// The files of the tree that become entries, sorted by name as Add Folder
// adds them; what is left out is reported (names starting with "." only
// silently: a tree in version control holds such files by the hundred).
// leftOut receives what the tree holds but the mod does not get, each file's
// or folder's name below the prefix as the mod would name it (a folder's
// ending in "\"; none for a name no mod can hold).
QList<TreeFile> CollectTree(Io& io, const QString& folder, const QByteArray& prefix, const QString& output,
                            QList<QByteArray>& leftOut) {
  files::FolderContents found;
  {
    Progress progress(io, QStringLiteral("Reading folders"));
    found = files::WalkFolder(folder, [&](int done, int known) {
      progress.Show(done, known);
      return true;
    });
  }
  // The mod is no part of itself, whatever path leads to it (a link to the
  // tree, or to the mod).
  const files::FileId outputId = files::IdentityOf(output);
  for (const files::LeftOut& left : std::as_const(found.leftOut)) {
    if (!left.name.isEmpty()) leftOut << prefix + left.name;
    if (!Hidden(left.relative))
      Complain(io, QStringLiteral("left out: %1 (not a regular file that can be read)").arg(left.relative));
  }

  QList<names::TreeEntry> entries;
  entries.reserve(found.files.size());
  for (const files::FoundFile& file : std::as_const(found.files)) {
    if (files::SameFile(file.id, outputId)) continue;
    const QByteArray name = prefix + file.name;
    if (file.name.isEmpty() || !names::Storable(name) || names::SameName(name, kModInfoName)) {
      if (!file.name.isEmpty()) leftOut << name;
      Complain(io, QStringLiteral("left out: %1 (no mod can hold an entry of this name)").arg(file.relative));
      continue;
    }
    entries.append(names::EntryOfFile(name, file));
  }
  for (const names::TreeClash& clash : names::KeepOnePerEntry(entries))
    Complain(io, names::ClashText(folder, clash));
  QList<TreeFile> tree;
  tree.reserve(entries.size());
  for (const names::TreeEntry& entry : std::as_const(entries))
    tree.append(TreeFile{entry.name, entry.key, entry.file->diskPath, names::ShownPath(folder, *entry.file)});
  return tree;
}

// The record a mod holds now, every byte kept; empty when it has none. False,
// after saying so, when it holds one that cannot be read.
bool CurrentModInfo(Io& io, const QString& mod, ModInfo& info) {
  QByteArray record;
  bool present = false;
  if (!ReadModRecord(io, mod, record, present)) return false;
  info = DecodeModInfo(record, true);
  return true;
}

// Whether the mod can go at path; false after saying why.
bool CheckNewMod(Io& io, const QString& path) {
  const QFileInfo folder(QFileInfo(path).absolutePath());
  QString why;
  if (!folder.isDir())
    why = QStringLiteral("the folder %1 does not exist").arg(ShownPath(folder.filePath()));
  else if (!files::FolderTakesFiles(folder.filePath()))
    why = QStringLiteral("the folder %1 cannot be written").arg(ShownPath(folder.filePath()));
  if (why.isEmpty()) return true;
  Complain(io, QStringLiteral("%1: cannot make the mod: %2").arg(ShownPath(path), why));
  return false;
}

// Whether the tree holds a file of this entry that was left out, or a
// folder above it that was: such an entry is not missing from the tree.
bool LeftOutOfTree(const QByteArray& key, const QList<QByteArray>& leftOutKeys) {
  for (const QByteArray& left : leftOutKeys)
    if (left.endsWith('\\') ? key.startsWith(left) : key == left) return true;
  return false;
}

}  // namespace

void DeclareBuildOptions(Options& options) {
  options.Value(QStringLiteral("--output"), QStringLiteral("-o"));
  options.Value(QStringLiteral("--prefix"));
  options.Flag(QStringLiteral("--delete-missing"));
  DeclareFieldOptions(options, QString());
}

int RunBuildCommand(const QStringList& args, Io& io) {
  Options options;
  DeclareBuildOptions(options);
  if (!options.Parse(args)) {
    Complain(io, QStringLiteral("build: %1 (see quillforge build --help)").arg(options.Error()));
    return kFailed;
  }
  if (options.Positional().size() != 1 || !options.Given(QStringLiteral("--output"))) {
    Complain(io, QStringLiteral("build takes one folder and -o MOD (see quillforge build --help)"));
    return kFailed;
  }
  const QString folder = options.Positional().first();
  const QString mod = options.ValueOf(QStringLiteral("--output"));
  QByteArray prefix;
  if (!ArgumentBytes(io, QStringLiteral("--prefix"), options.ValueOf(QStringLiteral("--prefix")), prefix))
    return kFailed;
  if (!prefix.isEmpty() && !prefix.endsWith('\\')) prefix += '\\';

  if (!QFileInfo(folder).isDir()) {
    Complain(io, QStringLiteral("%1: no such folder").arg(ShownPath(folder)));
    return kFailed;
  }
  // An existing mod is updated; anything else at its place is never replaced.
  const bool updating = QFileInfo::exists(mod);
  LineList archiveNames;
  ModInfo info;
  if (updating) {
    if (!CheckModToRead(io, mod) || !ReadListFile(io, mod, archiveNames) || !CurrentModInfo(io, mod, info))
      return kFailed;
  } else if (!CheckNewMod(io, mod)) {
    return kFailed;
  }
  bool infoGiven = false;
  if (!ApplyFieldOptions(io, options, QString(), info, infoGiven)) return kFailed;

  QList<QByteArray> leftOut;
  const QList<TreeFile> tree = CollectTree(io, folder, prefix, mod, leftOut);
  const RecordFile record(WriteModInfoFile(info));

  ArchiveUpdate update;
  switch (update.Open(mod, !updating)) {
    case ArchiveUpdate::Opened::Yes:
      break;
    case ArchiveUpdate::Opened::NoLibrary:
      Complain(io, QStringLiteral("cannot load the archive-update library ARCHWRIT; nothing was written"));
      return kFailed;
    case ArchiveUpdate::Opened::Refused:
      Complain(io, QStringLiteral("%1: cannot be written: %2; nothing was written")
                       .arg(ShownPath(mod), UpdateRefusal(mod)));
      return kFailed;
  }
  // An entry is replaced when the archive holds one of its name, as the
  // archive tells names apart.
  QSet<QByteArray> listed;
  for (const QByteArray& name : std::as_const(archiveNames)) listed.insert(names::ArchiveKey(name));
  QStringList notAdded;
  if (!update.Add(record.path(), kModInfoName, listed.contains(names::ArchiveKey(kModInfoName))))
    notAdded << QStringLiteral("\"(modinfo)\"");
  {
    Progress progress(io, QStringLiteral("Adding files"));
    for (qsizetype i = 0; i < tree.size(); ++i) {
      const TreeFile& file = tree.at(i);
      if (!update.AddFromDisk(file.diskPath, file.name, listed.contains(file.key))) notAdded << file.shown;
      progress.Show(i + 1, tree.size());
    }
  }
  if (updating && options.Given(QStringLiteral("--delete-missing"))) {
    QSet<QByteArray> inTree;
    for (const TreeFile& file : tree) inTree.insert(file.key);
    const QByteArray prefixKey = names::ArchiveKey(prefix);
    // A file the tree holds but the mod could not take (a link leading out
    // of the tree, a folder that cannot be listed) is not missing: its entry
    // stays as it is.
    QList<QByteArray> leftOutKeys;
    for (const QByteArray& name : std::as_const(leftOut)) leftOutKeys << names::ArchiveKey(name);
    QSet<QByteArray> deleted;
    for (const QByteArray& name : std::as_const(archiveNames)) {
      const QByteArray key = names::ArchiveKey(name);
      if (name.isEmpty() || inTree.contains(key) || deleted.contains(key) ||
          names::SameName(name, kModInfoName) || !key.startsWith(prefixKey) || LeftOutOfTree(key, leftOutKeys))
        continue;
      deleted.insert(key);
      update.Delete(name);
    }
  }
  if (!update.Commit()) {
    Complain(io, QStringLiteral("%1: cannot be written; %2")
                     .arg(ShownPath(mod), updating ? QStringLiteral("the mod is as it was")
                                                   : QStringLiteral("nothing was made")));
    return kFailed;
  }
  if (notAdded.isEmpty()) return kOk;
  if (!updating) QFile::remove(mod);  // a new mod is whole or not there
  for (const QString& path : std::as_const(notAdded))
    Complain(io, QStringLiteral("cannot add %1 (it changed or could not be read)").arg(ShownPath(path)));
  Complain(io, updating ? QStringLiteral("the other changes were written to %1").arg(ShownPath(mod))
                        : QStringLiteral("%1 was not made").arg(ShownPath(mod)));
  return kFailed;
}

}  // namespace cli

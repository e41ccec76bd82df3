#include "cli/ExtractCommand.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "archive/ArchiveHold.h"
#include "archive/ExportBatch.h"
#include "archive/NamePattern.h"
#include "archive/NameRules.h"
#include "archive/TargetClashes.h"
#include "archive/Names.h"
#include "cli/ModArgument.h"
#include "cli/Options.h"
#include "cli/OutputText.h"
#include "cli/Progress.h"
#include "platform/Ansi.h"
#include "platform/DiskNames.h"
#include "platform/Files.h"

namespace cli {

namespace {

// The entries a listing stands for: every line but the record's own, each
// entry once (its first spelling), told apart as the archive tells them.
QList<QByteArray> ListedEntries(const LineList& lines) {
  QList<QByteArray> entries;
  QSet<QByteArray> seen;
  for (const QByteArray& name : lines) {
    if (name == kModInfoName || name.isEmpty()) continue;
    if (!seen.contains(names::ArchiveKey(name))) {
      seen.insert(names::ArchiveKey(name));
      entries << name;
    }
  }
  return entries;
}

// Leaves out, after saying so, every job whose file an earlier job writes
// (the file system takes their two names as one); false when there was one.
bool DropSameTargets(Io& io, QList<ExportJob>& jobs) {
  const QList<qsizetype> earlier = EarlierSameTarget(jobs, files::DiskNameKey);
  QList<ExportJob> kept;
  kept.reserve(jobs.size());
  for (qsizetype i = 0; i < jobs.size(); ++i) {
    if (earlier.at(i) < 0) {
      kept.append(jobs.at(i));
      continue;
    }
    Complain(io, QStringLiteral("not extracted: %1 (%2 is the same file here as %3's)")
                     .arg(QString::fromUtf8(LineText(jobs.at(i).name)), ShownPath(jobs.at(i).target),
                          QString::fromUtf8(LineText(jobs.at(earlier.at(i)).name))));
  }
  const bool none = kept.size() == jobs.size();
  jobs = kept;
  return none;
}

// Where a name goes below folder; empty when it must not be written there,
// and why in refusal. A level this system cannot hold is named as such before
// a drive letter in front counts as leading out ("a:b" is both on Windows).
QString TargetOf(const QString& folder, const QByteArray& name, QString& refusal) {
  QStringList levels;
  for (const QByteArray& level : name.split('\\')) levels << ansi::toDisplay(level);
  const QString target = files::PathBelow(folder, levels);
  if (!names::HasDotOrEmptyLevel(name) && target.isEmpty()) {
    refusal = files::CannotHoldName();
    return {};
  }
  if (names::ExportLevels(name).isEmpty()) {
    refusal = QStringLiteral("the name leads out of the folder");
    return {};
  }
  return target;
}

// The folder to write below, made when missing; false after saying why.
bool PrepareFolder(Io& io, const QString& folder) {
  const QFileInfo info(folder);
  if (info.exists() && !info.isDir()) {
    Complain(io, QStringLiteral("%1: not a folder").arg(ShownPath(folder)));
    return false;
  }
  if (!info.exists() && !QDir().mkpath(folder)) {
    Complain(io, QStringLiteral("%1: cannot make the folder").arg(ShownPath(folder)));
    return false;
  }
  if (!files::FolderTakesFiles(folder)) {
    Complain(io, QStringLiteral("%1: the folder cannot be written").arg(ShownPath(folder)));
    return false;
  }
  return true;
}

}  // namespace

int RunExtractCommand(const QStringList& args, Io& io) {
  Options options;
  if (!options.Parse(args)) {
    Complain(io, QStringLiteral("extract: %1 (see quillforge extract --help)").arg(options.Error()));
    return kFailed;
  }
  const QStringList& words = options.Positional();
  if (words.isEmpty()) {
    Complain(io, QStringLiteral("extract needs a mod (see quillforge extract --help)"));
    return kFailed;
  }
  const QString mod = words.at(0);
  const QString folder =
      QDir::cleanPath(QDir::current().absoluteFilePath(words.value(1, QStringLiteral("."))));
  LineList lines;
  if (!CheckModToRead(io, mod)) return kFailed;
  // Each entry is read from the mod as it is on disk when its turn comes: a
  // mod replaced meanwhile would leave a folder of both versions.
  const storm::FileStamp before = StampOfArchive(mod);
  if (!ReadListFile(io, mod, lines)) return kFailed;
  QList<QByteArray> entries = ListedEntries(lines);

  // Named entries: every pattern must find one, or nothing is written.
  if (words.size() > 2) {
    QList<names::NamePattern> patterns;
    for (const QString& word : words.mid(2)) {
      QByteArray pattern;
      if (!ArgumentBytes(io, QStringLiteral("the name '%1'").arg(word), word, pattern)) return kFailed;
      patterns.append(names::NamePattern(pattern));
    }
    QList<bool> found(patterns.size(), false);
    QList<QByteArray> chosen;
    for (const QByteArray& name : std::as_const(entries)) {
      bool matched = false;
      for (qsizetype i = 0; i < patterns.size(); ++i) {
        if (patterns.at(i).Matches(name)) matched = found[i] = true;
      }
      if (matched) chosen << name;
    }
    for (qsizetype i = 0; i < patterns.size(); ++i) {
      if (found.at(i)) continue;
      Complain(io, QStringLiteral("%1: no entry matches '%2'").arg(ShownPath(mod), words.at(i + 2)));
      return kFailed;
    }
    entries = chosen;
  }
  if (!PrepareFolder(io, folder)) return kFailed;

  QList<ExportJob> jobs;
  jobs.reserve(entries.size());
  bool allWritten = true;
  for (const QByteArray& name : std::as_const(entries)) {
    QString refusal;
    const QString target = TargetOf(folder, name, refusal);
    if (target.isEmpty()) {
      Complain(io, QStringLiteral("not extracted: %1 (%2)").arg(QString::fromUtf8(LineText(name)), refusal));
      allWritten = false;
    } else {
      jobs.append(ExportJob{name, QString(), target});
    }
  }
  if (!DropSameTargets(io, jobs)) allWritten = false;

  QList<ExportResult> results;
  bool synced = true;
  {
    Progress progress(io, QStringLiteral("Extracting"));
    results = ExportEntries(
        mod, folder, jobs, [&](qsizetype done, qsizetype total) { progress.Show(done, total); }, &synced);
  }
  if (!(StampOfArchive(mod) == before)) {
    Complain(io, QStringLiteral("%1: the mod changed on disk while it was extracted, so the folder may hold "
                                "entries of both versions: extract it again")
                     .arg(ShownPath(mod)));
    return kFailed;
  }
  if (!synced)
    Complain(io, QStringLiteral("%1: the extracted files are written, but the disk did not confirm them: "
                                "they may not survive a power loss")
                     .arg(ShownPath(folder)));
  for (qsizetype i = 0; i < jobs.size(); ++i) {
    if (results.at(i) == ExportResult::Written) continue;
    allWritten = false;
    const QString name = QString::fromUtf8(LineText(jobs.at(i).name));
    if (results.at(i) == ExportResult::NotCreated)
      Complain(io, QStringLiteral("not extracted: %1 (%2 cannot be made there, or a link is on the way)")
                       .arg(name, ShownPath(jobs.at(i).target)));
    else
      Complain(io, QStringLiteral("not extracted: %1 (the entry cannot be read, or %2 cannot be written)")
                       .arg(name, ShownPath(jobs.at(i).target)));
  }
  return allWritten ? kOk : kFailed;
}

}  // namespace cli

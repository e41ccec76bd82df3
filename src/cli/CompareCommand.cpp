#include "cli/CompareCommand.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <memory>

#include "archive/compare/ArchiveSide.h"
#include "archive/compare/EntryComparison.h"
#include "archive/compare/EntryKind.h"
#include "archive/compare/FolderSide.h"
#include "archive/compare/GameSide.h"
#include "archive/compare/StringTableRows.h"
#include "cli/CompareReport.h"
#include "cli/ModArgument.h"
#include "cli/Options.h"
#include "cli/OutputText.h"

const char kCompareUsage[] =
    "usage: quillforge compare MOD_OR_FOLDER OTHER [--prefix PREFIX] [--names-only]\n"
    "\n"
    "Compares a mod (a .QLM, or any MPQ with a \"(listfile)\") or a folder tree of\n"
    "mod files with another mod, folder tree, or the game folder (a folder holding\n"
    "d2data.mpq, d2exp.mpq or patch_d2.mpq, read by the first side's names).\n"
    "A folder tree's files are named as build names them: PREFIX, then the path\n"
    "below the folder with backslashes. Names match as the archive tells its\n"
    "entries apart: in any ASCII letter case, other letters as they are.\n"
    "\n"
    "Prints one line per entry that differs: \"changed NAME\", \"only here NAME\"\n"
    "(only in the first side), \"only there NAME\" (only in OTHER). Then, for each\n"
    "changed sheet, one line per changed cell, NAME:KEY:COLUMN: OLD -> NEW (KEY is\n"
    "the row's key cell: the key column the check rules name, such as an item's\n"
    "code, else the row's first cell;\n"
    "#2 marks a repeated key's second row, \"row N\" a row without a key), \"- NAME:KEY\"\n"
    "and \"+ NAME:KEY\" for rows only in the first side or only in OTHER, columns\n"
    "likewise as \"- column NAME:COLUMN\", and \"moved NAME:KEY: row A -> B\" for a\n"
    "row that stands elsewhere among the others; for other entries their sizes\n"
    "and the first byte that differs. A string table's texts show in UTF-8; one\n"
    "holding a line end is put in double quotes with C escapes, as info shows it.\n"
    "\n"
    "  --prefix PREFIX   the internal folder a folder tree's names begin with,\n"
    "                    as it was built with (e.g. data\\)\n"
    "  --names-only      print the entry lines only\n"
    "\n"
    "Exit status: 0 when both sides are the same, 1 when they differ, 2 when a\n"
    "side (any one of the game's archives) or an entry of either side cannot be\n"
    "read.\n"
    "\n"
    "Example:\n"
    "  quillforge compare MyMod.QLM mymod-tree/ --names-only\n";

namespace {

int Usage(cli::Io& io, const QString& problem) {
  cli::Complain(io, "compare", problem);
  std::fputs(kCompareUsage, io.err);
  return cli::kFailed;
}

bool IsGameFolder(const QString& path) {
  const QStringList files = QDir(path).entryList(QDir::Files | QDir::Hidden);
  for (const char* archive : compare::GameSide::ArchiveNames())
    for (const QString& file : files)
      if (file.compare(QLatin1String(archive), Qt::CaseInsensitive) == 0) return true;
  return false;
}

// A folder holding the game's archives is the game folder; any other folder
// a tree of mod files; anything else a mod archive.
std::unique_ptr<compare::Side> SideFor(const QString& path, const QByteArray& prefix) {
  const QFileInfo info(path);
  if (info.isDir()) {
    if (IsGameFolder(path)) return std::make_unique<compare::GameSide>(path);
    return std::make_unique<compare::FolderSide>(path, prefix);
  }
  return std::make_unique<compare::ArchiveSide>(path);
}

}  // namespace

void DeclareCompareOptions(cli::Options& options) {
  options.Flag(QStringLiteral("--names-only"));
  options.Value(QStringLiteral("--prefix"));
}

int RunCompareCommand(const QStringList& args, cli::Io& io) {
  cli::Options words;
  DeclareCompareOptions(words);
  words.Flag(QStringLiteral("--help"), QStringLiteral("-h"));
  if (!words.Parse(args)) return Usage(io, words.Error());
  if (words.Given(QStringLiteral("--help"))) {
    std::fputs(kCompareUsage, io.out);
    return cli::kOk;
  }
  const QStringList& paths = words.Positional();
  const bool namesOnly = words.Given(QStringLiteral("--names-only"));
  if (paths.size() != 2) return Usage(io, QStringLiteral("needs two sides to compare"));
  QByteArray prefix;
  if (!cli::ArgumentBytes(io, QStringLiteral("--prefix"), words.ValueOf(QStringLiteral("--prefix")), prefix))
    return cli::kFailed;
  const std::unique_ptr<compare::Side> here = SideFor(paths.at(0), prefix);
  const std::unique_ptr<compare::Side> there = SideFor(paths.at(1), prefix);

  // Each changed entry's differences are worked out while both versions are
  // at hand, so no entry is read twice; they are printed after the names.
  QHash<QByteArray, QList<QByteArray>> details;  // by the name this side gives
  const compare::KeyColumnProvider keyColumn = compare::SheetKeyColumns();
  compare::CompareOptions options;
  if (!namesOnly) {
    options.changed = [&](const compare::Entry& entry, const QByteArray& a, const QByteArray& b) {
      const QByteArray& name = entry.here;
      switch (compare::KindOf(name)) {
        case compare::EntryKind::Sheet:
          details.insert(name, cli::SheetReport(name, compare::DiffSheets(name, a, b, keyColumn)));
          return;
        case compare::EntryKind::StringTable:
          // Strings by key; a table that cannot be read is compared by bytes.
          if (const auto rowsA = compare::StringTableRows(a), rowsB = compare::StringTableRows(b);
              rowsA && rowsB) {
            details.insert(
                name, cli::SheetReport(name, compare::DiffSheets(name, *rowsA, *rowsB, keyColumn), true));
            return;
          }
          break;
        case compare::EntryKind::Bytes:
          break;
      }
      details.insert(name, cli::BytesReport(name, compare::CompareBytes(a, b)));
    };
  }
  if (io.progress) {
    options.progress = [&](qsizetype done, qsizetype total) {
      if (done % 64 == 0 || done == total)
        std::fprintf(io.err, "\rComparing %lld/%lld", qlonglong(done), qlonglong(total));
      if (done == total) std::fputc('\n', io.err);
    };
  }
  QString error;
  const std::optional<compare::EntryList> list = compare::CompareEntries(*here, *there, options, error);
  if (!list) {
    for (const QString& side : paths) {
      const QString held = cli::HeldModReason(side);
      if (!held.isEmpty()) error = held;
    }
    cli::Complain(io, "compare", error);
    return cli::kFailed;
  }

  for (const compare::Side* side : {here.get(), there.get()})
    for (const QString& note : side->Notes()) cli::Complain(io, "compare", note);

  bool unreadable = false;
  for (const compare::Entry& entry : list->entries) {
    if (entry.state == compare::EntryState::Same) continue;
    cli::WriteLine(io.out, QByteArray(compare::StateText(entry.state)) + ' ' + cli::Shown(entry.Name()));
    if (entry.unreadable) {
      unreadable = true;
      cli::Complain(io, "compare",
                    "cannot read " + QString::fromUtf8(cli::Shown(entry.Name())) + " on one side or both");
    }
  }
  for (const compare::Entry& entry : list->entries)
    if (entry.state == compare::EntryState::Changed)
      for (const QByteArray& line : details.value(entry.here)) cli::WriteLine(io.out, line);
  std::fflush(io.out);
  // An entry that cannot be read is neither the same nor known to differ.
  if (unreadable) return cli::kFailed;
  return list->AllSame() ? cli::kOk : cli::kFound;
}

// Comparing two mods made of the fixtures' files (repeated under ten folders)
// where every sheet of the second has a changed cell of the same width, so
// every entry must be read on both sides: the entry list alone, and with
// each changed sheet's cell diff as the command line prints it, against one
// plain read of every entry's bytes on both sides.
#include <StormLib.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "archive/compare/ArchiveSide.h"
#include "archive/compare/EntryComparison.h"
#include "archive/compare/EntryKind.h"
#include "archive/compare/HeldArchive.h"
#include "archive/compare/SheetDiff.h"

namespace {

constexpr int kCopies = 10;

using Entries = QList<QPair<QByteArray, QByteArray>>;

Entries FixtureEntries() {
  const QString root = QStringLiteral(QF_FIXTURES_DIR);
  Entries entries;
  for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
    const QString path = it.next();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) continue;
    QByteArray name = root.isEmpty() ? QByteArray() : path.mid(root.size() + 1).toLatin1();
    name.replace('/', '\\');
    entries.append({name, f.readAll()});
  }
  return entries;
}

// One digit in the middle of the sheet turned into another: the sheet
// changes, its size does not.
QByteArray Changed(QByteArray sheet) {
  for (qsizetype i = sheet.size() / 2; i < sheet.size(); ++i) {
    if (sheet.at(i) >= '0' && sheet.at(i) <= '9') {
      sheet[i] = sheet.at(i) == '9' ? '8' : char(sheet.at(i) + 1);
      return sheet;
    }
  }
  return sheet + "x";
}

bool Build(const QString& path, const Entries& entries) {
  HANDLE mpq = nullptr;
  if (!SFileCreateArchive(QFile::encodeName(path).constData(), MPQ_CREATE_LISTFILE | MPQ_CREATE_ARCHIVE_V1,
                          DWORD(entries.size() + 16), &mpq))
    return false;
  bool ok = true;
  for (const auto& [name, content] : entries) {
    HANDLE file = nullptr;
    ok = SFileCreateFile(mpq, name.constData(), 0, DWORD(content.size()), 0, MPQ_FILE_COMPRESS, &file) &&
         (content.isEmpty() ||
          SFileWriteFile(file, content.constData(), DWORD(content.size()), MPQ_COMPRESSION_ZLIB)) &&
         SFileFinishFile(file);
    if (!ok) break;
  }
  ok = SFileCloseArchive(mpq) && ok;
  QFile f(path);
  return ok && f.open(QIODevice::ReadWrite) &&
         f.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
}

// Every listed entry of both archives read once, nothing compared.
double ReadBothMs(const QString& a, const QString& b, const QList<QByteArray>& names, qint64& bytes) {
  QElapsedTimer timer;
  timer.start();
  for (const QString& path : {a, b}) {
    compare::HeldArchive archive;
    if (!archive.Open(path)) return -1;
    QByteArray listfile, content;
    archive.Read("(listfile)", listfile);
    for (const QByteArray& name : names)
      if (archive.Read(name, content)) bytes += content.size();
  }
  return timer.nsecsElapsed() / 1e6;
}

double CompareMs(const QString& a, const QString& b, bool cells, qsizetype& changed, int& diffs) {
  QElapsedTimer timer;
  timer.start();
  compare::ArchiveSide here(a), there(b);
  compare::CompareOptions options;
  diffs = 0;
  if (cells)
    options.changed = [&](const compare::Entry& e, const QByteArray& x, const QByteArray& y) {
      if (compare::KindOf(e.here) == compare::EntryKind::Sheet)
        diffs += compare::DiffSheets(e.here, x, y).CellsSame() ? 0 : 1;
    };
  QString error;
  const auto list = compare::CompareEntries(here, there, options, error);
  if (!list) return -1;
  changed = list->Count(compare::EntryState::Changed);
  return timer.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const Entries fixture = FixtureEntries();
  Entries here, there;
  QList<QByteArray> names;
  int sheets = 0;
  for (int copy = 0; copy < kCopies; ++copy) {
    for (const auto& [name, content] : fixture) {
      const QByteArray copied = "copy" + QByteArray::number(copy) + '\\' + name;
      here.append({copied, content});
      const bool sheet = compare::KindOf(copied) == compare::EntryKind::Sheet;
      sheets += sheet;
      there.append({copied, sheet ? Changed(content) : content});
      names << copied;
    }
  }
  QTemporaryDir dir;
  const QString a = dir.filePath("here.QLM"), b = dir.filePath("there.QLM");
  if (fixture.isEmpty() || !Build(a, here) || !Build(b, there)) {
    std::fprintf(stderr, "cannot build the mods\n");
    return 1;
  }
  double read = 1e100, list = 1e100, cells = 1e100;
  qint64 bytes = 0;
  qsizetype changedList = 0, changedCells = 0;
  int diffs = 0, noDiffs = 0;
  for (int run = 0; run < 3; ++run) {
    bytes = 0;
    read = std::min(read, ReadBothMs(a, b, names, bytes));
    list = std::min(list, CompareMs(a, b, false, changedList, noDiffs));
    cells = std::min(cells, CompareMs(a, b, true, changedCells, diffs));
  }
  if (read < 0 || list < 0 || cells < 0 || changedList != sheets || changedCells != sheets ||
      diffs < sheets) {
    std::fprintf(stderr, "comparison failed: %lld changed of %d sheets\n", qlonglong(changedList), sheets);
    return 1;
  }
  std::printf("# %lld entries, %.1f MB per side, %d sheets changed\n", qlonglong(names.size()),
              bytes / 2 / 1e6, sheets);
  std::printf("BENCH compare_mods_entries %.1f ms vs read_both_sides %.1f ratio %.2f target 2\n", list, read,
              list / read);
  std::printf("BENCH compare_mods_with_cells %.1f ms vs read_both_sides %.1f ratio %.2f target 2\n", cells,
              read, cells / read);
  return 0;
}

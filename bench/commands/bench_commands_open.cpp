// Open of a 10,000-entry mod end to end in the main window (offscreen, shown,
// messages really pumped per entry), against smpq listing the same archive.
// With --open-only, the Open alone: its figure for a peer measured elsewhere
// (scripts/bench-wine-open, the Windows build under Wine against this one).
#include <StormLib.h>

#include <QApplication>
#include <cstdio>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QToolButton>

#include "BenchWindow.h"
#include "archive/ArchiveReader.h"
#include "archive/ModInfo.h"
#include "forms/main/untMain.h"

namespace {

constexpr int kEntries = 10000;

bool BuildArchive(const QString& path) {
  HANDLE mpq = nullptr;
  if (!SFileCreateArchive(QFile::encodeName(path).constData(), MPQ_CREATE_LISTFILE | MPQ_CREATE_ARCHIVE_V1,
                          kEntries + 16, &mpq))
    return false;
  bool ok = true;
  for (int i = 0; i <= kEntries && ok; ++i) {
    const QByteArray name = i == kEntries ? QByteArray("(modinfo)")
                                          : "data\\global\\excel\\sheet" + QByteArray::number(i) + ".txt";
    const QByteArray content = i == kEntries ? EncodeModInfo(ModInfo{}) : name.repeated(3);
    HANDLE file = nullptr;
    ok = SFileCreateFile(mpq, name.constData(), 0, DWORD(content.size()), 0,
                         MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED, &file) &&
         SFileWriteFile(file, content.constData(), DWORD(content.size()), MPQ_COMPRESSION_PKWARE) &&
         SFileFinishFile(file);
  }
  ok = SFileCloseArchive(mpq) && ok;
  // A mod is opened some time after it was written.
  QFile f(path);
  return ok && f.open(QIODevice::ReadWrite) &&
         f.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QTemporaryDir dir;
  const QString mod = dir.filePath("bench.QLM");
  bench::Require(BuildArchive(mod), "build the archive");

  bench::QuietUi quiet;
  TfrmMain w;
  w.show();
  QApplication::processEvents();
  const double ours = bench::MedianMs(
      3,
      [&] {
        ReleaseArchiveState();  // each Open finds the archive not yet read
        quiet.dialogs << QStringList{mod};
      },
      [&] { w.btnOpen->click(); });
  bench::Require(w.Rows->Count() == kEntries && quiet.messages == 0 && w.ModFileName == mod, "open the mod");
  if (QCoreApplication::arguments().contains(QStringLiteral("--open-only"))) {
    std::printf("OPEN_MS %.1f\n", ours);
    return 0;
  }
  const double smpq = bench::MedianMs(3, {}, [&] {
    bench::Require(bench::Smpq({"-l", mod}, dir.path()), "smpq -l");
  });
  bench::Report("commands_open_10000", ours, "ms", "smpq_list", smpq, "1");

  // Editing the open 10,000-entry list: a thousand removals one after the
  // other, then a thousand files added in one go, each against the Open: a
  // removal costs a fraction of a millisecond, not a pass over the list.
  constexpr int kEdits = 1000;
  const double removals = bench::MedianMs(1, {}, [&] {
    for (int i = 0; i < kEdits; ++i) {
      w.SelectRow(i * 3);
      w.btnRemove->click();
    }
    // Whatever the view put off until the window handles its events counts.
    QApplication::processEvents();
  });
  bench::Require(w.Rows->Count() == kEntries - kEdits && w.RemovedNames.size() == kEdits, "remove rows");
  QStringList files;
  for (int i = 0; i < kEdits; ++i) {
    files << dir.filePath(QStringLiteral("add%1.txt").arg(i));
    QFile f(files.last());
    bench::Require(f.open(QIODevice::WriteOnly) && f.write("added") == 5, "write a file to add");
    quiet.names << "data\\added\\" + QByteArray::number(i) + ".txt";
  }
  quiet.dialogs << files;
  const double additions = bench::MedianMs(1, {}, [&] { w.btnAdd->click(); });
  bench::Require(w.Rows->Count() == kEntries && quiet.messages == 0, "add files");
  bench::Report("commands_remove_1000_of_10000", removals, "ms", "commands_open_10000", ours, "0.5");
  bench::Report("commands_add_1000_to_10000", additions, "ms", "commands_open_10000", ours, "1");
  return 0;
}

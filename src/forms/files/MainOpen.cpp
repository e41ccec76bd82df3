#include <QBuffer>
#include <QFileInfo>
#include "forms/files/FilesView.h"
#include <utility>

#include "archive/ArchiveReader.h"
#include "archive/ModInfo.h"
#include "forms/main/MainCommands.h"
#include "forms/main/untMain.h"
#include "forms/widgets/StatusProgressBar.h"
#include "platform/AppError.h"
#include "platform/Ui.h"

namespace {

const QByteArray kListFile = QByteArrayLiteral("(listfile)");
const QByteArray kModInfo = QByteArrayLiteral("(modinfo)");

void ShowReadError(TfrmMain& w, const char* text) {
  // The list is not repainted while it fills; under a box it would stay black.
  ScopedUpdates paint(w.ListView, true);
  ui::MessageBox(QString::fromLatin1(text), QStringLiteral("Error"), ui::mbOk | ui::mbIconError);
}

// Rows made off the view go into the list together when loading ends, also
// when an error ends it early: the list then holds what was loaded so far.
class PendingRows {
 public:
  explicit PendingRows(ModListModel& model) : model_(model) {}
  ~PendingRows() { model_.AppendMany(std::move(rows_)); }
  PendingRows(const PendingRows&) = delete;
  PendingRows& operator=(const PendingRows&) = delete;
  QList<ModEntry>& rows() { return rows_; }

 private:
  ModListModel& model_;
  QList<ModEntry> rows_;
};

// "(listfile)" into ArchiveNames and a row, with its size, for every line but
// the record's own.
void LoadEntries(TfrmMain& w, const QString& path) {
  if (!ReadEntryLines(path, kListFile, w.ArchiveNames)) ShowReadError(w, "Error reading archive listfile.");
  const QList<QByteArray> lines = w.ArchiveNames;
  w.ProgressBar->SetPosition(0);
  w.ProgressBar->SetMax(int(lines.size()));
  PendingRows pending(*w.Rows);
  pending.rows().reserve(lines.size());
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QByteArray& name = lines.at(i);
    if (name == kModInfo) continue;  // exactly this spelling only
    w.ProgressBar->SetPosition(int(i + 1));
    ui::ProcessMessages();
    pending.rows().append(ModEntry{name, SizeText(EntrySize(path, name)), QString()});
  }
}

void LoadModInfo(TfrmMain& w, const QString& path) {
  QBuffer stream;
  stream.open(QIODevice::ReadWrite);
  if (ReadEntryToStream(path, kModInfo, stream)) {
    stream.seek(0);
    w.ModInfoToFields(DecodeModInfo(stream.readAll()));
  } else {
    ShowReadError(w, "Error reading mod information.");
    w.ModInfoToFields(ModInfo{});
  }
}

}  // namespace

void TfrmMain::btnOpenClick(QObject* Sender) {
  Q_UNUSED(Sender);
  if (CommandRunning()) return;
  SaveChangesGuard();

  OpenDialog.Filter = QString::fromLatin1(kModFilter);
  OpenDialog.Options = kOpenOptions;
  OpenDialog.FileName.clear();
  OpenDialog.InitialDir = OutputFolder();
  OpenDialog.Title = QStringLiteral("Open Diablo II Mod");
  if (!OpenDialog.Execute()) return;
  OpenModFile(OpenDialog.FileName);
}

void TfrmMain::OpenModFromCommandLine(const QString& path) {
  RunNamed("OpenModFile", [&] {
    // Open's dialog lets only an existing file through; a name typed on the
    // command line gets no further either.
    const QFileInfo file(path);
    if (!file.isFile()) throw AppError(QStringLiteral("Cannot open file %1").arg(path));
    SaveChangesGuard();
    OpenModFile(file.absoluteFilePath());
  });
}

void TfrmMain::OpenModFile(const QString& path) {
  if (CommandRunning()) return;
  // From here on the previous mod is gone, whatever happens later.
  RunningScope running(*this);
  ArchiveNames.clear();
  RemovedNames.clear();
  Rows->Clear();
  ClearFilter();
  SetCaption(QStringLiteral("Quillforge"));
  ModFileName.clear();
  {
    ui::ScopedCursor busy(ui::crHourGlass);
    ScopedNoRepaint frozen(ListView);
    LoadEntries(*this, path);
    LoadModInfo(*this, path);
  }
  FitSizeColumn();
  if (Rows->Count() > 0) SelectRow(0);
  ModFileName = path;
  SetCaption(CaptionWithSize(ModFileName));
  CommandsModStarted();
  ProgressBar->SetPosition(0);
}

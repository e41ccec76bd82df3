// Export All: every row the list shows, written below a chosen folder under
// its internal name, each backslash a folder level. A name that could land
// outside the folder is never written; each file appears whole or not at all;
// no file goes through a link below the folder (one planted there could send
// it anywhere), so a row whose way holds a link is named as not exported.
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "archive/EntryExport.h"
#include "archive/NameRules.h"
#include "forms/files/FilteredRows.h"
#include "forms/files/NameListMessage.h"
#include "forms/main/MessagePacer.h"
#include "forms/main/untMain.h"
#include "forms/widgets/StatusProgressBar.h"
#include "platform/Ansi.h"
#include "platform/DiskNames.h"
#include "platform/FolderSyncs.h"
#include "platform/ReplacingFile.h"
#include "platform/Ui.h"

namespace {

struct ExportJob {
  ModEntry entry;
  QStringList levels;
  files::PlaceState state;
};

// The levels a name goes to below folder; empty when it must not be written
// there.
QStringList LevelsOf(const QString& folder, const QByteArray& name) {
  QStringList levels;
  for (const QByteArray& level : names::ExportLevels(name)) levels << ansi::toDisplay(level);
  return files::PathBelow(folder, levels).isEmpty() ? QStringList() : levels;
}

}  // namespace

void TfrmMain::mniExportAllClick(QObject* Sender) {
  Q_UNUSED(Sender);
  if (CommandRunning()) return;
  QString folder;
  if (!ui::BrowseFolder(QStringLiteral("Export All"), InputFolder(), folder)) return;

  // The rows as the list shows them now, in its order.
  QList<ExportJob> jobs;
  QStringList notExported;
  for (int shown = 0; shown < Shown->ShownCount(); ++shown) {
    const ModEntry& entry = Rows->Row(Shown->SourceRow(shown));
    const QStringList levels = LevelsOf(folder, entry.Caption);
    const files::PlaceState state =
        levels.isEmpty() ? files::PlaceState::Link : files::StateBelow(folder, levels);
    if (state == files::PlaceState::Link)
      notExported << ansi::toDisplay(entry.Caption);
    else
      jobs.append(ExportJob{entry, levels, state});
  }
  const auto exists = [](const ExportJob& job) { return job.state == files::PlaceState::Exists; };

  const qsizetype existing = std::count_if(jobs.cbegin(), jobs.cend(), exists);
  if (existing > 0) {
    const int answer =
        ui::MessageBox(QStringLiteral("%1 files already exist in %2. Replace them?")
                           .arg(existing)
                           .arg(QDir::toNativeSeparators(folder)),
                       QStringLiteral("Replace Files"), ui::mbYesNoCancel | ui::mbIconQuestion);
    if (answer != ui::idYes && answer != ui::idNo) return;
    if (answer == ui::idNo) jobs.removeIf(exists);
  }

  RunningScope running(*this);
  files::FolderSyncs syncs;
  bool synced = true;
  {
    ui::ScopedCursor busy(ui::crHourGlass);
    MessagePacer pacer;
    ProgressBar->SetPosition(0);
    ProgressBar->SetMax(int(jobs.size()));
    for (const ExportJob& job : std::as_const(jobs)) {
      ProgressBar->StepIt();
      pacer.Pump();
      if (ExportEntryBelow(ModFileName, job.entry.Caption, job.entry.SourcePath, folder, job.levels, syncs) !=
          ExportResult::Written)
        notExported << ansi::toDisplay(job.entry.Caption);
    }
    // One sync for the whole run rather than two for every file.
    synced = syncs.SyncAll();
    ProgressBar->SetPosition(0);
  }
  if (!synced)
    ui::MessageBox(
        QStringLiteral("The exported files are written, but the disk did not confirm them: they may "
                       "not survive a power loss."),
        QStringLiteral("Export All"), ui::mbOk | ui::mbIconExclamation);
  ShowNameList(QStringLiteral("These files were not exported:"), notExported, QStringLiteral("Export All"));
}

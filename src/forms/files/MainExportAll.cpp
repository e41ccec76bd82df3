// Export All: every row the list shows, written below a chosen folder under
// its internal name, each backslash a folder level. A name that could land
// outside the folder is never written; each file appears whole or not at all;
// no file goes through a link below the folder (one planted there could send
// it anywhere), so a row whose way holds a link is named as not exported. The
// entries are decoded on every core while the window keeps its messages going.
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "archive/ExportBatch.h"
#include "archive/NameRules.h"
#include "archive/TargetClashes.h"
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
  std::vector<bool> exists;
  QStringList notExported;
  for (int shown = 0; shown < Shown->ShownCount(); ++shown) {
    const ModEntry& entry = Rows->Row(Shown->SourceRow(shown));
    const QStringList levels = LevelsOf(folder, entry.Caption);
    const files::PlaceState state =
        levels.isEmpty() ? files::PlaceState::Link : files::StateBelow(folder, levels);
    if (state == files::PlaceState::Link) {
      notExported << ansi::toDisplay(entry.Caption);
    } else {
      jobs.append(ExportJob{entry.Caption, entry.SourcePath, files::PathBelow(folder, levels)});
      exists.push_back(state == files::PlaceState::Exists);
    }
  }
  // Two rows the file system would write to one file: the later is not
  // exported, and named so.
  {
    const QList<qsizetype> earlier = EarlierSameTarget(jobs, files::DiskNameKey);
    QList<ExportJob> kept;
    std::vector<bool> keptExists;
    for (qsizetype i = 0; i < jobs.size(); ++i) {
      if (earlier.at(i) >= 0) {
        notExported << ansi::toDisplay(jobs.at(i).name);
        continue;
      }
      kept.append(jobs.at(i));
      keptExists.push_back(exists[size_t(i)]);
    }
    jobs = kept;
    exists = keptExists;
  }

  const qsizetype existing = std::count(exists.cbegin(), exists.cend(), true);
  if (existing > 0) {
    const int answer =
        ui::MessageBox(QStringLiteral("%1 files already exist in %2. Replace them?")
                           .arg(existing)
                           .arg(QDir::toNativeSeparators(folder)),
                       QStringLiteral("Replace Files"), ui::mbYesNoCancel | ui::mbIconQuestion);
    if (answer != ui::idYes && answer != ui::idNo) return;
    if (answer == ui::idNo) {
      QList<ExportJob> missing;
      for (qsizetype i = 0; i < jobs.size(); ++i)
        if (!exists[size_t(i)]) missing.append(jobs.at(i));
      jobs = missing;
    }
  }

  RunningScope running(*this);
  bool synced = true;
  {
    ui::ScopedCursor busy(ui::crHourGlass);
    MessagePacer pacer;
    ProgressBar->SetPosition(0);
    ProgressBar->SetMax(int(jobs.size()));
    // One sync for the whole run rather than two for every file.
    const QList<ExportResult> results = ExportEntries(
        ModFileName, folder, jobs,
        [&](qsizetype done, qsizetype) {
          ProgressBar->SetPosition(int(done));
          pacer.Pump();
        },
        &synced);
    for (qsizetype i = 0; i < jobs.size(); ++i)
      if (results.at(i) != ExportResult::Written) notExported << ansi::toDisplay(jobs.at(i).name);
    ProgressBar->SetPosition(0);
  }
  if (!synced)
    ui::MessageBox(
        QStringLiteral("The exported files are written, but the disk did not confirm them: they may "
                       "not survive a power loss."),
        QStringLiteral("Export All"), ui::mbOk | ui::mbIconExclamation);
  ShowNameList(QStringLiteral("These files were not exported:"), notExported, QStringLiteral("Export All"));
}

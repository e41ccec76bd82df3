// Export All: every row the list shows, written below a chosen folder under
// its internal name, each backslash a folder level. A name that could land
// outside the folder, or through a link, is never written; each file appears
// whole or not at all. The entries are decoded on every core while the window
// keeps its messages going.
#include <QDir>
#include <QFileInfo>

#include "archive/ExportBatch.h"
#include "archive/NameRules.h"
#include "forms/files/FilteredRows.h"
#include "forms/files/NameListMessage.h"
#include "forms/main/MessagePacer.h"
#include "forms/main/untMain.h"
#include "forms/widgets/StatusProgressBar.h"
#include "platform/Ansi.h"
#include "platform/DiskNames.h"
#include "platform/Ui.h"

namespace {

// Where a name goes below folder; empty when it must not be written there.
QString TargetOf(const QString& folder, const QByteArray& name) {
  QStringList levels;
  for (const QByteArray& level : names::ExportLevels(name)) levels << ansi::toDisplay(level);
  return files::PathBelow(folder, levels);
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
    const QString target = TargetOf(folder, entry.Caption);
    if (target.isEmpty())
      notExported << ansi::toDisplay(entry.Caption);
    else
      jobs.append(ExportJob{entry.Caption, entry.SourcePath, target});
  }

  qsizetype existing = 0;
  for (const ExportJob& job : std::as_const(jobs))
    if (QFileInfo::exists(job.target)) ++existing;
  if (existing > 0) {
    const int answer =
        ui::MessageBox(QStringLiteral("%1 files already exist in %2. Replace them?")
                           .arg(existing)
                           .arg(QDir::toNativeSeparators(folder)),
                       QStringLiteral("Replace Files"), ui::mbYesNoCancel | ui::mbIconQuestion);
    if (answer != ui::idYes && answer != ui::idNo) return;
    if (answer == ui::idNo) jobs.removeIf([](const ExportJob& job) { return QFileInfo::exists(job.target); });
  }

  RunningScope running(*this);
  {
    ui::ScopedCursor busy(ui::crHourGlass);
    MessagePacer pacer;
    ProgressBar->SetPosition(0);
    ProgressBar->SetMax(int(jobs.size()));
    const QList<ExportResult> results =
        ExportEntries(ModFileName, folder, jobs, [&](qsizetype done, qsizetype) {
          ProgressBar->SetPosition(int(done));
          pacer.Pump();
        });
    for (qsizetype i = 0; i < jobs.size(); ++i)
      if (results.at(i) != ExportResult::Written) notExported << ansi::toDisplay(jobs.at(i).name);
    ProgressBar->SetPosition(0);
  }
  ShowNameList(QStringLiteral("These files were not exported:"), notExported, QStringLiteral("Export All"));
}

// Export All: every row the list shows, written below a chosen folder under
// its internal name, each backslash a folder level. A name that could land
// outside the folder is never written; each file appears whole or not at all.
#include <QDir>
#include <QFileInfo>

#include "archive/EntryExport.h"
#include "archive/NameRules.h"
#include "forms/files/FilteredRows.h"
#include "forms/main/MessagePacer.h"
#include "forms/files/NameListMessage.h"
#include "forms/widgets/StatusProgressBar.h"
#include "forms/main/untMain.h"
#include "platform/Ansi.h"
#include "platform/DiskNames.h"
#include "platform/Ui.h"

namespace {

struct ExportJob {
  ModEntry entry;
  QString target;
};

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
      jobs.append(ExportJob{entry, target});
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
    for (const ExportJob& job : std::as_const(jobs)) {
      ProgressBar->StepIt();
      pacer.Pump();
      if (ExportEntry(ModFileName, job.entry.Caption, job.entry.SourcePath, job.target, true) !=
          ExportResult::Written)
        notExported << ansi::toDisplay(job.entry.Caption);
    }
    ProgressBar->SetPosition(0);
  }
  ShowNameList(QStringLiteral("These files were not exported:"), notExported, QStringLiteral("Export All"));
}

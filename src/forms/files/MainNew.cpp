#include "forms/main/MainCommands.h"
#include "forms/widgets/StatusProgressBar.h"
#include "forms/main/untMain.h"
#include "platform/Files.h"

void TfrmMain::btnNewClick(QObject* Sender) {
  Q_UNUSED(Sender);
  if (CommandRunning()) return;
  SaveChangesGuard();

  SaveDialog.Filter = QString::fromLatin1(kModFilter);
  SaveDialog.Options = kSaveOptions;
  SaveDialog.Title = QStringLiteral("Create Diablo II Mod");
  SaveDialog.DefaultExt = QStringLiteral("QLM");
  SaveDialog.FileName.clear();
  SaveDialog.InitialDir = OutputFolder();
  if (!SaveDialog.Execute()) return;

  RemovedNames.clear();
  ArchiveNames.clear();
  ModFileName = SaveDialog.FileName;
  // The archive comes into being at the first Update, which creates it when
  // no file is there. A file that cannot be deleted is updated as an archive.
  files::DeleteFile(ModFileName);
  Rows->Clear();
  ClearFilter();
  FitSizeColumn();
  SetCaption(CaptionFor(ModFileName));
  CommandsModStarted();
  ProgressBar->SetPosition(0);
}

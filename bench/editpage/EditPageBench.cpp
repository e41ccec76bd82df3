#include "EditPageBench.h"

#include <QCoreApplication>
#include <QTabWidget>

#include "archive/ArchiveReader.h"
#include "archive/UpdateLibrary.h"
#include "forms/main/untMain.h"
#include "platform/UiFileDialog.h"

namespace bench {

bool SaveTo::ExecuteFileDialog(const FileDialog&, QStringList& chosen) {
  chosen = {path_};
  return true;
}

int SaveTo::MessageBox(const QString& text, const QString&, int) {
  require(false, "no message box: " + text.toStdString());
  return ui::idOk;
}

void SaveTo::ProcessMessages() {
  QCoreApplication::processEvents();
}

QString ModWithEntry(const ScratchDir& scratch, const std::string& modName, const std::string& filePath,
                     const QByteArray& entry) {
  const QString mod = QString::fromStdString(scratch.file(modName));
  require(LoadUpdateLibrary(), "ARCHWRIT beside the benchmark");
  UpdateLibrary::ArchiveHandle h =
      UpdateLibrary::MpqOpenArchiveForUpdate(mod, UpdateLibrary::kOpenCreate, UpdateLibrary::kMaxFiles);
  require(h != nullptr, "create the mod");
  UpdateLibrary::MpqAddFileToArcive(h, QString::fromStdString(filePath), entry, UpdateLibrary::kAddNew);
  UpdateLibrary::MpqCloseUpdatedArchive(h, 0);
  UnloadUpdateLibrary();
  return mod;
}

void ShowOnEditPage(TfrmMain& frm, const QString& mod, const QByteArray& entry) {
  frm.resize(1024, 700);
  frm.ModFileName = mod;
  frm.Rows->Append({entry, SizeText(EntrySize(mod, entry)), QString()});
  frm.CommandsModStarted();
  frm.SelectRow(0);
  frm.PageControl->setCurrentWidget(frm.tbsEdit);
  frm.show();
  QCoreApplication::processEvents();
}

}  // namespace bench
